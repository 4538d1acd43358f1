#include "workbook/workbook_file_reader.h"

#include "common/error.h"
#include "workbook/allocation_failure.h"
#include "workbook/ods/ods_reader.h"
#include "workbook/package/zip_archive.h"
#include "workbook/xls/xls_reader.h"
#include "workbook/xlsx/xlsx_reader.h"

#include <QFile>
#include <QFileInfo>

namespace tavrune {

namespace {

enum class FileKind
{
    Zip,
    CompoundFile,
    Unknown,
};

FileKind kindOf(const QByteArray& head)
{
    if (head.startsWith(QByteArrayLiteral("PK\x03\x04")) ||
        head.startsWith(QByteArrayLiteral("PK\x05\x06"))) {
        return FileKind::Zip;
    }
    if (head.startsWith(QByteArrayLiteral("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))) {
        return FileKind::CompoundFile;
    }
    return FileKind::Unknown;
}

[[noreturn]] void fail(int number, const QString& path, const QString& why)
{
    throw Error(number, QStringLiteral("ファイル \"%1\" を読み込めません: %2").arg(path, why));
}

WorkbookData readKnownFile(const QString& path, quint32 lastRow)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        fail(ErrorNumber::FileNotFound, path, QStringLiteral("ファイルが見つかりません"));
    }
    if (info.isDir()) {
        fail(ErrorNumber::PathFileAccess, path, QStringLiteral("フォルダです"));
    }
    // A pipe or a device would block the read or never end; only plain files are
    // workbooks.
    if (!info.isFile()) {
        fail(ErrorNumber::PathFileAccess, path, QStringLiteral("通常のファイルではありません"));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(ErrorNumber::PermissionDenied, path, file.errorString());
    }
    const QByteArray head = file.read(8);
    file.close();

    switch (kindOf(head)) {
    case FileKind::CompoundFile:
        return readXlsWorkbook(path);
    case FileKind::Zip: {
        // Both zip kinds are told apart by their parts; the readers open the
        // archive again, which costs only its central directory.
        bool ods = false;
        {
            ZipArchive archive(path);
            ods = archive.contains(QStringLiteral("content.xml")) &&
                  !archive.contains(QStringLiteral("[Content_Types].xml"));
        }
        return ods ? readOdsWorkbookUpToRow(path, lastRow) : readXlsxWorkbookUpToRow(path, lastRow);
    }
    case FileKind::Unknown:
        break;
    }
    fail(ErrorNumber::ApplicationDefined, path,
         head.isEmpty() ? QStringLiteral("空のファイルです")
                        : QStringLiteral("対応しているブックの形式 (.xlsx, .xlsm, .xls, .ods) "
                                         "ではありません"));
}

} // namespace

WorkbookData readWorkbookFile(const QString& path)
{
    return readWorkbookFileUpToRow(path, kMaxRow);
}

WorkbookData readWorkbookFileUpToRow(const QString& path, quint32 lastRow)
{
    return readReportingAllocationFailure(path, [&] { return readKnownFile(path, lastRow); });
}

} // namespace tavrune

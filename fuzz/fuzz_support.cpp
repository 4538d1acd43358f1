#include "fuzz_support.h"

#include "common/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>

namespace tavrune::fuzz {

QString scratchPath(const char* suffix)
{
    static const QString directory = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                         ? QStringLiteral("/dev/shm")
                                         : QDir::tempPath();
    return QStringLiteral("%1/tavrune-fuzz-%2%3")
        .arg(directory)
        .arg(QCoreApplication::applicationPid())
        .arg(QString::fromLatin1(suffix));
}

QString writeScratchFile(const uint8_t* data, size_t size, const char* suffix)
{
    const QString path = scratchPath(suffix);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size)) {
        std::abort(); // the harness itself cannot work
    }
    return path;
}

void touchWorkbook(const WorkbookData& workbook)
{
    for (const SheetData& sheet : workbook.sheets()) {
        volatile qsizetype sink = sheet.name().size() + sheet.lastUsedRow();
        (void)sink;
        for (const Cell& cell : sheet.cells()) {
            try {
                sink = workbook.cellText(sheet, CellAddress{cell.row, cell.column}).size();
            } catch (const Error&) {
                // An error value in a cell is reported as an error; keep reading.
            }
        }
    }
}

} // namespace tavrune::fuzz

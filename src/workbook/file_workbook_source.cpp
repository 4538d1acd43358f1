#include "workbook/file_workbook_source.h"

#include "common/error.h"
#include "workbook/workbook_file_reader.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <sys/stat.h>

namespace tavrune {

FileWorkbookSource::FileWorkbookSource(Reader reader)
    : m_reader(reader ? std::move(reader) : Reader(readWorkbookFile))
{
}

FileWorkbookSource::Stamp FileWorkbookSource::stampOf(const QString& path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        return {};
    }
    constexpr qint64 kNsPerSecond = 1'000'000'000;
    return {static_cast<qint64>(status.st_size), static_cast<quint64>(status.st_ino),
            status.st_mtim.tv_sec * kNsPerSecond + status.st_mtim.tv_nsec,
            status.st_ctim.tv_sec * kNsPerSecond + status.st_ctim.tv_nsec};
}

WorkbookData FileWorkbookSource::readWhole(const QString& path, Stamp& stamp) const
{
    constexpr int kAttempts = 3;
    constexpr unsigned long kSettleMs = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0) {
            // A save under way mostly ends within a moment; reading again at once
            // would likely meet it half-written once more.
            QThread::msleep(kSettleMs);
        }
        stamp = stampOf(path);
        try {
            WorkbookData data = m_reader(path);
            if (stampOf(path) == stamp) {
                return data;
            }
        } catch (const Error&) {
            // A file rewritten while it was read looks damaged; only one that stayed
            // as it was is.
            if (stampOf(path) == stamp) {
                throw;
            }
        }
    }
    throw Error(ErrorNumber::ApplicationDefined,
                QStringLiteral("ファイル \"%1\" を読み込めません: 読み込むたびに変更されています")
                    .arg(path));
}

void FileWorkbookSource::beforeAttach()
{
    for (OpenBook& book : books()) {
        const Stamp current = stampOf(book.path);
        if (current.size < 0 || current == m_stamps.value(book.path)) {
            continue;
        }
        try {
            Stamp stamp;
            book.data = std::make_shared<const WorkbookData>(readWhole(book.path, stamp));
            m_stamps.insert(book.path, stamp);
        } catch (const Error&) {
            // Half-saved or locked for the moment: keep the last content and try
            // again at the next attachment.
        }
    }
}

void FileWorkbookSource::openWorkbook(const QString& path)
{
    const QFileInfo info(path);
    const QString absolute = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    // Refused before the file is read, which may take a while.
    requireNameFree(info.fileName(), absolute);
    Stamp stamp;
    auto data = std::make_shared<const WorkbookData>(readWhole(absolute, stamp));
    addOrReplace({info.fileName(), absolute, std::move(data)});
    m_stamps.insert(absolute, stamp);
}

} // namespace tavrune

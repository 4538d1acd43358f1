#include "workbook/file_workbook_source.h"

#include "common/error.h"
#include "workbook/workbook_file_reader.h"

#include <QFile>
#include <QFileInfo>
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

void FileWorkbookSource::beforeAttach()
{
    for (OpenBook& book : books()) {
        // The stamp is taken before reading: a save that lands during the read
        // shows as a change at the next attachment.
        const Stamp stamp = stampOf(book.path);
        if (stamp.size < 0 || stamp == m_stamps.value(book.path)) {
            continue;
        }
        try {
            book.data = std::make_shared<const WorkbookData>(m_reader(book.path));
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
    const Stamp stamp = stampOf(absolute);
    auto data = std::make_shared<const WorkbookData>(m_reader(absolute));
    addOrReplace({info.fileName(), absolute, std::move(data)});
    m_stamps.insert(absolute, stamp);
}

} // namespace tavrune

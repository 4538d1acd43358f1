#include "workbook/file_workbook_source.h"

#include "common/error.h"
#include "workbook/workbook_file_reader.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <exception>
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

// A reading for the set of open workbooks: an open, or the reading again of an
// open workbook whose file changed.
class FileWorkbookSource::Load final : public WorkbookLoad
{
public:
    Load(FileWorkbookSource& source, QString name, QString path, bool again)
        : m_source(source), m_name(std::move(name)), m_path(std::move(path)), m_again(again)
    {
    }

    QString path() const override { return m_path; }

    void read() override
    {
        try {
            m_data = std::make_shared<const WorkbookData>(m_source.readWhole(m_path, m_stamp));
        } catch (...) {
            m_failure = std::current_exception();
        }
    }

    void install() override
    {
        if (m_again) {
            // Half-saved or locked for the moment: the last content stays, and the
            // file is tried again next time.
            if (m_failure) {
                return;
            }
            for (OpenBook& book : m_source.books()) {
                if (book.path == m_path) {
                    book.data = m_data;
                    m_source.m_stamps.insert(m_path, m_stamp);
                }
            }
            return;
        }
        if (m_failure) {
            std::rethrow_exception(m_failure);
        }
        m_source.addOrReplace({m_name, m_path, m_data});
        m_source.m_stamps.insert(m_path, m_stamp);
    }

private:
    FileWorkbookSource& m_source;
    QString m_name;
    QString m_path;
    bool m_again;
    std::shared_ptr<const WorkbookData> m_data;
    Stamp m_stamp;
    std::exception_ptr m_failure;
};

WorkbookLoads FileWorkbookSource::loadsOfChanged()
{
    WorkbookLoads loads;
    for (const OpenBook& book : books()) {
        const Stamp current = stampOf(book.path);
        if (current.size >= 0 && current != m_stamps.value(book.path)) {
            loads.push_back(std::make_shared<Load>(*this, book.name, book.path, true));
        }
    }
    return loads;
}

std::shared_ptr<WorkbookLoad> FileWorkbookSource::loadToOpen(const QString& path)
{
    const QFileInfo info(path);
    const QString absolute = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    // Refused before the file is read, which may take a while.
    requireNameFree(info.fileName(), absolute);
    return std::make_shared<Load>(*this, info.fileName(), absolute, false);
}

void FileWorkbookSource::beforeAttach()
{
    if (!m_readChangedOnAttach) {
        return;
    }
    for (const std::shared_ptr<WorkbookLoad>& load : loadsOfChanged()) {
        load->read();
        load->install();
    }
}

void FileWorkbookSource::openWorkbook(const QString& path)
{
    const std::shared_ptr<WorkbookLoad> load = loadToOpen(path);
    load->read();
    load->install();
}

} // namespace tavrune

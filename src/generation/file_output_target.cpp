#include "generation/file_output_target.h"

#include "common/error.h"
#include "common/system_error_text.h"
#include "generation/output_files.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <sys/stat.h>

namespace tavrune {

namespace {

// Lines are gathered up to this size before they go to the file.
constexpr qsizetype kBufferSize = 64 * 1024;

// message holds %1 for the path; why is the reason.
[[noreturn]] void fail(const QString& message, const QString& path, const QString& why)
{
    throw Error(ErrorNumber::PathFileAccess, message.arg(path) + QStringLiteral(": ") + why);
}

} // namespace

FileOutputTarget::~FileOutputTarget()
{
    abortOutputFile();
}

void FileOutputTarget::ensureOutputDir(const QString& dir, UserInteraction& interaction)
{
    tavrune::ensureOutputDir(dir, interaction);
    // What a killed run left behind goes at the next run into the directory.
    removeStaleTemporaryFiles(trimPathSeparators(dir));
}

bool FileOutputTarget::outputFileExists(const QString& path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && !S_ISDIR(status.st_mode);
}

bool FileOutputTarget::isSameFile(const QString& path, const QString& inputPath)
{
    if (QDir::cleanPath(path) == QDir::cleanPath(inputPath)) {
        return true;
    }
    // The name itself, not what a link there points to: replacing a link leaves
    // its target alone.
    struct stat output;
    struct stat input;
    return ::lstat(QFile::encodeName(path).constData(), &output) == 0 &&
           ::stat(QFile::encodeName(inputPath).constData(), &input) == 0 &&
           output.st_dev == input.st_dev && output.st_ino == input.st_ino;
}

void FileOutputTarget::openOutputFile(const QString& path, bool replace)
{
    abortOutputFile();
    const QString cannotOpen = QStringLiteral("ファイル \"%1\" を作成できません");
    m_path = path;
    m_replace = replace;
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            fail(cannotOpen, path, QStringLiteral("同じ名前のディレクトリがあります"));
        }
        if (!replace) {
            fail(cannotOpen, path, QStringLiteral("同じ名前のファイルが既にあります"));
        }
    }
    if (const int error = m_file.open(path)) {
        failFile(cannotOpen, systemErrorText(error));
    }
}

void FileOutputTarget::writeOutputLine(const QByteArray& line)
{
    if (!m_file.isOpen()) {
        throw Error(ErrorNumber::ObjectNotSet, QStringLiteral("出力ファイルが開かれていません。"));
    }
    m_buffer += line;
    if (m_buffer.size() >= kBufferSize) {
        flushBuffer();
    }
}

void FileOutputTarget::flushBuffer()
{
    const int error = m_file.write(m_buffer);
    m_buffer.resize(0);
    if (error) {
        failWriting(error);
    }
}

void FileOutputTarget::failWriting(int errorNumber)
{
    abortOutputFile();
    failFile(QStringLiteral("ファイル \"%1\" に書き込めません"), systemErrorText(errorNumber));
}

void FileOutputTarget::failFile(const QString& message, const QString& why) const
{
    // A temporary file that stays takes room, up to the whole output: say where.
    QString reason = why;
    if (const ReplacingFile::LeftBehind& left = m_file.leftBehind(); !left.path.isEmpty()) {
        reason += QStringLiteral(" (一時ファイル \"%1\" を削除できませんでした: %2)")
                      .arg(left.path, systemErrorText(left.error));
    }
    fail(message, m_path, reason);
}

void FileOutputTarget::commitOutputFile()
{
    if (!m_file.isOpen()) {
        return;
    }
    flushBuffer();
    const int error = m_file.commit(m_replace ? ReplacingFile::Existing::Replace
                                              : ReplacingFile::Existing::Refuse);
    if (error) {
        abortOutputFile();
        failFile(QStringLiteral("ファイル \"%1\" を作成できません"),
                 error == EEXIST ? QStringLiteral("同じ名前のファイルが既にあります")
                 : error == EISDIR ? QStringLiteral("同じ名前のディレクトリがあります")
                                   : systemErrorText(error));
    }
}

void FileOutputTarget::abortOutputFile() noexcept
{
    m_file.abort();
    m_buffer.clear();
}

QString FileOutputTarget::destinationPhrase(const QString& path) const
{
    return QStringLiteral("ファイル \"%1\" に").arg(path);
}

} // namespace tavrune

#include "generation/file_output_target.h"

#include "common/error.h"
#include "generation/output_files.h"
#include "generation/system_error_text.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrune {

namespace {

// Lines are gathered up to this size before they go to the file.
constexpr qsizetype kBufferSize = 64 * 1024;
constexpr int kTemporaryNameAttempts = 100;

// message holds %1 for the path; why is the reason.
[[noreturn]] void fail(const QString& message, const QString& path, const QString& why)
{
    throw Error(ErrorNumber::PathFileAccess, message.arg(path) + QStringLiteral(": ") + why);
}

// A hidden name, so that listings and patterns over the output pass it by.
QByteArray temporaryName()
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = QByteArrayLiteral(".tavrune-");
    for (int i = 0; i < 12; ++i) {
        name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
    }
    return name + QByteArrayLiteral(".tmp");
}

void closeQuietly(int& descriptor) noexcept
{
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
}

bool existsInDirectory(int directory, const QByteArray& name, struct stat& status)
{
    return ::fstatat(directory, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0;
}

// Renames from to to unless to exists (errno EEXIST then).
int renameWithoutReplacing(int directory, const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(directory, from.constData(), directory, to.constData(), RENAME_NOREPLACE) ==
        0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return -1;
    }
    // A file system that cannot refuse by itself: look first.
    struct stat status;
    if (existsInDirectory(directory, to, status)) {
        errno = EEXIST;
        return -1;
    }
    return ::renameat(directory, from.constData(), directory, to.constData());
}

} // namespace

FileOutputTarget::~FileOutputTarget()
{
    AbortOutputFile();
}

void FileOutputTarget::EnsureOutputDir(const QString& dir, UserInteraction& interaction)
{
    tavrune::EnsureOutputDir(dir, interaction);
}

bool FileOutputTarget::OutputFileExists(const QString& path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && !S_ISDIR(status.st_mode);
}

bool FileOutputTarget::IsSameFile(const QString& path, const QString& inputPath)
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

void FileOutputTarget::OpenOutputFile(const QString& path, bool replace)
{
    AbortOutputFile();
    const QString cannotOpen = QStringLiteral("ファイル \"%1\" を作成できません");
    m_path = path;
    m_replace = replace;
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString dir = slash < 0    ? QStringLiteral(".")
                        : slash == 0 ? QStringLiteral("/")
                                     : path.left(slash);
    m_name = QFile::encodeName(path.mid(slash + 1));
    m_directory = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_directory < 0) {
        fail(cannotOpen, path, systemErrorText(errno));
    }
    struct stat status;
    if (existsInDirectory(m_directory, m_name, status)) {
        if (S_ISDIR(status.st_mode)) {
            closeQuietly(m_directory);
            fail(cannotOpen, path, QStringLiteral("同じ名前のディレクトリがあります"));
        }
        if (!replace) {
            closeQuietly(m_directory);
            fail(cannotOpen, path, QStringLiteral("同じ名前のファイルが既にあります"));
        }
    }
    int error = EEXIST;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && error == EEXIST; ++attempt) {
        m_temporaryName = temporaryName();
        m_file = ::openat(m_directory, m_temporaryName.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        error = m_file < 0 ? errno : 0;
    }
    if (m_file < 0) {
        m_temporaryName.clear();
        closeQuietly(m_directory);
        fail(cannotOpen, path, systemErrorText(error));
    }
}

void FileOutputTarget::WriteOutputLine(const QByteArray& line)
{
    if (m_file < 0) {
        throw Error(ErrorNumber::ObjectNotSet, QStringLiteral("出力ファイルが開かれていません。"));
    }
    m_buffer += line;
    if (m_buffer.size() >= kBufferSize) {
        flushBuffer();
    }
}

void FileOutputTarget::flushBuffer()
{
    const char* data = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0) {
        const ssize_t written = ::write(m_file, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            failWriting(errno);
        }
        data += written;
        left -= written;
    }
    m_buffer.resize(0);
}

void FileOutputTarget::failWriting(int errorNumber)
{
    AbortOutputFile();
    fail(QStringLiteral("ファイル \"%1\" に書き込めません"), m_path, systemErrorText(errorNumber));
}

void FileOutputTarget::CommitOutputFile()
{
    if (m_file < 0) {
        return;
    }
    flushBuffer();
    const int file = m_file;
    m_file = -1;
    // Linux closes the descriptor even when close is interrupted.
    if (::close(file) != 0 && errno != EINTR) {
        failWriting(errno);
    }
    const int renamed = m_replace ? ::renameat(m_directory, m_temporaryName.constData(),
                                               m_directory, m_name.constData())
                                  : renameWithoutReplacing(m_directory, m_temporaryName, m_name);
    if (renamed != 0) {
        const int error = errno;
        AbortOutputFile();
        fail(QStringLiteral("ファイル \"%1\" を作成できません"), m_path,
             error == EEXIST   ? QStringLiteral("同じ名前のファイルが既にあります")
             : error == EISDIR ? QStringLiteral("同じ名前のディレクトリがあります")
                               : systemErrorText(error));
    }
    m_temporaryName.clear();
    closeQuietly(m_directory);
}

void FileOutputTarget::AbortOutputFile() noexcept
{
    closeQuietly(m_file);
    if (m_directory >= 0 && !m_temporaryName.isEmpty()) {
        ::unlinkat(m_directory, m_temporaryName.constData(), 0);
    }
    m_temporaryName.clear();
    m_buffer.clear();
    closeQuietly(m_directory);
}

QString FileOutputTarget::DestinationName(const QString& path) const
{
    return QStringLiteral("ファイル \"%1\"").arg(path);
}

} // namespace tavrune

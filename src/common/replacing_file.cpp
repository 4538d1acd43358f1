#include "common/replacing_file.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrune {

namespace {

constexpr int kTemporaryNameAttempts = 100;

// A hidden name, so that listings and patterns over the directory pass it by.
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
    if (::fstatat(directory, to.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::renameat(directory, from.constData(), directory, to.constData());
}

} // namespace

ReplacingFile::~ReplacingFile()
{
    abort();
}

int ReplacingFile::open(const QString& path)
{
    abort();
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString dir = slash < 0    ? QStringLiteral(".")
                        : slash == 0 ? QStringLiteral("/")
                                     : path.left(slash);
    m_name = QFile::encodeName(path.mid(slash + 1));
    m_directory = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_directory < 0) {
        return fail(errno);
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
        return fail(error);
    }
    return 0;
}

int ReplacingFile::write(QByteArrayView bytes)
{
    if (m_file < 0) {
        return EBADF;
    }
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_file, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(errno);
        }
        data += written;
        left -= written;
    }
    return 0;
}

int ReplacingFile::commit(Existing existing)
{
    if (m_file < 0) {
        return EBADF;
    }
    // A replaced file keeps its permission bits: a private file stays private.
    struct stat replaced;
    if (::fstatat(m_directory, m_name.constData(), &replaced, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(replaced.st_mode) && ::fchmod(m_file, replaced.st_mode & 07777) != 0) {
        return fail(errno);
    }
    // The data must be on the disk before the name points at it, or a crash right
    // after the rename could leave an empty file where the old one was.
    if (::fsync(m_file) != 0) {
        return fail(errno);
    }
    // Linux closes the descriptor even when close is interrupted.
    const int file = m_file;
    m_file = -1;
    if (::close(file) != 0 && errno != EINTR) {
        return fail(errno);
    }
    const int renamed =
        existing == Existing::Replace
            ? ::renameat(m_directory, m_temporaryName.constData(), m_directory, m_name.constData())
            : renameWithoutReplacing(m_directory, m_temporaryName, m_name);
    if (renamed != 0) {
        return fail(errno);
    }
    m_temporaryName.clear();
    // Keeps the rename itself over a crash; the new content is already in place, so
    // a directory that cannot be synced changes nothing for the caller.
    ::fsync(m_directory);
    closeQuietly(m_directory);
    return 0;
}

void ReplacingFile::abort() noexcept
{
    closeQuietly(m_file);
    if (m_directory >= 0 && !m_temporaryName.isEmpty()) {
        ::unlinkat(m_directory, m_temporaryName.constData(), 0);
    }
    m_temporaryName.clear();
    closeQuietly(m_directory);
}

int ReplacingFile::fail(int errorNumber) noexcept
{
    abort();
    return errorNumber;
}

int writeReplacing(const QString& path, QByteArrayView content, ReplacingFile::Existing existing)
{
    ReplacingFile file;
    int error = file.open(path);
    if (error == 0) {
        error = file.write(content);
    }
    if (error == 0) {
        error = file.commit(existing);
    }
    return error;
}

} // namespace tavrune

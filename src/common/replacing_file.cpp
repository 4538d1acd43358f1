#include "common/replacing_file.h"

#include "common/error.h"
#include "common/make_directories.h"
#include "common/system_error_text.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrune {

namespace {

constexpr int kTemporaryNameAttempts = 100;

// A hidden name, so that listings and patterns over the directory pass it by; the
// process id lets a later run tell whether its writer is gone.
QByteArray temporaryName()
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = QByteArrayLiteral(".tavrune-") + QByteArray::number(::getpid()) + '-';
    for (int i = 0; i < 12; ++i) {
        name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
    }
    return name + QByteArrayLiteral(".tmp");
}

// The temporary files being written, where a signal handler can read them: a fixed
// table claimed and released through atomic states, with no lock and no allocation.
// A file that finds no free entry is still written; only a signal would leave it.
struct PendingFile
{
    enum State : int
    {
        Free,
        Filling,
        Set,
    };
    static constexpr qsizetype kNameCapacity = 64;

    std::atomic<int> state{Free};
    int directory = -1;
    std::array<char, kNameCapacity> name{};
};
static_assert(std::atomic<int>::is_always_lock_free);
std::array<PendingFile, 16> g_pending;

int addPending(int directory, const QByteArray& name)
{
    if (name.size() >= PendingFile::kNameCapacity) {
        return -1;
    }
    for (std::size_t slot = 0; slot < g_pending.size(); ++slot) {
        PendingFile& entry = g_pending[slot];
        int expected = PendingFile::Free;
        if (entry.state.compare_exchange_strong(expected, PendingFile::Filling)) {
            entry.directory = directory;
            std::memcpy(entry.name.data(), name.constData(), std::size_t(name.size()) + 1);
            entry.state.store(PendingFile::Set);
            return int(slot);
        }
    }
    return -1;
}

void removePending(int& slot) noexcept
{
    if (slot >= 0) {
        g_pending[std::size_t(slot)].state.store(PendingFile::Free);
        slot = -1;
    }
}

// A name temporaryName() gives, capturing the process id.
const QRegularExpression& temporaryNamePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\.tavrune-([1-9][0-9]{0,9})-[a-z0-9]{12}\\.tmp$"));
    return pattern;
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
    m_leftBehind = {};
    m_directoryPath = dir;
    m_name = QFile::encodeName(path.mid(slash + 1));
    m_directory = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_directory < 0) {
        return fail(errno);
    }
    int error = EEXIST;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && error == EEXIST; ++attempt) {
        m_temporaryName = temporaryName();
        // Known to a signal handler before it exists, so that no moment is left
        // in which a signal could leave it.
        m_pendingSlot = addPending(m_directory, m_temporaryName);
        m_file = ::openat(m_directory, m_temporaryName.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        error = m_file < 0 ? errno : 0;
        if (m_file < 0) {
            forgetTemporaryName();
        }
    }
    if (m_file < 0) {
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
    forgetTemporaryName();
    // Keeps the rename itself over a crash; the new content is already in place, so
    // a directory that cannot be synced changes nothing for the caller.
    ::fsync(m_directory);
    closeQuietly(m_directory);
    return 0;
}

void ReplacingFile::abort() noexcept
{
    closeQuietly(m_file);
    if (m_directory >= 0 && !m_temporaryName.isEmpty() &&
        ::unlinkat(m_directory, m_temporaryName.constData(), 0) != 0 && errno != ENOENT) {
        const int error = errno;
        try {
            const QString separator =
                m_directoryPath.endsWith(u'/') ? QString() : QStringLiteral("/");
            m_leftBehind = {m_directoryPath + separator + QFile::decodeName(m_temporaryName),
                            error};
        } catch (...) {
            // Without memory for the path the file is left unnamed, as it is left anyway.
        }
    }
    forgetTemporaryName();
    closeQuietly(m_directory);
}

void ReplacingFile::forgetTemporaryName() noexcept
{
    // Before the directory descriptor can be closed and its number reused.
    removePending(m_pendingSlot);
    m_temporaryName.clear();
}

int ReplacingFile::fail(int errorNumber) noexcept
{
    abort();
    return errorNumber;
}

void saveReplacing(const QString& path, QByteArrayView content, const QString& what)
{
    const auto failure = [&](const QString& why) {
        return Error(ErrorNumber::PathFileAccess,
                     QStringLiteral("%1 \"%2\" に書き込めません: %3").arg(what, path, why));
    };
    QString failedLevel;
    if (const int error = makeDirectories(QFileInfo(path).absolutePath(), failedLevel)) {
        throw failure(QStringLiteral("フォルダ \"%1\" を作れません (%2)")
                          .arg(failedLevel, systemErrorText(error)));
    }
    ReplacingFile file;
    int error = file.open(path);
    if (error == 0) {
        error = file.write(content);
    }
    if (error == 0) {
        error = file.commit(ReplacingFile::Existing::Replace);
    }
    if (error != 0) {
        throw failure(systemErrorText(error));
    }
}

void removePendingTemporaryFiles() noexcept
{
    for (PendingFile& entry : g_pending) {
        if (entry.state.load() == PendingFile::Set) {
            ::unlinkat(entry.directory, entry.name.data(), 0);
        }
    }
}

void removeStaleTemporaryFiles(const QString& dir)
{
    const int directory =
        ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0) {
        return;
    }
    DIR* entries = ::fdopendir(directory);
    if (entries == nullptr) {
        ::close(directory);
        return;
    }
    while (const dirent* entry = ::readdir(entries)) {
        if (std::strncmp(entry->d_name, ".tavrune-", 9) != 0) {
            continue;
        }
        const QRegularExpressionMatch match =
            temporaryNamePattern().match(QLatin1StringView(entry->d_name));
        struct stat status;
        if (!match.hasMatch() ||
            ::fstatat(directory, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
            continue;
        }
        // A process that exists, even one this user may not signal, may be writing.
        const qint64 pid = match.captured(1).toLongLong();
        if (pid <= std::numeric_limits<pid_t>::max() && ::kill(pid_t(pid), 0) != 0 &&
            errno == ESRCH) {
            ::unlinkat(directory, entry->d_name, 0);
        }
    }
    ::closedir(entries);
}

} // namespace tavrune

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tavrune {

// A file that takes a name's place only once it is completely written and on disk.
// The bytes go to a hidden temporary file created beside the name (exclusively,
// never through a link) and are written unbuffered, so that every failing write is
// seen where it happens. Committing syncs the file, gives it the permission bits of
// the file it replaces (or those the umask gives a new one), renames it over the
// name and syncs the directory. Until then whatever has the name stays as it was;
// a file not committed is removed.
//
// Each step returns 0, or the errno value of the call that failed; a failed step
// has already removed the temporary file, or says in leftBehind() why it could not.
//
// The temporary name carries the writing process's id (.tavrune-PID-RANDOM.tmp),
// so that a later run can tell the files of a process that was killed. While a
// file is open its name is also kept where a signal handler can reach it
// (removePendingTemporaryFiles).
class ReplacingFile
{
public:
    // A temporary file that a failed step could not remove, and the errno value of
    // the removal.
    struct LeftBehind
    {
        QString path;
        int error = 0;
    };

    enum class Existing
    {
        Replace,
        Refuse, // the commit fails with EEXIST when the name is taken
    };

    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile();

    [[nodiscard]] int open(const QString& path);
    [[nodiscard]] int write(QByteArrayView bytes);
    [[nodiscard]] int commit(Existing existing);
    void abort() noexcept;

    bool isOpen() const { return m_file >= 0; }
    // Empty unless the last failed step left its temporary file.
    const LeftBehind& leftBehind() const { return m_leftBehind; }

private:
    int fail(int errorNumber) noexcept;
    void forgetTemporaryName() noexcept;

    int m_directory = -1;
    int m_file = -1;
    int m_pendingSlot = -1;
    QString m_directoryPath;
    QByteArray m_name;
    QByteArray m_temporaryName;
    LeftBehind m_leftBehind;
};

// Makes path's folder when it is missing and replaces the file at path with content
// through a ReplacingFile. Throws an Error "<what> "<path>" に書き込めません: <reason>",
// what naming the kind of file, leaving the file as it was.
void saveReplacing(const QString& path, QByteArrayView content, const QString& what);

// Removes the temporary files of every ReplacingFile still open in this process.
// Async-signal-safe: for a handler of a signal that ends the process.
void removePendingTemporaryFiles() noexcept;

// Removes from dir the temporary files that a process of this program left when
// it was killed: regular files of this user, named as ReplacingFile names them,
// whose process no longer exists. Links and everything else stay. Failures are
// ignored: a file that stays costs room, not correctness.
void removeStaleTemporaryFiles(const QString& dir);

} // namespace tavrune

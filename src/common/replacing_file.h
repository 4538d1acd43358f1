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
// has already removed the temporary file.
class ReplacingFile
{
public:
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

private:
    int fail(int errorNumber) noexcept;

    int m_directory = -1;
    int m_file = -1;
    QByteArray m_name;
    QByteArray m_temporaryName;
};

// Writes content to path through a ReplacingFile; 0 or the failing call's errno.
[[nodiscard]] int
writeReplacing(const QString& path, QByteArrayView content,
               ReplacingFile::Existing existing = ReplacingFile::Existing::Replace);

} // namespace tavrune

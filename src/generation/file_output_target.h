#pragma once

#include "generation/output_target.h"

#include <QByteArray>
#include <QString>

namespace tavrune {

// The output directory and files on disk. A file's lines go to a temporary file
// created beside it (exclusively, never through a link, with the mode the umask
// gives), which is renamed to the file's name once complete. Names in the output
// directory are never followed: an existing link is replaced itself, and only
// when replacing is allowed.
class FileOutputTarget : public OutputTarget
{
public:
    FileOutputTarget() = default;
    FileOutputTarget(const FileOutputTarget&) = delete;
    FileOutputTarget& operator=(const FileOutputTarget&) = delete;
    // Removes the temporary file of a file still open.
    ~FileOutputTarget() override;

    void EnsureOutputDir(const QString& dir, UserInteraction& interaction) override;
    bool OutputFileExists(const QString& path) override;
    bool IsSameFile(const QString& path, const QString& inputPath) override;
    void OpenOutputFile(const QString& path, bool replace) override;
    void WriteOutputLine(const QByteArray& line) override;
    void CommitOutputFile() override;
    void AbortOutputFile() noexcept override;
    QString DestinationName(const QString& path) const override;

private:
    // Writes out what is buffered; throws naming the file and the system's reason.
    void flushBuffer();
    [[noreturn]] void failWriting(int errorNumber);

    QString m_path;
    int m_directory = -1; // the output file's directory, opened
    int m_file = -1;      // the temporary file
    QByteArray m_name;    // the output file's name in that directory
    QByteArray m_temporaryName;
    bool m_replace = false;
    QByteArray m_buffer;
};

} // namespace tavrune

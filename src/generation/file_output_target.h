#pragma once

#include "common/replacing_file.h"
#include "generation/output_target.h"

#include <QByteArray>
#include <QString>

namespace tavrune {

// The output directory and files on disk. A file's lines go through a
// ReplacingFile, which takes the file's name once complete and on disk. Names in
// the output directory are never followed: an existing link is replaced itself,
// and only when replacing is allowed.
class FileOutputTarget : public OutputTarget
{
public:
    FileOutputTarget() = default;
    FileOutputTarget(const FileOutputTarget&) = delete;
    FileOutputTarget& operator=(const FileOutputTarget&) = delete;
    // Removes the temporary file of a file still open.
    ~FileOutputTarget() override;

    void ensureOutputDir(const QString& dir, UserInteraction& interaction) override;
    bool outputFileExists(const QString& path) override;
    bool isSameFile(const QString& path, const QString& inputPath) override;
    void openOutputFile(const QString& path, bool replace) override;
    void writeOutputLine(const QByteArray& line) override;
    void commitOutputFile() override;
    void abortOutputFile() noexcept override;
    QString destinationPhrase(const QString& path) const override;

private:
    // Writes out what is buffered; throws naming the file and the system's reason.
    void flushBuffer();
    [[noreturn]] void failWriting(int errorNumber);
    // Throws message (%1 for the path) and the reason of a failure of m_file,
    // naming a temporary file that it could not remove.
    [[noreturn]] void failFile(const QString& message, const QString& why) const;

    QString m_path;
    ReplacingFile m_file;
    bool m_replace = false;
    QByteArray m_buffer;
};

} // namespace tavrune

#pragma once

#include "common/user_interaction.h"

#include <QByteArray>
#include <QString>

namespace tavrune {

// Where a run's output goes: the output directory and files, one file open at a
// time. A file is put in place only when it is complete (commitOutputFile); until
// then whatever had its name stays as it was. Every failure throws an Error.
class OutputTarget
{
public:
    virtual ~OutputTarget() = default;

    virtual void ensureOutputDir(const QString& dir, UserInteraction& interaction) = 0;
    // Whether something that is not a directory has that name: a file (hidden ones
    // too) or a symbolic link, dangling ones too.
    virtual bool outputFileExists(const QString& path) = 0;
    // Whether writing path would replace the file at inputPath.
    virtual bool isSameFile(const QString& path, const QString& inputPath) = 0;
    // Begins the file at path. replace allows an existing file or link of that
    // name to be replaced (the link itself, never what it points to); without it
    // an existing one makes the commit fail.
    virtual void openOutputFile(const QString& path, bool replace) = 0;
    // Writes one line as the file receives it: code page 932 bytes ending in CR LF.
    virtual void writeOutputLine(const QByteArray& line) = 0;
    // Puts the open file in place whole; without one it does nothing.
    virtual void commitOutputFile() = 0;
    // Drops the open file, leaving what had its name as it was; without one it
    // does nothing. Never fails.
    virtual void abortOutputFile() noexcept = 0;
    // How messages say where the lines of path go, the particle に included:
    // "ファイル \"path\" に", or "標準出力に" without the space a quoted name takes.
    virtual QString destinationPhrase(const QString& path) const = 0;
};

} // namespace tavrune

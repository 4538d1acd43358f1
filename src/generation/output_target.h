#pragma once

#include "common/user_interaction.h"

#include <QString>

namespace tavrune {

// Where a run's output goes: the output directory and files, one file open at a
// time. Every failure throws an Error.
class OutputTarget
{
public:
    virtual ~OutputTarget() = default;

    virtual void EnsureOutputDir(const QString& dir, UserInteraction& interaction) = 0;
    // Whether a file (hidden ones too, not a directory) of that name exists.
    virtual bool OutputFileExists(const QString& path) = 0;
    virtual void DeleteOutputFile(const QString& path) = 0;
    // Opens the file for appending, creating it when missing.
    virtual void OpenOutputFile(const QString& path) = 0;
    // Writes the text in code page 932, then CR LF.
    virtual void WriteOutputLine(const QString& text) = 0;
    // Closes the open file; without one it does nothing.
    virtual void CloseOutputFile() = 0;
};

} // namespace tavrune

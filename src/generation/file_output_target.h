#pragma once

#include "generation/output_target.h"

#include <QFile>

namespace tavrune {

// The output directory and files on disk.
class FileOutputTarget : public OutputTarget
{
public:
    void EnsureOutputDir(const QString& dir, UserInteraction& interaction) override;
    bool OutputFileExists(const QString& path) override;
    void DeleteOutputFile(const QString& path) override;
    void OpenOutputFile(const QString& path) override;
    void WriteOutputLine(const QString& text) override;
    void CloseOutputFile() override;

private:
    QFile m_file;
};

} // namespace tavrune

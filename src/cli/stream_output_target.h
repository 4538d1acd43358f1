#pragma once

#include "generation/output_target.h"

#include <QIODevice>

namespace tavrune {

// Sends a run's output to one stream instead of files, exactly the bytes the files
// would receive, in order. No directory or file is looked at or touched.
class StreamOutputTarget : public OutputTarget
{
public:
    explicit StreamOutputTarget(QIODevice& out);

    void EnsureOutputDir(const QString&, UserInteraction&) override {}
    bool OutputFileExists(const QString&) override { return false; }
    void DeleteOutputFile(const QString&) override {}
    void OpenOutputFile(const QString& path) override;
    void WriteOutputLine(const QString& text) override;
    void CloseOutputFile() override {}

private:
    QIODevice& m_out;
    QString m_path;
};

} // namespace tavrune

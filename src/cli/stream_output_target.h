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
    bool IsSameFile(const QString&, const QString&) override { return false; }
    void OpenOutputFile(const QString&, bool) override {}
    void WriteOutputLine(const QByteArray& line) override;
    void CommitOutputFile() override;
    void AbortOutputFile() noexcept override {}
    QString DestinationName(const QString& path) const override;

private:
    [[noreturn]] void fail();

    QIODevice& m_out;
};

} // namespace tavrune

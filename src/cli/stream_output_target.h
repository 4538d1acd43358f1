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

    void ensureOutputDir(const QString&, UserInteraction&) override {}
    bool outputFileExists(const QString&) override { return false; }
    bool isSameFile(const QString&, const QString&) override { return false; }
    void openOutputFile(const QString&, bool) override {}
    void writeOutputLine(const QByteArray& line) override;
    void commitOutputFile() override;
    void abortOutputFile() noexcept override {}
    QString destinationPhrase(const QString& path) const override;

private:
    [[noreturn]] void fail();

    QIODevice& m_out;
};

} // namespace tavrune

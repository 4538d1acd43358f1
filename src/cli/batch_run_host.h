#pragma once

#include "generation/run_host.h"

#include <QTextStream>

namespace tavrune {

// Runs without asking anyone: messages go to the error stream, and every question
// takes its default answer, except that with overwrite set existing output files
// are replaced. Questions answered with Cancel are printed, so that the reason a
// run stopped shows.
class BatchRunHost : public RunHost, public UserInteraction
{
public:
    BatchRunHost(QTextStream& err, bool overwrite);

    Answer showMessage(const QString& text, MessageIcon icon, MessageButtons buttons,
                       Answer defaultAnswer) override;
    Answer askYesAllNoCancel(const QString& prompt, const QString& caption) override;
    QString chooseDirectory(const QString&, const QString&) override { return {}; }
    QString chooseOpenFile(const QStringList&, const QString&, const QString&) override
    {
        return {};
    }
    UserInteraction& interaction() override { return *this; }
    void beginRun() override {}
    void setProgressText(const QString&) override {}
    void endRun() override {}
    void processEvents() override {}
    void resetCancelFlag() override {}
    bool cancelFlag() const override { return false; }

private:
    void print(const QString& text);

    QTextStream& m_err;
    bool m_overwrite;
};

} // namespace tavrune

#pragma once

#include "generation/run_host.h"

#include <QStringList>
#include <deque>

namespace tavrune::test {

// A run host for tests: answers questions from a queue, can press the cancel
// button at a given yield, and logs everything the run does to it, in order:
// "begin", "end", "progress: 1 / 2", "yield", "message <icon>: text",
// "question <icon> <buttons> <default>: text", "ask: prompt".
class ScriptedRunHost : public RunHost, public UserInteraction
{
public:
    void answer(Answer code) { m_answers.push_back(code); }
    // The cancel button is pressed (and its question answered Yes) during yield n
    // of every run, counted from 1 at its start.
    void cancelAtYield(int n) { m_cancelAtYield = n; }

    Answer showMessage(const QString& text, MessageIcon icon, MessageButtons buttons,
                       Answer defaultAnswer) override;
    Answer askYesAllNoCancel(const QString& prompt, const QString& caption) override;
    QString chooseDirectory(const QString&, const QString&) override { return {}; }
    QString chooseOpenFile(const QStringList&, const QString&, const QString&) override
    {
        return {};
    }
    UserInteraction& interaction() override { return *this; }
    void beginRun() override;
    void setProgressText(const QString& text) override;
    void endRun() override;
    void processEvents() override;
    void resetCancelFlag() override { m_cancel = false; }
    bool cancelFlag() const override { return m_cancel; }

    const QStringList& log() const { return m_log; }
    // The log without the yields, for tests that do not count them.
    QStringList logWithoutYields() const;
    bool allAnswersUsed() const { return m_answers.empty(); }

private:
    Answer nextAnswer(const QString& question);

    std::deque<Answer> m_answers;
    QStringList m_log;
    int m_yields = 0;
    int m_cancelAtYield = 0;
    bool m_cancel = false;
};

} // namespace tavrune::test

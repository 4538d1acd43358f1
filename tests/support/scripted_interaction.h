#pragma once

#include "common/user_interaction.h"

#include <QList>
#include <QString>
#include <deque>

namespace tavrune::test {

// Answers questions from a queue and records everything shown, for tests.
class ScriptedInteraction : public UserInteraction
{
public:
    struct Shown
    {
        QString text;
        MessageIcon icon;
        MessageButtons buttons;
        int defaultAnswer;
    };

    // Queues the answer to the next question (messages with more than an OK button).
    void answer(int code) { m_answers.push_back(code); }

    int showMessage(const QString& text, MessageIcon icon, MessageButtons buttons,
                    int defaultAnswer) override;

    const QList<Shown>& shown() const { return m_shown; }
    // Texts of everything shown, in order.
    QStringList texts() const;
    bool allAnswersUsed() const { return m_answers.empty(); }

private:
    std::deque<int> m_answers;
    QList<Shown> m_shown;
};

} // namespace tavrune::test

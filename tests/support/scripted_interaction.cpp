#include "support/scripted_interaction.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace tavrune::test {

int ScriptedInteraction::showMessage(const QString& text, MessageIcon icon, MessageButtons buttons,
                                     int defaultAnswer)
{
    m_shown.append({text, icon, buttons, defaultAnswer});
    if (buttons == MessageButtons::Ok) {
        return Answer::Ok;
    }
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return defaultAnswer;
    }
    const int code = m_answers.front();
    m_answers.pop_front();
    return code;
}

QStringList ScriptedInteraction::texts() const
{
    QStringList result;
    for (const Shown& shown : m_shown) {
        result.append(shown.text);
    }
    return result;
}

} // namespace tavrune::test

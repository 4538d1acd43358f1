#include "support/scripted_interaction.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace tavrune::test {

Answer ScriptedInteraction::showMessage(const QString& text, MessageIcon icon,
                                        MessageButtons buttons, Answer defaultAnswer)
{
    m_shown.append({text, icon, buttons, defaultAnswer});
    if (m_onShown) {
        m_onShown(text);
    }
    if (buttons == MessageButtons::Ok) {
        return Answer::Ok;
    }
    return nextAnswer(text, defaultAnswer);
}

Answer ScriptedInteraction::askYesAllNoCancel(const QString& prompt, const QString&)
{
    m_shown.append({prompt, MessageIcon::Question, MessageButtons::YesAllNoCancel, Answer::No});
    if (m_onShown) {
        m_onShown(prompt);
    }
    return nextAnswer(prompt, Answer::No);
}

QString ScriptedInteraction::chooseDirectory(const QString& title, const QString& initialDirectory)
{
    m_shown.append({title, MessageIcon::None, MessageButtons::Ok, Answer::Ok});
    m_directoryStarts.append(initialDirectory);
    if (m_directories.empty()) {
        ADD_FAILURE() << "unexpected directory chooser: " << title.toStdString();
        return {};
    }
    QString path = m_directories.front();
    m_directories.pop_front();
    return path;
}

QString ScriptedInteraction::chooseOpenFile(const QStringList& filters,
                                            const QString& startDirectory,
                                            const QString& selectedFile)
{
    return chooseFile(QStringLiteral("open file"), filters, startDirectory, selectedFile);
}

QString ScriptedInteraction::chooseSaveFile(const QStringList& filters,
                                            const QString& startDirectory,
                                            const QString& selectedFile)
{
    return chooseFile(QStringLiteral("save file"), filters, startDirectory, selectedFile);
}

std::optional<PasswordAnswer> ScriptedInteraction::askPassword(const QString& prompt, bool)
{
    m_shown.append({prompt, MessageIcon::Question, MessageButtons::OkCancel, Answer::Ok});
    if (m_onShown) {
        m_onShown(prompt);
    }
    if (m_passwords.empty()) {
        ADD_FAILURE() << "unexpected password question: " << prompt.toStdString();
        return std::nullopt;
    }
    std::optional<PasswordAnswer> answer = m_passwords.front();
    m_passwords.pop_front();
    return answer;
}

QString ScriptedInteraction::chooseFile(const QString& what, const QStringList& filters,
                                        const QString& startDirectory, const QString& selectedFile)
{
    m_shown.append({what, MessageIcon::None, MessageButtons::Ok, Answer::Ok});
    m_openFileRequests.append({filters, startDirectory, selectedFile});
    if (m_directories.empty()) {
        ADD_FAILURE() << "unexpected file chooser";
        return {};
    }
    QString path = m_directories.front();
    m_directories.pop_front();
    return path;
}

Answer ScriptedInteraction::nextAnswer(const QString& question, Answer defaultAnswer)
{
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << question.toStdString();
        return defaultAnswer;
    }
    const Answer code = m_answers.front();
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

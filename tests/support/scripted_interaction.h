#pragma once

#include "common/user_interaction.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

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
        Answer defaultAnswer;
    };

    // Queues the answer to the next question (messages with more than an OK button,
    // and the overwrite question).
    void answer(Answer code) { m_answers.push_back(code); }
    // Queues the directory the next directory chooser returns (empty: cancelled).
    void chooseDirectoryAnswer(const QString& path) { m_directories.push_back(path); }
    // Called with everything shown, after it is recorded and before it is answered;
    // lets a test act at that moment (press a button of a window, say).
    void setOnShown(std::function<void(const QString& text)> onShown)
    {
        m_onShown = std::move(onShown);
    }

    Answer showMessage(const QString& text, MessageIcon icon, MessageButtons buttons,
                       Answer defaultAnswer) override;
    // Recorded with the question icon, the four buttons and No as the default.
    Answer askYesAllNoCancel(const QString& prompt, const QString& caption) override;
    // Recorded with the title as text; the initial directory is kept apart.
    QString chooseDirectory(const QString& title, const QString& initialDirectory) override;
    // Recorded as "open file" with the filters, start directory and selected file
    // kept apart; answered from the same queue as the directory chooser.
    QString chooseOpenFile(const QStringList& filters, const QString& startDirectory,
                           const QString& selectedFile) override;
    // Recorded as "save file", answered from the same queue as the open file chooser.
    QString chooseSaveFile(const QStringList& filters, const QString& startDirectory,
                           const QString& selectedFile) override;
    // Queues the answer to the next password question (none: cancelled).
    void passwordAnswer(std::optional<PasswordAnswer> answer)
    {
        m_passwords.push_back(std::move(answer));
    }
    // Recorded with the prompt as text and the question icon.
    std::optional<PasswordAnswer> askPassword(const QString& prompt, bool offerRemember) override;
    struct OpenFileRequest
    {
        QStringList filters;
        QString startDirectory;
        QString selectedFile;
    };
    const QList<OpenFileRequest>& openFileRequests() const { return m_openFileRequests; }

    const QList<Shown>& shown() const { return m_shown; }
    // Texts of everything shown, in order.
    QStringList texts() const;
    bool allAnswersUsed() const
    {
        return m_answers.empty() && m_directories.empty() && m_passwords.empty();
    }
    const QStringList& directoryStarts() const { return m_directoryStarts; }

private:
    QString chooseFile(const QString& what, const QStringList& filters,
                       const QString& startDirectory, const QString& selectedFile);
    Answer nextAnswer(const QString& question, Answer defaultAnswer);

    std::deque<Answer> m_answers;
    std::deque<QString> m_directories;
    std::deque<std::optional<PasswordAnswer>> m_passwords;
    QList<Shown> m_shown;
    QStringList m_directoryStarts;
    QList<OpenFileRequest> m_openFileRequests;
    std::function<void(const QString&)> m_onShown;
};

} // namespace tavrune::test

#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tavrune {

enum class MessageIcon
{
    None,
    Stop,
    Question,
    Exclamation,
    Information,
};

enum class MessageButtons
{
    Ok,
    OkCancel,
    YesNo,
    YesAllNoCancel, // the overwrite question: はい, すべて上書き, いいえ, ｷｬﾝｾﾙ
};

// The answers to messages and questions.
enum class Answer
{
    Ok,
    Cancel,
    Yes,
    No,
    OverwriteAll, // overwrite every remaining file of a run
};

// A password the user typed, and whether it is to be remembered.
struct PasswordAnswer
{
    QString password;
    bool remember = false;
};

// Everything the program tells or asks the user goes through this interface: the
// windows implement it with real dialogs, the batch tool without asking, tests
// with a script of answers.
class UserInteraction
{
public:
    virtual ~UserInteraction() = default;

    // A message box captioned "Tavrune for Excel"; returns the answer of the
    // button chosen (Answer::Ok for a plain message). defaultAnswer is the button
    // that Enter chooses.
    virtual Answer showMessage(const QString& text, MessageIcon icon, MessageButtons buttons,
                               Answer defaultAnswer) = 0;

    // Asks with the buttons "はい(&Y)", "すべて上書き(&A)", "いいえ(&N)" and "ｷｬﾝｾﾙ";
    // returns Answer::Yes, Answer::OverwriteAll, Answer::No or Answer::Cancel. An
    // empty caption stands for "Tavrune for Excel".
    virtual Answer askYesAllNoCancel(const QString& prompt, const QString& caption) = 0;

    // A directory chooser titled title, starting at initialDirectory; the chosen
    // directory, or empty text when the user cancelled.
    virtual QString chooseDirectory(const QString& title, const QString& initialDirectory) = 0;

    // A file chooser for an existing file, with the filters ("name (*.a *.b)") in
    // order, the first preselected; it starts in startDirectory with selectedFile
    // (a full path, or empty) preselected. The chosen full path, or empty text when
    // the user cancelled.
    virtual QString chooseOpenFile(const QStringList& filters, const QString& startDirectory,
                                   const QString& selectedFile) = 0;

    // A file chooser for a file to write, as chooseOpenFile; a file that exists is
    // to be replaced only once the user has agreed. Without a way to ask, none.
    virtual QString chooseSaveFile(const QStringList& filters, const QString& startDirectory,
                                   const QString& selectedFile)
    {
        (void)filters, (void)startDirectory, (void)selectedFile;
        return {};
    }

    // Asks for a password with prompt, offering to remember it when offerRemember;
    // none when the user cancelled. Without a way to ask, none.
    virtual std::optional<PasswordAnswer> askPassword(const QString& prompt, bool offerRemember)
    {
        (void)prompt, (void)offerRemember;
        return std::nullopt;
    }
};

} // namespace tavrune

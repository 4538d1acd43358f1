#include "gui/run/dialog_interaction.h"

#include "gui/run/overwrite_question_dialog.h"
#include "gui/window_services.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

namespace tavrune {

namespace {

const QString kCaption = QStringLiteral("Tavrune for Excel");

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSet
{
    QMessageBox::StandardButtons buttons;
    // The button that Esc and closing the box choose.
    QMessageBox::StandardButton escape;
};

ButtonSet buttonSet(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::OkCancel:
        return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel};
    case MessageButtons::YesNo:
        return {QMessageBox::Yes | QMessageBox::No, QMessageBox::No};
    case MessageButtons::Ok:
    case MessageButtons::YesAllNoCancel:
        break;
    }
    return {QMessageBox::Ok, QMessageBox::Ok};
}

QMessageBox::StandardButton buttonOf(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    default:
        return QMessageBox::NoButton;
    }
}

Answer answerOf(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Ok;
    }
}

} // namespace

DialogInteraction::DialogInteraction(QWidget* parent) : m_parent(parent) {}

Answer DialogInteraction::showMessage(const QString& text, MessageIcon icon, MessageButtons buttons,
                                      Answer defaultAnswer)
{
    if (buttons == MessageButtons::YesAllNoCancel) {
        return askYesAllNoCancel(text, kCaption);
    }
    const ButtonSet set = buttonSet(buttons);
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

    // Guarded: the box goes with its parent, should that be destroyed while it asks.
    QPointer<QMessageBox> box =
        new QMessageBox(boxIcon(icon), kCaption, lines, set.buttons, m_parent.data());
    box->setTextFormat(Qt::PlainText);
    box->setEscapeButton(set.escape);
    const QMessageBox::StandardButton preferred = buttonOf(defaultAnswer);
    if (set.buttons.testFlag(preferred)) {
        box->setDefaultButton(preferred);
    }
    box->setWindowFlag(Qt::WindowStaysOnTopHint, isTopMost(m_parent.data()));
    box->exec();
    if (box.isNull()) {
        return answerOf(set.escape);
    }
    QAbstractButton* clicked = box->clickedButton();
    const Answer answer = answerOf(clicked != nullptr ? box->standardButton(clicked) : set.escape);
    delete box.data();
    return answer;
}

Answer DialogInteraction::askYesAllNoCancel(const QString& prompt, const QString& caption)
{
    return OverwriteQuestionDialog::ask(prompt, caption, m_parent.data());
}

QString DialogInteraction::chooseDirectory(const QString& title, const QString& initialDirectory)
{
    return QFileDialog::getExistingDirectory(m_parent.data(), title, initialDirectory,
                                             QFileDialog::ShowDirsOnly);
}

QString DialogInteraction::chooseOpenFile(const QStringList& filters, const QString& startDirectory,
                                          const QString& selectedFile)
{
    QFileDialog dialog(m_parent.data());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(filters);
    // Qt's own dialog matches the filters without regard to case, so workbooks
    // saved with upper-case extensions (BOOK.XLS) are listed too.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setDirectory(startDirectory);
    if (!selectedFile.isEmpty()) {
        dialog.selectFile(selectedFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().first();
}

} // namespace tavrune

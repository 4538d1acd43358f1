#include "gui/run/dialog_interaction.h"

#include "gui/run/overwrite_question_dialog.h"
#include "gui/window_services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpression>
#include <QVBoxLayout>

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

// What is asked belongs to the window the user is looking at: the program's
// active window (the format editor, say), else the main window. That window gets
// the focus back afterwards, which the window manager does not always give it.
template <typename Ask> auto askFrom(QWidget* mainWindow, Ask&& ask)
{
    QWidget* active = QApplication::activeWindow();
    const QPointer<QWidget> owner = active != nullptr ? active : mainWindow;
    const auto answer = ask(owner.data());
    if (!owner.isNull() && owner->isVisible()) {
        owner->activateWindow();
    }
    return answer;
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
    return askFrom(m_parent.data(), [&](QWidget* owner) {
        // Guarded: the box goes with its owner, should that be destroyed while it asks.
        QPointer<QMessageBox> box =
            new QMessageBox(boxIcon(icon), kCaption, lines, set.buttons, owner);
        box->setTextFormat(Qt::PlainText);
        box->setEscapeButton(set.escape);
        const QMessageBox::StandardButton preferred = buttonOf(defaultAnswer);
        if (set.buttons.testFlag(preferred)) {
            box->setDefaultButton(preferred);
        }
        for (QAbstractButton* button : box->buttons()) {
            // Desktops without a theme of their own ask for pictures on buttons, and
            // get Qt's built-in ones, which look out of place; the icon theme's stay.
            if (button->icon().name().isEmpty()) {
                button->setIcon(QIcon());
            }
        }
        // The window manager shows the caption between the window's icon and
        // buttons, for which Qt leaves too little room around a short message.
        box->findChild<QDialogButtonBox*>()->setMinimumWidth(captionRoom(*box));
        box->setWindowFlag(Qt::WindowStaysOnTopHint, isTopMost(owner));
        box->exec();
        if (box.isNull()) {
            return answerOf(set.escape);
        }
        QAbstractButton* clicked = box->clickedButton();
        const Answer answer =
            answerOf(clicked != nullptr ? box->standardButton(clicked) : set.escape);
        delete box.data();
        return answer;
    });
}

Answer DialogInteraction::askYesAllNoCancel(const QString& prompt, const QString& caption)
{
    return askFrom(m_parent.data(), [&](QWidget* owner) {
        return OverwriteQuestionDialog::ask(prompt, caption, owner);
    });
}

QString DialogInteraction::chooseDirectory(const QString& title, const QString& initialDirectory)
{
    return askFrom(m_parent.data(), [&](QWidget* owner) {
        return QFileDialog::getExistingDirectory(owner, title, initialDirectory,
                                                 QFileDialog::ShowDirsOnly);
    });
}

QString DialogInteraction::chooseOpenFile(const QStringList& filters, const QString& startDirectory,
                                          const QString& selectedFile)
{
    return chooseFile(QFileDialog::AcceptOpen, filters, startDirectory, selectedFile);
}

QString DialogInteraction::chooseSaveFile(const QStringList& filters, const QString& startDirectory,
                                          const QString& selectedFile)
{
    return chooseFile(QFileDialog::AcceptSave, filters, startDirectory, selectedFile);
}

QString DialogInteraction::chooseFile(int acceptMode, const QStringList& filters,
                                      const QString& startDirectory, const QString& selectedFile)
{
    // The desktop's own dialog where there is one, Qt's where there is none; it
    // asks itself before a file to write over is chosen.
    return askFrom(m_parent.data(), [&](QWidget* owner) -> QString {
        QFileDialog dialog(owner);
        const auto mode = static_cast<QFileDialog::AcceptMode>(acceptMode);
        dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                           : QFileDialog::AnyFile);
        dialog.setAcceptMode(mode);
        dialog.setNameFilters(filtersInBothCases(filters));
        dialog.setDirectory(startDirectory);
        if (!selectedFile.isEmpty()) {
            dialog.selectFile(selectedFile);
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return {};
        }
        return dialog.selectedFiles().first();
    });
}

std::optional<PasswordAnswer> DialogInteraction::askPassword(const QString& prompt,
                                                             bool offerRemember)
{
    return askFrom(m_parent.data(), [&](QWidget* owner) -> std::optional<PasswordAnswer> {
        QDialog dialog(owner);
        dialog.setObjectName(QStringLiteral("frmPassword"));
        dialog.setWindowTitle(kCaption);
        auto* layout = new QVBoxLayout(&dialog);
        auto* text = new QLabel(prompt, &dialog);
        text->setWordWrap(true);
        layout->addWidget(text);
        auto* password = new QLineEdit(&dialog);
        password->setObjectName(QStringLiteral("txtPassword"));
        password->setEchoMode(QLineEdit::Password);
        layout->addWidget(password);
        auto* remember = new QCheckBox(QStringLiteral("ﾊﾟｽﾜｰﾄﾞを保存する(&S)"), &dialog);
        remember->setObjectName(QStringLiteral("chkRemember"));
        remember->setVisible(offerRemember);
        remember->setChecked(offerRemember);
        layout->addWidget(remember);
        auto* buttons =
            new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        layout->addWidget(buttons);
        dialog.setMinimumWidth(text->fontMetrics().averageCharWidth() * 50);
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return PasswordAnswer{password->text(), offerRemember && remember->isChecked()};
    });
}

QStringList DialogInteraction::filtersInBothCases(const QStringList& filters)
{
    static const QRegularExpression patternList(QStringLiteral("\\(([^()]*)\\)$"));
    QStringList result;
    for (const QString& filter : filters) {
        const QRegularExpressionMatch match = patternList.match(filter);
        QStringList patterns;
        for (const QString& pattern : match.captured(1).split(u' ', Qt::SkipEmptyParts)) {
            for (const QString& spelling : {pattern, pattern.toUpper()}) {
                if (!patterns.contains(spelling)) {
                    patterns.append(spelling);
                }
            }
        }
        result.append(filter.left(match.capturedStart(1)) + patterns.join(u' ') + u')');
    }
    return result;
}

} // namespace tavrune

#include "app/dialog_interaction.h"
#include "support/when_modal.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace tavrune {
namespace {

using test::whenModalShown;

enum class Act
{
    Enter,
    Esc,
    Close,
    ClickYes,
};

void act(QWidget& dialog, Act how)
{
    switch (how) {
    case Act::Enter:
        QTest::keyClick(&dialog, Qt::Key_Return);
        break;
    case Act::Esc:
        QTest::keyClick(&dialog, Qt::Key_Escape);
        break;
    case Act::Close:
        dialog.close();
        break;
    case Act::ClickYes:
        static_cast<QMessageBox&>(dialog).button(QMessageBox::Yes)->click();
        break;
    }
}

TEST(DialogInteraction, MessageBoxesFollowIconButtonsAndDefault)
{
    const struct
    {
        MessageIcon icon;
        MessageButtons buttons;
        int defaultAnswer;
        Act how;
        QMessageBox::Icon boxIcon;
        QMessageBox::StandardButtons boxButtons;
        QMessageBox::StandardButton boxDefault;
        int expected;
    } cases[] = {
        {MessageIcon::Information, MessageButtons::Ok, Answer::Ok, Act::Enter,
         QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok, Answer::Ok},
        {MessageIcon::Exclamation, MessageButtons::Ok, Answer::Ok, Act::Esc, QMessageBox::Warning,
         QMessageBox::Ok, QMessageBox::Ok, Answer::Ok},
        {MessageIcon::Question, MessageButtons::OkCancel, Answer::Cancel, Act::Enter,
         QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel,
         Answer::Cancel},
        {MessageIcon::Question, MessageButtons::OkCancel, Answer::Ok, Act::Esc,
         QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok,
         Answer::Cancel},
        {MessageIcon::Question, MessageButtons::YesNo, Answer::No, Act::Enter,
         QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No, Answer::No},
        {MessageIcon::Question, MessageButtons::YesNo, Answer::Yes, Act::Enter,
         QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, Answer::Yes},
        {MessageIcon::Stop, MessageButtons::YesNo, Answer::Yes, Act::Esc, QMessageBox::Critical,
         QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, Answer::No},
        {MessageIcon::Question, MessageButtons::YesNo, Answer::Yes, Act::Close,
         QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, Answer::No},
        {MessageIcon::Question, MessageButtons::YesNo, Answer::No, Act::ClickYes,
         QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No, Answer::Yes},
    };
    DialogInteraction interaction;
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(index++);
        whenModalShown([&c](QWidget& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Tavrune for Excel"));
            EXPECT_EQ(box->text(), QStringLiteral("<b>1</b>\n2"));
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->icon(), c.boxIcon);
            EXPECT_EQ(box->standardButtons(), c.boxButtons);
            EXPECT_EQ(box->standardButton(box->defaultButton()), c.boxDefault);
            act(dialog, c.how);
        });
        EXPECT_EQ(interaction.showMessage(QStringLiteral("<b>1</b>\r\n2"), c.icon, c.buttons,
                                          c.defaultAnswer),
                  c.expected);
    }
}

TEST(DialogInteraction, DialogsAreTopMostAndUsableWhenTheirDisabledParentIsTopMost)
{
    for (const bool parentOnTop : {false, true}) {
        SCOPED_TRACE(parentOnTop ? "parent on top" : "parent not on top");
        QWidget parent;
        parent.setWindowFlag(Qt::WindowStaysOnTopHint, parentOnTop);
        parent.setEnabled(false);
        DialogInteraction interaction;
        interaction.setParentWindow(&parent);
        for (const bool overwriteQuestion : {false, true}) {
            whenModalShown([&](QWidget& dialog) {
                EXPECT_EQ(dialog.parentWidget(), &parent);
                EXPECT_EQ(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint), parentOnTop);
                EXPECT_TRUE(dialog.isEnabled());
                QTest::keyClick(&dialog, Qt::Key_Escape);
            });
            const int answer =
                overwriteQuestion
                    ? interaction.AskYesAllNoCancel(QStringLiteral("p"), QString())
                    : interaction.showMessage(QStringLiteral("q"), MessageIcon::Question,
                                              MessageButtons::YesNo, Answer::No);
            EXPECT_EQ(answer, overwriteQuestion ? Answer::Cancel : Answer::No);
        }
    }
}

TEST(DialogInteraction, OverwriteQuestionIsTheFourAnswerWindow)
{
    DialogInteraction interaction;
    whenModalShown([](QWidget& dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("frmMsg"));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Tavrune for Excel"));
        dialog.findChild<QPushButton*>(QStringLiteral("cmdAll"))->click();
    });
    EXPECT_EQ(interaction.AskYesAllNoCancel(QStringLiteral("p"), QString()), Answer::OverwriteAll);
}

TEST(DialogInteraction, DirectoryChooserStartsAtTheGivenDirectoryAndCancelGivesNothing)
{
    QTemporaryDir start;
    ASSERT_TRUE(start.isValid());
    DialogInteraction interaction;
    whenModalShown([&start](QWidget& dialog) {
        auto* chooser = qobject_cast<QFileDialog*>(&dialog);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->windowTitle(), QStringLiteral("フォルダ選択"));
        EXPECT_EQ(chooser->directory().absolutePath(), QDir(start.path()).absolutePath());
        EXPECT_EQ(chooser->fileMode(), QFileDialog::Directory);
        chooser->reject();
    });
    EXPECT_TRUE(
        interaction.chooseDirectory(QStringLiteral("フォルダ選択"), start.path()).isEmpty());
}

} // namespace
} // namespace tavrune

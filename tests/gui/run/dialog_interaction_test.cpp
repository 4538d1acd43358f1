#include "gui/run/dialog_interaction.h"
#include "support/when_modal.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

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
    // What each icon, button set and answer code is in a message box.
    const std::map<MessageIcon, QMessageBox::Icon> icons{
        {MessageIcon::Information, QMessageBox::Information},
        {MessageIcon::Exclamation, QMessageBox::Warning},
        {MessageIcon::Question, QMessageBox::Question},
        {MessageIcon::Stop, QMessageBox::Critical}};
    const std::map<MessageButtons, QMessageBox::StandardButtons> buttonSets{
        {MessageButtons::Ok, QMessageBox::Ok},
        {MessageButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel},
        {MessageButtons::YesNo, QMessageBox::Yes | QMessageBox::No}};
    const std::map<Answer, QMessageBox::StandardButton> buttons{
        {Answer::Ok, QMessageBox::Ok},
        {Answer::Cancel, QMessageBox::Cancel},
        {Answer::Yes, QMessageBox::Yes},
        {Answer::No, QMessageBox::No}};
    const struct
    {
        MessageIcon icon;
        MessageButtons buttons;
        Answer defaultAnswer;
        Act how;
        Answer expected;
    } cases[] = {
        {MessageIcon::Information, MessageButtons::Ok, Answer::Ok, Act::Enter, Answer::Ok},
        {MessageIcon::Exclamation, MessageButtons::Ok, Answer::Ok, Act::Esc, Answer::Ok},
        {MessageIcon::Question, MessageButtons::OkCancel, Answer::Cancel, Act::Enter,
         Answer::Cancel},
        {MessageIcon::Question, MessageButtons::OkCancel, Answer::Ok, Act::Esc, Answer::Cancel},
        {MessageIcon::Question, MessageButtons::YesNo, Answer::No, Act::Enter, Answer::No},
        {MessageIcon::Question, MessageButtons::YesNo, Answer::Yes, Act::Enter, Answer::Yes},
        {MessageIcon::Stop, MessageButtons::YesNo, Answer::Yes, Act::Esc, Answer::No},
        {MessageIcon::Question, MessageButtons::YesNo, Answer::Yes, Act::Close, Answer::No},
        {MessageIcon::Question, MessageButtons::YesNo, Answer::No, Act::ClickYes, Answer::Yes},
    };
    DialogInteraction interaction;
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(index++);
        whenModalShown([&](QWidget& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Tavrune for Excel"));
            EXPECT_EQ(box->text(), QStringLiteral("<b>1</b>\n2"));
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->icon(), icons.at(c.icon));
            EXPECT_EQ(box->standardButtons(), buttonSets.at(c.buttons));
            EXPECT_EQ(box->standardButton(box->defaultButton()), buttons.at(c.defaultAnswer));
            act(dialog, c.how);
        });
        EXPECT_EQ(interaction.showMessage(QStringLiteral("<b>1</b>\r\n2"), c.icon, c.buttons,
                                          c.defaultAnswer),
                  c.expected);
    }
}

TEST(DialogInteraction, QuestionsAreTopMostAndUsableWhenTheirDisabledParentIsTopMost)
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
                if (overwriteQuestion) { // the four-answer window
                    EXPECT_EQ(dialog.objectName(), QStringLiteral("frmMsg"));
                }
                EXPECT_EQ(dialog.parentWidget(), &parent);
                EXPECT_EQ(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint), parentOnTop);
                EXPECT_TRUE(dialog.isEnabled());
                QTest::keyClick(&dialog, Qt::Key_Escape);
            });
            const Answer answer =
                overwriteQuestion
                    ? interaction.askYesAllNoCancel(QStringLiteral("p"), QString())
                    : interaction.showMessage(QStringLiteral("q"), MessageIcon::Question,
                                              MessageButtons::YesNo, Answer::No);
            EXPECT_EQ(answer, overwriteQuestion ? Answer::Cancel : Answer::No);
        }
    }
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

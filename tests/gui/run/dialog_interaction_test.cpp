#include "gui/run/dialog_interaction.h"
#include "gui/window_services.h"
#include "support/when_modal.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProxyStyle>
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

// The style of a desktop without a theme of its own: pictures on dialog buttons.
struct ButtonPicturesStyle : QProxyStyle
{
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override
    {
        return hint == SH_DialogButtonBox_ButtonsHaveIcons
                   ? 1
                   : QProxyStyle::styleHint(hint, option, widget, data);
    }
};

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
    QApplication::setStyle(new ButtonPicturesStyle);
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
            EXPECT_GE(box->width(), captionRoom(*box));
            for (const QAbstractButton* button : box->buttons()) {
                EXPECT_TRUE(button->icon().isNull()) << "Qt's built-in picture";
            }
            act(dialog, c.how);
        });
        EXPECT_EQ(interaction.showMessage(QStringLiteral("<b>1</b>\r\n2"), c.icon, c.buttons,
                                          c.defaultAnswer),
                  c.expected);
    }
    QApplication::setStyle(QStringLiteral("fusion"));
}

// Each dialog belongs to the program's active window, else to the main window,
// and is on top when its owner is; a run disables the main window, whose dialogs
// stay usable. The active window gets the focus back.
TEST(DialogInteraction, DialogsBelongToTheActiveWindowElseTheMainWindow)
{
    QTemporaryDir start;
    ASSERT_TRUE(start.isValid());
    QWidget mainWindow;
    QWidget editor(&mainWindow, Qt::Window);
    auto* field = new QLineEdit(&editor);
    DialogInteraction interaction(&mainWindow);
    // Each is cancelled: the questions answer No and ｷｬﾝｾﾙ, the choosers nothing.
    const std::function<bool()> asks[] = {
        [&] {
            return interaction.showMessage(u"q"_qs, MessageIcon::Question, MessageButtons::YesNo,
                                           Answer::Yes) == Answer::No;
        },
        [&] { return interaction.askYesAllNoCancel(u"p"_qs, {}) == Answer::Cancel; },
        [&] { return interaction.chooseDirectory(u"フォルダ選択"_qs, start.path()).isEmpty(); },
        [&] { return interaction.chooseOpenFile({u"W (*.xls)"_qs}, start.path(), {}).isEmpty(); },
    };
    for (const bool editorActive : {false, true}) {
        SCOPED_TRACE(editorActive ? "format editor active" : "no window active");
        QWidget* owner = editorActive ? &editor : &mainWindow;
        setTopMost(mainWindow, !editorActive);
        mainWindow.setEnabled(editorActive);
        mainWindow.setVisible(editorActive);
        editor.setVisible(editorActive);
        for (const auto& ask : asks) {
            if (editorActive) {
                editor.activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
                field->setFocus();
            }
            whenModalShown([&](QWidget& dialog) {
                EXPECT_EQ(dialog.parentWidget(), owner);
                EXPECT_TRUE(dialog.isEnabled());
                if (auto* chooser = qobject_cast<QFileDialog*>(&dialog)) {
                    EXPECT_EQ(chooser->directory(), QDir(start.path()));
                    if (chooser->fileMode() == QFileDialog::ExistingFile) {
                        EXPECT_EQ(chooser->nameFilters(), QStringList(u"W (*.xls *.XLS)"_qs));
                    } else {
                        EXPECT_EQ(chooser->windowTitle(), u"フォルダ選択"_qs);
                    }
                } else {
                    EXPECT_EQ(isTopMost(&dialog), !editorActive);
                    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
                }
                QTest::keyClick(&dialog, Qt::Key_Escape);
            });
            EXPECT_TRUE(ask());
            if (editorActive) {
                ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
                EXPECT_EQ(QApplication::focusWidget(), field);
            }
        }
    }
}

TEST(DialogInteraction, FiltersListEachPatternInBothCasesOnce)
{
    EXPECT_EQ(DialogInteraction::filtersInBothCases(
                  {u"ﾜｰｸﾌﾞｯｸ (2) (*.xlsx *.xls)"_qs, u"Excel (*.XLS *.xls)"_qs, u"すべて (*)"_qs}),
              QStringList({u"ﾜｰｸﾌﾞｯｸ (2) (*.xlsx *.XLSX *.xls *.XLS)"_qs, u"Excel (*.XLS *.xls)"_qs,
                           u"すべて (*)"_qs}));
}

} // namespace
} // namespace tavrune

#include "common/user_interaction.h"
#include "gui/run/progress_dialog.h"
#include "support/scripted_interaction.h"

#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace tavrune {
namespace {

TEST(ProgressDialog, ButtonEscAndCloseAskFirstAndLeaveTheWindowOpen)
{
    const struct
    {
        const char* how;
        std::function<void(ProgressDialog&)> act;
    } ways[] = {
        {"button",
         [](ProgressDialog& d) {
             d.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
         }},
        {"Esc", [](ProgressDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"close", [](ProgressDialog& d) { d.close(); }},
    };
    for (const auto& way : ways) {
        for (const Answer answer : {Answer::No, Answer::Yes}) {
            SCOPED_TRACE(std::string(way.how) + (answer == Answer::Yes ? " Yes" : " No"));
            test::ScriptedInteraction interaction;
            interaction.answer(answer);
            bool cancel = false;
            QWidget mainWindow;
            ProgressDialog dialog(interaction, cancel, &mainWindow);
            dialog.show();

            way.act(dialog);

            ASSERT_EQ(interaction.shown().size(), 1);
            const auto& question = interaction.shown().front();
            EXPECT_EQ(question.text, QStringLiteral("ファイル作成を中断しますか？"));
            EXPECT_EQ(question.icon, MessageIcon::Question);
            EXPECT_EQ(question.buttons, MessageButtons::YesNo);
            EXPECT_EQ(question.defaultAnswer, Answer::No);
            EXPECT_EQ(cancel, answer == Answer::Yes);
            EXPECT_TRUE(dialog.isVisible());
        }
    }
}

} // namespace
} // namespace tavrune

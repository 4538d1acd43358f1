#include "common/user_interaction.h"
#include "gui/run/window_run_host.h"
#include "support/scripted_interaction.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

namespace tavrune {
namespace {

QDialog* progressWindow(QWidget& mainWindow)
{
    return mainWindow.findChild<QDialog*>(QStringLiteral("frmCancel"));
}

TEST(WindowRunHost, RunDisablesBothWindowsAndShowsTheProgressWindowWhoseCancelSetsTheFlag)
{
    for (const bool mainOnTop : {false, true}) {
        SCOPED_TRACE(mainOnTop ? "main window on top" : "main window not on top");
        test::ScriptedInteraction interaction;
        QWidget mainWindow;
        QWidget formatEditor;
        mainWindow.setWindowFlag(Qt::WindowStaysOnTopHint, mainOnTop);
        WindowRunHost host(interaction, mainWindow, formatEditor);

        host.beginRun();
        EXPECT_FALSE(mainWindow.isEnabled());
        EXPECT_FALSE(formatEditor.isEnabled());
        QDialog* progress = progressWindow(mainWindow);
        ASSERT_NE(progress, nullptr);
        EXPECT_TRUE(progress->isVisible());
        EXPECT_EQ(progress->windowTitle(), u"ファイル作成中");
        EXPECT_FALSE(progress->isModal());
        EXPECT_EQ(progress->windowFlags().testFlag(Qt::WindowStaysOnTopHint), mainOnTop);
        auto* cancelButton = progress->findChild<QPushButton*>(QStringLiteral("cmdCancel"));
        ASSERT_NE(cancelButton, nullptr);
        EXPECT_TRUE(cancelButton->isEnabled()) << "the one live control of a run";

        host.setProgressText(QStringLiteral("1 / 2"));
        EXPECT_EQ(progress->findChild<QLabel*>(QStringLiteral("lblMsg"))->text(),
                  QStringLiteral("1 / 2"));

        // A confirmed cancel sets the flag until the next run resets it.
        interaction.answer(Answer::Yes);
        cancelButton->click();
        EXPECT_TRUE(host.cancelFlag());

        host.endRun();
        EXPECT_TRUE(mainWindow.isEnabled());
        EXPECT_TRUE(formatEditor.isEnabled());
        EXPECT_EQ(progressWindow(mainWindow), nullptr);
        EXPECT_TRUE(host.cancelFlag());
        host.resetCancelFlag();
        EXPECT_FALSE(host.cancelFlag());
        EXPECT_TRUE(interaction.allAnswersUsed());
    }
}

} // namespace
} // namespace tavrune

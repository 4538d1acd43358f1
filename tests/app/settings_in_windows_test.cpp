// Named settings in the main window and the format editor: what registering and
// deleting leave in the settings file, the mark of unregistered edits and the
// question at exit, and the editor's window behaviour.

#include "app/main_window.h"
#include "app/window_services.h"
#include "format_editor/format_editor_window.h"
#include "settings/settings_file.h"
#include "support/scripted_interaction.h"
#include "support/test_files.h"
#include "workbook/file_workbook_source.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

class SettingsInWindowsTest : public ::testing::Test
{
protected:
    void start(bool withSamples = true)
    {
        if (withSamples) {
            QFile::copy(QStringLiteral(TAVRUNE_SAMPLES "/tavrune.dat"), settingsPath());
            QFile::setPermissions(settingsPath(), QFile::ReadOwner | QFile::WriteOwner);
        }
        m_window = std::make_unique<MainWindow>(
            m_ui, m_source,
            SettingsPaths{settingsPath(), m_dir.filePath(QStringLiteral("tavrune.ini"))},
            QString());
        m_window->startUp();
    }
    QString settingsPath() const { return m_dir.filePath(QStringLiteral("tavrune.dat")); }

    template <typename T> T* inMain(const char* name) const
    {
        return m_window->centralWidget()->findChild<T*>(QString::fromLatin1(name));
    }
    template <typename T> T* inEditor(const char* name) const
    {
        return m_window->formatEditor().findChild<T*>(QString::fromLatin1(name));
    }

    void load(FormatSettings& formats, FileSettings& files)
    {
        test::ScriptedInteraction quiet;
        ASSERT_TRUE(SettingsFile(settingsPath(), quiet).LoadSettingsFile(formats, files));
    }

    QTemporaryDir m_dir;
    test::ScriptedInteraction m_ui;
    FileWorkbookSource m_source;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(SettingsInWindowsTest, RegisteredSettingsAreWhatTheFileHolds)
{
    start();
    FormatSettings samples;
    FileSettings sampleFiles;
    load(samples, sampleFiles);
    inMain<QComboBox>("cmbName")->setEditText(QStringLiteral(" 新しい設定 "));
    inMain<QPlainTextEdit>("txtText1")->setPlainText(QStringLiteral("-- [%TableName]\nGO"));
    inMain<QLineEdit>("txtOutputDir")->setText(QStringLiteral("/tmp/out"));
    inMain<QComboBox>("cmbEncoding")->setCurrentIndex(2);
    inMain<QComboBox>("cmbLineEnd")->setCurrentIndex(1);
    inMain<QPushButton>("cmdAdd")->click();

    inEditor<QComboBox>("cmbName")->setEditText(QStringLiteral("F1"));
    inEditor<QLineEdit>("txtRowStart")->setText(QStringLiteral("12abc"));
    inEditor<QLineEdit>("txtTableName")->setText(QStringLiteral(" B2 "));
    inEditor<QPushButton>("cmdAdd")->click();
    EXPECT_EQ(m_ui.texts(),
              QStringList({QStringLiteral("登録しました。"), QStringLiteral("登録しました。")}));

    FormatSettings formats;
    FileSettings files;
    load(formats, files);
    ASSERT_EQ(files.size(), sampleFiles.size() + 1);
    EXPECT_EQ(files.last().Name, u"新しい設定");
    EXPECT_EQ(files.last().Text[1], u"-- [%TableName]\r\nGO");
    EXPECT_EQ(files.last().OutputDir, u"/tmp/out");
    EXPECT_EQ(files.last().Encoding, OutputEncoding::Utf8Bom);
    EXPECT_EQ(files.last().LineEnding, LineEnd::Lf);
    // Choosing a setting written the original way shows the defaults again.
    auto* name = inMain<QComboBox>("cmbName");
    name->activated(0);
    EXPECT_EQ(inMain<QComboBox>("cmbEncoding")->currentText(), u"Shift_JIS (CP932)");
    EXPECT_EQ(inMain<QComboBox>("cmbLineEnd")->currentText(), u"CR+LF");
    ASSERT_EQ(formats.size(), samples.size() + 1);
    EXPECT_EQ(formats.last().Name, u"F1");
    EXPECT_EQ(formats.last().RowStart, 12);
    EXPECT_EQ(formats.last().TableName, u" B2 ");
    EXPECT_EQ(inMain<QLabel>("lblModified")->text(), QString());
}

TEST_F(SettingsInWindowsTest, AnsweringNoOrDeletingNothingLeavesTheFileAsItWas)
{
    start();
    const QByteArray before = test::readBytes(settingsPath());
    auto* name = inMain<QComboBox>("cmbName");
    name->setEditText(name->itemText(0));
    inMain<QLineEdit>("txtOutputDir")->setText(QStringLiteral("/elsewhere"));
    m_ui.answer(Answer::No);
    inMain<QPushButton>("cmdAdd")->click();
    name->setEditText(QStringLiteral(" ") + name->itemText(0));
    inMain<QPushButton>("cmdDelete")->click();
    EXPECT_EQ(m_ui.texts(), QStringList({QStringLiteral("ファイル設定を上書きしますか？")}));
    EXPECT_EQ(test::readBytes(settingsPath()), before);
}

TEST_F(SettingsInWindowsTest, DeletingTheLastSettingsEmptiesTheirPartOfTheFile)
{
    start();
    auto* name = inMain<QComboBox>("cmbName");
    while (name->count() > 0) {
        name->setEditText(name->itemText(0));
        m_ui.answer(Answer::Yes);
        inMain<QPushButton>("cmdDelete")->click();
    }
    auto* formatName = inEditor<QComboBox>("cmbName");
    formatName->setEditText(formatName->itemText(0));
    m_ui.answer(Answer::Yes);
    inEditor<QPushButton>("cmdDelete")->click();
    EXPECT_EQ(m_ui.texts().last(), u"フォーマット設定を削除しますか？");
    EXPECT_EQ(test::readBytes(settingsPath()), QByteArray("\x02\r\n"));
    // The fields keep what they showed.
    EXPECT_FALSE(inEditor<QLineEdit>("txtTableName")->text().isEmpty());
}

TEST_F(SettingsInWindowsTest, UnregisteredEditsAreMarkedAndClosingAsks)
{
    start();
    auto* mark = inMain<QLabel>("lblModified");
    EXPECT_EQ(mark->text(), QString());
    inMain<QLineEdit>("txtOutputFile")->setText(QStringLiteral("x.sql"));
    EXPECT_EQ(mark->text(), u"*");
    inEditor<QLineEdit>("txtComment")->setText(QStringLiteral("Z"));
    EXPECT_EQ(inEditor<QLabel>("lblModified")->text(), u"*");

    m_ui.answer(Answer::No);
    EXPECT_FALSE(m_window->close());
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("tavrune.ini"))) &&
                 test::readBytes(m_dir.filePath(QStringLiteral("tavrune.ini"))).contains("Left"));
    EXPECT_EQ(m_ui.shown().last().defaultAnswer, Answer::No);
    EXPECT_EQ(m_ui.shown().last().text, u"登録されていない変更があります。終了しますか？");

    // Choosing the setting again takes the edits back, as it always has.
    auto* name = inMain<QComboBox>("cmbName");
    name->activated(name->currentIndex());
    EXPECT_EQ(mark->text(), QString());
    m_ui.answer(Answer::Yes);
    EXPECT_TRUE(m_window->close());
}

TEST_F(SettingsInWindowsTest, CtrlFSwitchesBetweenTheWindowsAndTheEditorOpensBesideTheMain)
{
    start(false);
    const QRect screen = m_window->screen()->availableGeometry();
    m_window->move(screen.right() + 1 - m_window->frameGeometry().width(), screen.top() + 20);
    QAction* open = m_window->findChild<QAction*>(QStringLiteral("mnuView_Format"));
    EXPECT_EQ(open->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    open->trigger();
    FormatEditorWindow& editor = m_window->formatEditor();
    ASSERT_TRUE(editor.isVisible());
    // Against a main window at the screen's right edge it is pulled back onto
    // the screen, tops aligned.
    EXPECT_EQ(editor.frameGeometry().right(), screen.right());
    EXPECT_EQ(editor.frameGeometry().top(), m_window->frameGeometry().top());
    editor.move(screen.topLeft());
    open->trigger(); // already shown: only brought forward
    EXPECT_EQ(editor.pos(), screen.topLeft());

    QSignalSpy back(&editor, &FormatEditorWindow::mainWindowWanted);
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    QLineEdit* field = inEditor<QLineEdit>("txtRowType");
    QTest::keyClick(field, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(back.size(), 0);
    QTest::keyClick(field, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(back.size(), 1);

    editor.close();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(editor.pos(), screen.topLeft()); // hidden, not destroyed
}

TEST_F(SettingsInWindowsTest, FieldsSelectTheirWholeTextOnFocus)
{
    start();
    m_window->formatEditor().show();
    for (const Qt::FocusReason reason : {Qt::MouseFocusReason, Qt::TabFocusReason}) {
        QLineEdit* field =
            inEditor<QLineEdit>(reason == Qt::MouseFocusReason ? "txtRowTitle" : "txtEtc2");
        field->setText(QStringLiteral("AB"));
        field->deselect();
        QFocusEvent focus(QEvent::FocusIn, reason);
        QApplication::sendEvent(field, &focus);
        QTRY_COMPARE(field->selectedText(), QStringLiteral("AB"));
    }
}

} // namespace

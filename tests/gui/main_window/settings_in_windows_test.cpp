// Named settings in the main window and the format editor: what registering and
// deleting leave in the settings file, the mark of unregistered edits and the
// question at exit, and the editor's window behaviour.

#include "main_window_fixture.h"
#include "settings/settings_file.h"
#include "support/test_files.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

using SettingsInWindowsTest = test::MainWindowFixture;

TEST_F(SettingsInWindowsTest, RegisteredSettingsAreWhatTheFileHolds)
{
    start(true);
    FormatSettings samples;
    FileSettings sampleFiles;
    test::loadSettings(paths().settingsFile, samples, sampleFiles);
    find<QComboBox>("cmbName")->setEditText(QStringLiteral(" 新しい設定 "));
    find<QPlainTextEdit>("txtText1")->setPlainText(QStringLiteral("-- [%TableName]\nGO"));
    find<QLineEdit>("txtOutputDir")->setText(QStringLiteral("/tmp/out"));
    find<QComboBox>("cmbEncoding")->setCurrentIndex(2);
    find<QComboBox>("cmbLineEnd")->setCurrentIndex(1);
    find<QPushButton>("cmdAdd")->click();

    inEditor<QComboBox>("cmbName")->setEditText(QStringLiteral("F1"));
    inEditor<QLineEdit>("txtRowStart")->setText(QStringLiteral("12abc"));
    inEditor<QLineEdit>("txtTableName")->setText(QStringLiteral(" B2 "));
    inEditor<QPushButton>("cmdAdd")->click();
    EXPECT_EQ(m_ui.texts(),
              QStringList({QStringLiteral("登録しました。"), QStringLiteral("登録しました。")}));

    FormatSettings formats;
    FileSettings files;
    test::loadSettings(paths().settingsFile, formats, files);
    ASSERT_EQ(files.size(), sampleFiles.size() + 1);
    EXPECT_EQ(files.last().Name, u"新しい設定");
    EXPECT_EQ(files.last().text(Template::Header), u"-- [%TableName]\r\nGO");
    EXPECT_EQ(files.last().OutputDir, u"/tmp/out");
    EXPECT_EQ(files.last().Encoding, OutputEncoding::Utf8Bom);
    EXPECT_EQ(files.last().LineEnding, LineEnd::Lf);
    // Choosing a setting written the original way shows the defaults again.
    find<QComboBox>("cmbName")->activated(0);
    EXPECT_EQ(find<QComboBox>("cmbName")->lineEdit()->cursorPosition(), 0) << "from its start";
    EXPECT_EQ(find<QComboBox>("cmbEncoding")->currentText(), u"Shift_JIS (CP932)");
    EXPECT_EQ(find<QComboBox>("cmbLineEnd")->currentText(), u"CR+LF");
    ASSERT_EQ(formats.size(), samples.size() + 1);
    EXPECT_EQ(formats.last().Name, u"F1");
    EXPECT_EQ(formats.last().RowStart, 12);
    EXPECT_EQ(formats.last().TableName, u" B2 ");
    EXPECT_EQ(find<QLabel>("lblModified")->text(), QString());
}

TEST_F(SettingsInWindowsTest, DeletingTheLastSettingsEmptiesTheirPartOfTheFile)
{
    start(true);
    for (const auto& [name, remove] :
         {std::pair{find<QComboBox>("cmbName"), find<QPushButton>("cmdDelete")},
          std::pair{inEditor<QComboBox>("cmbName"), inEditor<QPushButton>("cmdDelete")}}) {
        while (name->count() > 0) {
            name->setEditText(name->itemText(0));
            m_ui.answer(Answer::Yes);
            remove->click();
        }
    }
    EXPECT_EQ(m_ui.texts().last(), u"フォーマット設定を削除しますか？");
    EXPECT_EQ(test::readBytes(paths().settingsFile), QByteArray("\x02\r\n"));
}

TEST_F(SettingsInWindowsTest, UnregisteredEditsAreMarkedAndClosingAsks)
{
    start(true);
    // Edits in the format editor alone are enough to ask.
    auto* mark = inEditor<QLabel>("lblModified");
    EXPECT_EQ(mark->text(), QString());
    inEditor<QLineEdit>("txtComment")->setText(QStringLiteral("Z"));
    EXPECT_EQ(mark->text(), u"*");
    EXPECT_EQ(find<QLabel>("lblModified")->text(), QString());

    m_ui.answer(Answer::No);
    EXPECT_FALSE(m_window->close());
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_FALSE(test::readBytes(paths().windowStateFile).contains("Left"));
    EXPECT_EQ(m_ui.shown().last().defaultAnswer, Answer::No);
    EXPECT_EQ(m_ui.shown().last().text, u"登録されていない変更があります。終了しますか？");
    m_ui.answer(Answer::Yes);
    EXPECT_TRUE(m_window->close());
}

TEST_F(SettingsInWindowsTest, CtrlFSwitchesBetweenTheWindowsAndTheEditorOpensBesideTheMain)
{
    start(false);
    const QRect screen = m_window->screen()->availableGeometry();
    m_window->move(screen.right() + 1 - m_window->frameGeometry().width(), screen.top() + 20);
    QAction* open = find<QAction>("mnuView_Format");
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

// A click would leave the cursor where it pressed; the editor selects the whole
// text instead, once the click is handled, so typing replaces it. (Tab selects it
// by itself in every line edit.)
TEST_F(SettingsInWindowsTest, AClickIntoAFieldSelectsItsWholeText)
{
    start(true);
    m_window->formatEditor().show();
    QApplication::setActiveWindow(&m_window->formatEditor());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window->formatEditor()));
    QLineEdit* field = inEditor<QLineEdit>("txtRowTitle");
    field->setText(QStringLiteral("AB"));
    field->deselect();
    ASSERT_FALSE(field->hasFocus());
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(2, field->height() / 2));
    ASSERT_TRUE(field->hasFocus());
    QCoreApplication::processEvents();
    EXPECT_EQ(field->selectedText(), QStringLiteral("AB"));
}

} // namespace

namespace {

TEST_F(SettingsInWindowsTest, ChangeSettingsAreRegisteredBesideTheSettingsFileNeverOverADamagedOne)
{
    const QString path = changeSettingsPathBeside(paths().settingsFile);
    MainWindow& window = start(true);
    find<QAction>("mnuView_Change")->trigger();
    auto* changes = window.findChild<QWidget*>(u"frmChange"_qs);
    ASSERT_TRUE(changes->isVisible());
    const auto in = [changes](const char* name) {
        return changes->findChild<QWidget*>(QString::fromLatin1(name));
    };
    auto* templates = qobject_cast<QListWidget*>(in("lstTemplate"));
    auto* text = qobject_cast<QPlainTextEdit*>(in("txtTemplate"));
    auto* createFile = qobject_cast<QComboBox*>(in("cmbCreateFile"));
    EXPECT_EQ(createFile->itemText(3), u"PostgreSQL (1ファイル)"); // the file settings
    qobject_cast<QComboBox*>(in("cmbName"))->setEditText(u"PG"_qs);
    createFile->setEditText(u"PostgreSQL (1ファイル)"_qs);
    qobject_cast<QLineEdit*>(in("txtFileName"))->setText(u"change.sql"_qs);
    templates->setCurrentRow(static_cast<int>(ChangeTemplate::ColumnAdded));
    text->setPlainText(u"ALTER TABLE [%TableName]\nADD [%RowTitle];"_qs);
    templates->setCurrentRow(0);
    EXPECT_TRUE(text->toPlainText().isEmpty());
    EXPECT_TRUE(window.hasUnregisteredEdits());
    qobject_cast<QPushButton*>(in("cmdAdd"))->click();
    const ChangeSettings saved = loadChangeSettings(path);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved[0].CreateFile, u"PostgreSQL (1ファイル)");
    EXPECT_EQ(saved[0].text(ChangeTemplate::ColumnAdded),
              u"ALTER TABLE [%TableName]\r\nADD [%RowTitle];"_qs);

    test::writeBytes(path, "{");
    const qsizetype before = m_ui.shown().size();
    start(false);
    ASSERT_EQ(m_ui.shown().size(), before + 1);
    EXPECT_TRUE(m_ui.shown().last().text.contains(path));
    auto* again = m_window->findChild<QWidget*>(u"frmChange"_qs);
    again->findChild<QComboBox*>(u"cmbName"_qs)->setEditText(u"PG2"_qs);
    again->findChild<QPushButton*>(u"cmdAdd"_qs)->click();
    EXPECT_TRUE(m_ui.texts().last().contains(u"上書きしません"_qs));
    EXPECT_EQ(test::readBytes(path), "{");
}

} // namespace

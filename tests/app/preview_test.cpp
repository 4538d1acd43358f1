// The preview pane: the text a run would write for the sheet under the cursor,
// made again as fields change, without writing or asking anything.

#include "app/main_window.h"
#include "cli/batch_command.h"
#include "common/cp932_text.h"
#include "format_editor/format_editor_window.h"
#include "support/scripted_interaction.h"
#include "support/test_files.h"
#include "workbook/file_workbook_source.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

const QString kSampleSettings = QStringLiteral(TAVRUNE_SAMPLES "/tavrune.dat");
const QString kSampleWorkbook = QStringLiteral(TAVRUNE_SAMPLES "/table_definitions.xlsx");

// What tavrune-batch writes for one sheet, as the preview shows it.
QString batchText(const QString& sheet)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString errors;
    QTextStream err(&errors);
    const int status = runBatchCommand(
        {QStringLiteral("tavrune-batch"), QStringLiteral("--settings"), kSampleSettings,
         QStringLiteral("--file"), QStringLiteral("CREATE TABLE (テーブルごと)"),
         QStringLiteral("--sheet"), sheet, QStringLiteral("--stdout"), kSampleWorkbook},
        out, err);
    EXPECT_EQ(status, 0) << errors.toStdString();
    QString text = decodeCp932(out.data()).value_or(QString());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.chop(1); // the last line break
    return text;
}

class PreviewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFile::copy(kSampleSettings, m_dir.filePath(QStringLiteral("tavrune.dat")));
        test::writeBytes(m_dir.filePath(QStringLiteral("tavrune.ini")), "[Name]\r\nMain=0\r\n");
        m_window = std::make_unique<MainWindow>(
            m_ui, m_source,
            SettingsPaths{m_dir.filePath(QStringLiteral("tavrune.dat")),
                          m_dir.filePath(QStringLiteral("tavrune.ini"))},
            QString());
        m_window->startUp();
        m_window->openFiles({kSampleWorkbook});
        m_window->centralWidget()
            ->findChild<QLineEdit*>(QStringLiteral("txtOutputDir"))
            ->setText(m_dir.filePath(QStringLiteral("out")));
    }

    template <typename T> T* find(const char* name) const
    {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }
    QString shown() const { return find<QPlainTextEdit>("txtPreview")->toPlainText(); }

    QTemporaryDir m_dir;
    test::ScriptedInteraction m_ui;
    FileWorkbookSource m_source;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(PreviewTest, ShowsWhatTheRunWouldWriteForTheSheetUnderTheCursor)
{
    QAction* toggle = find<QAction>("mnuView_Preview");
    EXPECT_EQ(toggle->text(), u"ﾌﾟﾚﾋﾞｭｰ");
    EXPECT_EQ(toggle->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    auto* sheets = find<QListWidget>("lstExcelSheet");
    sheets->setCurrentRow(0);
    toggle->trigger();
    ASSERT_TRUE(find<QWidget>("dockPreview")->isVisible());
    EXPECT_EQ(shown(), batchText(QStringLiteral("1")));
    EXPECT_EQ(find<QLabel>("lblPreviewFile")->text(), u"顧客マスタ.sql");

    sheets->setCurrentRow(2);
    QTRY_COMPARE(shown(), batchText(QStringLiteral("3")));
    EXPECT_EQ(find<QLabel>("lblPreviewFile")->text(), u"注文.sql");

    // Typing in a template shows after a pause.
    auto* header = find<QPlainTextEdit>("txtText1");
    header->setPlainText(QStringLiteral("-- [%TableName]"));
    QTRY_VERIFY(shown().startsWith(u"-- ORDERS\n"));

    find<QPushButton>("cmdCopy")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), shown());

    // Nothing was written or asked.
    EXPECT_TRUE(m_ui.shown().isEmpty());
    EXPECT_FALSE(QDir(m_dir.filePath(QStringLiteral("out"))).exists());
}

TEST_F(PreviewTest, AnExpansionErrorShowsInPlaceOfTheText)
{
    find<QListWidget>("lstExcelSheet")->setCurrentRow(0);
    find<QAction>("mnuView_Preview")->trigger();
    m_window->formatEditor()
        .findChild<QLineEdit*>(QStringLiteral("txtRowType"))
        ->setText(QStringLiteral("1A"));
    QTRY_VERIFY(shown().contains(u"ﾃﾞｰﾀ型の列"));
    EXPECT_TRUE(shown().contains(u"1A7")) << shown().toStdString(); // the cell read
    EXPECT_TRUE(m_ui.shown().isEmpty());
}

TEST_F(PreviewTest, SheetChecksListFindingsAndADoubleClickShowsTheSheet)
{
    QAction* check = find<QAction>("mnuView_Check");
    EXPECT_EQ(check->text(), u"ｼｰﾄのﾁｪｯｸ");
    check->trigger();
    EXPECT_EQ(m_ui.texts(),
              QStringList({QStringLiteral("チェックするシートを選択してください。")}));

    auto* sheets = find<QListWidget>("lstExcelSheet");
    sheets->item(0)->setSelected(true);
    sheets->item(2)->setSelected(true);
    m_window->formatEditor()
        .findChild<QLineEdit*>(QStringLiteral("txtTableTitle"))
        ->setText(QStringLiteral("Z99"));
    check->trigger();
    auto* findings = find<QTreeWidget>("lstFindings");
    ASSERT_NE(findings, nullptr);
    ASSERT_EQ(findings->topLevelItemCount(), 2);
    EXPECT_EQ(findings->topLevelItem(1)->text(0), u"注文");
    EXPECT_EQ(findings->topLevelItem(1)->text(1), u"Z99");
    EXPECT_EQ(findings->topLevelItem(1)->text(2), u"テーブルタイトルが空です。");
    Q_EMIT findings->itemDoubleClicked(findings->topLevelItem(1), 0);
    EXPECT_EQ(find<QLabel>("lblLocation")->text(), u"注文!Z99");
    EXPECT_EQ(sheets->currentRow(), 2);
    EXPECT_EQ(sheets->selectedItems().size(), 2); // the selection stays
    EXPECT_EQ(m_ui.shown().size(), 1);
}

} // namespace

// Runs and previews from the main window over the sample workbook: the files and
// the preview match what tavrune-batch writes, a termination signal stops a run
// between sheets, and the sheet check lists its findings.

#include "common/cp932_text.h"
#include "common/user_interaction.h"
#include "main_window_fixture.h"
#include "support/test_files.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <thread>

using namespace tavrune;

namespace {

const QString kPerTable = QStringLiteral("CREATE TABLE (テーブルごと)");
// How long work off the window's thread may take before a test gives up on it: a
// bound against hanging, generous for machines under load and sanitizers.
constexpr int kWait = 60'000;

QStringList fileNames(const QString& directory)
{
    return QDir(directory).entryList(QDir::Files, QDir::Name);
}

// What tavrune-batch writes for one sheet, as the preview shows it.
QString batchText(const QString& sheet)
{
    const test::BatchResult result = test::runBatch(
        {QStringLiteral("--settings"), test::kSampleSettings, QStringLiteral("--file"), kPerTable,
         QStringLiteral("--sheet"), sheet, QStringLiteral("--stdout"), test::kSampleWorkbook});
    EXPECT_EQ(result.status, 0) << result.messages.toStdString();
    QString text = decodeCp932(result.out).value_or(QString());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.chop(1); // the last line break
    return text;
}

class GenerationFromWindowTest : public test::MainWindowFixture
{
protected:
    void SetUp() override { startOnSampleWorkbook(); }

    void selectSheets(std::initializer_list<int> rows)
    {
        QDir().mkpath(output());
        for (int row : rows) {
            find<QListWidget>("lstExcelSheet")->item(row)->setSelected(true);
        }
    }
    void makeFiles()
    {
        QAction* make = find<QAction>("mnuFile_Make");
        ASSERT_EQ(make->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
        make->trigger();
        EXPECT_TRUE(m_window->isEnabled());
        EXPECT_TRUE(m_ui.allAnswersUsed());
    }
    QString output() const { return path("out"); }
    QString preview() const { return find<QPlainTextEdit>("txtPreview")->toPlainText(); }
};

TEST_F(GenerationFromWindowTest, WritesTheFilesTavruneBatchWritesOnceTheQuestionIsAnsweredYes)
{
    selectSheets({0, 1, 2, 3});
    m_ui.answer(Answer::No);
    makeFiles();
    EXPECT_TRUE(fileNames(output()).isEmpty());
    m_ui.answer(Answer::Yes);
    makeFiles();
    EXPECT_EQ(m_ui.texts(),
              QStringList({QStringLiteral("作成しますか？"), QStringLiteral("作成しますか？"),
                           QStringLiteral("終了しました。")}));

    const QString batchOutput = path("batch");
    const test::BatchResult batch = test::runBatch(
        {QStringLiteral("--settings"), test::kSampleSettings, QStringLiteral("--file"), kPerTable,
         QStringLiteral("--output-dir"), batchOutput, test::kSampleWorkbook});
    ASSERT_EQ(batch.status, 0) << batch.messages.toStdString();
    const QStringList written = fileNames(output());
    EXPECT_EQ(written.size(), 4);
    EXPECT_EQ(written, fileNames(batchOutput));
    for (const QString& name : written) {
        EXPECT_EQ(test::readBytes(QDir(output()).filePath(name)),
                  test::readBytes(QDir(batchOutput).filePath(name)))
            << name.toStdString();
    }
}

TEST_F(GenerationFromWindowTest, ATerminationSignalStopsTheRunAsACancelDoes)
{
    // The close comes at the second yield, after the first sheet's file, as the
    // signal's notice does: the second sheet's file is never begun.
    selectSheets({0, 1});
    m_ui.answer(Answer::Yes); // 作成しますか？
    m_ui.answer(Answer::Yes); // 登録されていない変更があります。終了しますか？
    QTimer::singleShot(0, [this] {
        QTimer::singleShot(0, [this] { EXPECT_TRUE(m_window->closeForTermination()); });
    });
    makeFiles();
    EXPECT_EQ(m_ui.texts().last(), u"中断しました");
    EXPECT_EQ(fileNames(output()), QStringList({QStringLiteral("顧客マスタ.sql")}));
}

using PreviewTest = GenerationFromWindowTest;

TEST_F(PreviewTest, ShowsWhatTheRunWouldWriteForTheSheetUnderTheCursor)
{
    QAction* toggle = find<QAction>("mnuView_Preview");
    EXPECT_EQ(toggle->text(), u"ﾌﾟﾚﾋﾞｭｰ");
    EXPECT_EQ(toggle->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    find<QListWidget>("lstExcelSheet")->setCurrentRow(2);
    toggle->trigger();
    ASSERT_TRUE(find<QWidget>("dockPreview")->isVisible());
    const QString third = batchText(QStringLiteral("3"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview() == third; }, kWait))
        << preview().toStdString();
    EXPECT_EQ(find<QLabel>("lblPreviewFile")->text(), u"注文.sql");

    find<QPushButton>("cmdCopy")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), preview());

    // Nothing was written or asked.
    EXPECT_TRUE(m_ui.shown().isEmpty());
    EXPECT_FALSE(QDir(output()).exists());
}

TEST_F(PreviewTest, AnExpansionErrorShowsInPlaceOfTheText)
{
    find<QListWidget>("lstExcelSheet")->setCurrentRow(0);
    find<QAction>("mnuView_Preview")->trigger();
    inEditor<QLineEdit>("txtRowType")->setText(QStringLiteral("1A"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview().contains(u"ﾃﾞｰﾀ型の列"); }, kWait))
        << preview().toStdString();
    EXPECT_TRUE(preview().contains(u"1A7")) << preview().toStdString(); // the cell read
    EXPECT_TRUE(m_ui.shown().isEmpty());
}

// Previews whose reads away from the window's thread wait at a gate that the
// window's thread opens.
class GatedPreviewTest : public GenerationFromWindowTest
{
protected:
    void SetUp() override
    {
        startOnSampleWorkbook();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return find<QListWidget>("lstExcelSheet")->count() == 4; }, kWait));
        m_source.snapshotReadHook = [open = m_open] {
            while (!*open && QThread::currentThread() != qApp->thread()) {
                std::this_thread::yield();
            }
        };
    }
    void TearDown() override
    {
        *m_open = true;
        m_window.reset(); // its workers end while the workbooks are there
    }

    std::shared_ptr<std::atomic_bool> m_open = std::make_shared<std::atomic_bool>(false);
};

TEST_F(GatedPreviewTest, TheWindowGoesOnWhileAPreviewIsMadeAndAnEditGivesItUp)
{
    find<QListWidget>("lstExcelSheet")->setCurrentRow(0);
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(preview(), QString()); // not made on this thread
        *m_open = true;
    });
    find<QAction>("mnuView_Preview")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview().contains(u"CUSTOMER"); }, kWait))
        << preview().toStdString();

    *m_open = false;
    QObject scope;
    QStringList shown;
    QObject::connect(find<QPlainTextEdit>("txtPreview"), &QPlainTextEdit::textChanged, &scope,
                     [&] { shown.append(preview()); });
    find<QPlainTextEdit>("txtText1")->setPlainText(u"-- [%TableName]"_qs);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return find<QLabel>("lblPreviewNote")->text() == u"作成中…";
    })) << find<QLabel>("lblPreviewNote")->text().toStdString();
    find<QListWidget>("lstExcelSheet")->setCurrentRow(1);
    *m_open = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview().startsWith(u"-- PRODUCT"); }, kWait))
        << preview().toStdString();
    EXPECT_EQ(shown.filter(u"CUSTOMER"_qs), QStringList());
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
    inEditor<QLineEdit>("txtTableTitle")->setText(QStringLiteral("Z99"));
    check->trigger();
    auto* findings = find<QTreeWidget>("lstFindings");
    ASSERT_NE(findings, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return findings->topLevelItemCount() == 2; }, kWait));
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

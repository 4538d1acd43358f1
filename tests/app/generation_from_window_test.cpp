// Runs started from the main window over the sample workbook: the files match
// what tavrune-batch writes, and the progress window's cancel button stops a
// run between sheets.

#include "app/main_window.h"
#include "cli/batch_command.h"
#include "common/user_interaction.h"
#include "support/scripted_interaction.h"
#include "support/test_files.h"
#include "workbook/file_workbook_source.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

const QString kSampleSettings = QStringLiteral(TAVRUNE_SAMPLES "/tavrune.dat");
const QString kSampleWorkbook = QStringLiteral(TAVRUNE_SAMPLES "/table_definitions.xlsx");
const QString kPerTable = QStringLiteral("CREATE TABLE (テーブルごと)");

QStringList fileNames(const QString& directory)
{
    return QDir(directory).entryList(QDir::Files, QDir::Name);
}

// Presses the progress window's cancel button as soon as events are handled.
void pressCancelAtNextYield()
{
    QTimer::singleShot(0, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == u"frmCancel" && widget->isVisible()) {
                widget->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
                return;
            }
        }
        ADD_FAILURE() << "no progress window to cancel";
    });
}

class GenerationFromWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(kSampleSettings, m_dir.filePath(QStringLiteral("tavrune.dat"))));
        // The per-table file setting is the first one.
        test::writeBytes(m_dir.filePath(QStringLiteral("tavrune.ini")), "[Name]\r\nMain=0\r\n");
        m_window = std::make_unique<MainWindow>(
            m_ui, m_source,
            SettingsPaths{m_dir.filePath(QStringLiteral("tavrune.dat")),
                          m_dir.filePath(QStringLiteral("tavrune.ini"))},
            QString());
        m_window->startUp();
        m_window->openFiles({kSampleWorkbook});
        output = m_dir.filePath(QStringLiteral("out"));
        QDir().mkpath(output);
        control<QLineEdit>("txtOutputDir")->setText(output);
    }

    template <typename T> T* control(const char* name) const
    {
        return m_window->centralWidget()->findChild<T*>(QString::fromLatin1(name));
    }

    void selectSheets(std::initializer_list<int> rows)
    {
        auto* list = control<QListWidget>("lstExcelSheet");
        for (int row : rows) {
            list->item(row)->setSelected(true);
        }
    }

    void makeFiles()
    {
        QAction* make = m_window->findChild<QAction*>(QStringLiteral("mnuFile_Make"));
        ASSERT_EQ(make->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
        make->trigger();
        EXPECT_TRUE(m_window->isEnabled());
        EXPECT_TRUE(m_ui.allAnswersUsed());
    }

    QTemporaryDir m_dir;
    test::ScriptedInteraction m_ui;
    FileWorkbookSource m_source;
    std::unique_ptr<MainWindow> m_window;
    QString output;
};

TEST_F(GenerationFromWindowTest, WritesTheFilesTavruneBatchWrites)
{
    QTest::keyClick(control<QListWidget>("lstExcelSheet"), Qt::Key_A, Qt::ControlModifier);
    m_ui.answer(Answer::Yes);
    makeFiles();
    EXPECT_EQ(m_ui.texts(),
              QStringList({QStringLiteral("作成しますか？"), QStringLiteral("終了しました。")}));

    const QString batchOutput = m_dir.filePath(QStringLiteral("batch"));
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString errors;
    QTextStream err(&errors);
    ASSERT_EQ(runBatchCommand({QStringLiteral("tavrune-batch"), QStringLiteral("--settings"),
                               kSampleSettings, QStringLiteral("--file"), kPerTable,
                               QStringLiteral("--output-dir"), batchOutput, kSampleWorkbook},
                              out, err),
              0)
        << errors.toStdString();
    const QStringList written = fileNames(output);
    EXPECT_EQ(written.size(), 4);
    EXPECT_EQ(written, fileNames(batchOutput));
    for (const QString& name : written) {
        EXPECT_EQ(test::readBytes(QDir(output).filePath(name)),
                  test::readBytes(QDir(batchOutput).filePath(name)))
            << name.toStdString();
    }
}

TEST_F(GenerationFromWindowTest, DeclinedQuestionWritesNothing)
{
    selectSheets({0});
    m_ui.answer(Answer::No);
    makeFiles();
    EXPECT_EQ(m_ui.texts(), QStringList({QStringLiteral("作成しますか？")}));
    EXPECT_TRUE(fileNames(output).isEmpty());
}

TEST_F(GenerationFromWindowTest, CancelAnsweredNoLetsTheRunGoOn)
{
    selectSheets({0, 2});
    m_ui.answer(Answer::Yes);
    m_ui.answer(Answer::No); // ファイル作成を中断しますか？
    pressCancelAtNextYield();
    makeFiles();
    EXPECT_EQ(m_ui.texts(), QStringList({QStringLiteral("作成しますか？"),
                                         QStringLiteral("ファイル作成を中断しますか？"),
                                         QStringLiteral("終了しました。")}));
    EXPECT_EQ(m_ui.shown().at(1).defaultAnswer, Answer::No);
    EXPECT_EQ(fileNames(output).size(), 2);
}

TEST_F(GenerationFromWindowTest, CancelAnsweredYesStopsBeforeTheNextSheet)
{
    // The first sheet's file exists: while its question is up, the cancel button
    // is pressed; the run finishes that sheet and stops before the second.
    selectSheets({0, 1});
    test::writeBytes(QDir(output).filePath(QStringLiteral("顧客マスタ.sql")), "old");
    m_ui.setOnShown([](const QString& text) {
        if (text.contains(QStringLiteral("既に同名のファイルが存在します。"))) {
            pressCancelAtNextYield();
        }
    });
    m_ui.answer(Answer::Yes);          // 作成しますか？
    m_ui.answer(Answer::OverwriteAll); // the first sheet's file
    m_ui.answer(Answer::Yes);          // ファイル作成を中断しますか？
    makeFiles();
    EXPECT_EQ(m_ui.texts().last(), u"中断しました");
    EXPECT_EQ(fileNames(output), QStringList({QStringLiteral("顧客マスタ.sql")}));
    EXPECT_NE(test::readBytes(QDir(output).filePath(QStringLiteral("顧客マスタ.sql"))), "old");
}

} // namespace

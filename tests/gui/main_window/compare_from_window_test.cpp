// The comparison of two versions of the definitions from the main window, the
// newer one open there, over the workbooks made for the differences.

#include "commands/workbook_lists.h"
#include "generation/generation_run.h"
#include "main_window_fixture.h"
#include "schema/definition_differences.h"
#include "settings/connection_settings.h"
#include "settings/settings_file.h"
#include "support/sample_format.h"
#include "support/test_files.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

constexpr int kWait = 60'000; // a bound against hanging, not a timing
const QString kOld = QStringLiteral(TAVRUNE_TEST_DATA "/schema/definitions_old.xlsx");
const QString kNew = QStringLiteral(TAVRUNE_TEST_DATA "/schema/definitions_new.xlsx");

std::vector<TableDefinition> definitionsOf(const QString& path)
{
    FileWorkbookSource files;
    files.attach()->openWorkbook(path);
    return readWorkbookDefinitions(*files.snapshot()->attach(),
                                   workingFormat(test::sampleFormat()));
}

class CompareFromWindowTest : public test::MainWindowFixture
{
protected:
    // The compare window over the newer workbook, once it has compared with older.
    QDialog& compareWith(const QString& older)
    {
        start(true, "[Name]\r\nMain=0\r\nFormat=0\r\n");
        m_window->openFiles({kNew});
        find<QAction>("mnuFile_Compare")->trigger();
        auto* window = m_window->findChild<QDialog*>(QStringLiteral("frmCompare"));
        m_ui.chooseDirectoryAnswer(older);
        window->findChild<QPushButton*>(QStringLiteral("cmdOldFile"))->click();
        window->findChild<QPushButton*>(QStringLiteral("cmdCompare"))->click();
        return *window;
    }
    QTreeWidget& lines(QDialog& window) const
    {
        return *window.findChild<QTreeWidget*>(QStringLiteral("lstDifferences"));
    }
    static int shownLines(const QTreeWidget& tree)
    {
        int shown = 0;
        for (int row = 0; row < tree.topLevelItemCount(); ++row) {
            shown += tree.topLevelItem(row)->isHidden() ? 0 : 1;
        }
        return shown;
    }
    QTreeWidgetItem* line(QTreeWidget& tree, const QString& kind, const QString& table) const
    {
        for (QTreeWidgetItem* item : tree.findItems(table, Qt::MatchExactly, 1)) {
            if (item->text(0) == kind) {
                return item;
            }
        }
        ADD_FAILURE() << kind.toStdString() << " " << table.toStdString();
        return tree.topLevelItem(0);
    }
    QString currentSheet() const
    {
        const QListWidgetItem* item = find<QListWidget>("lstExcelSheet")->currentItem();
        return item == nullptr ? QString() : item->text();
    }
};

TEST_F(CompareFromWindowTest, ListsCountsAndFiltersTheDifferencesAndShowsTheNewerSheet)
{
    QDialog& window = compareWith(kOld);
    const QList<QAction*> items = find<QMenu>("mnuFile")->actions();
    EXPECT_EQ(items.at(items.indexOf(find<QAction>("mnuFile_Make")) + 1),
              find<QAction>("mnuFile_Compare"));
    EXPECT_EQ(m_ui.openFileRequests().at(0).filters, WorkbookLists::openFilters());
    QTreeWidget& tree = lines(window);
    const auto expected =
        static_cast<int>(compareDefinitions(definitionsOf(kOld), definitionsOf(kNew)).size());
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree.topLevelItemCount() == expected; }, kWait));
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("lblCounts"))->text(),
              u"追加 3 / 削除 3 / 変更 6 / 移動 1");
    EXPECT_EQ(line(tree, u"テーブル追加"_qs, u"ITEM"_qs)->text(8),
              u"PRODUCT からの改名かもしれません");

    auto* kind = window.findChild<QComboBox*>(QStringLiteral("cmbKind"));
    const struct
    {
        QString shown;
        int lines;
    } filters[] = {{u"追加"_qs, 3}, {u"移動"_qs, 1}, {u"すべて"_qs, expected}};
    for (const auto& filter : filters) {
        kind->setCurrentIndex(kind->findText(filter.shown));
        EXPECT_EQ(shownLines(tree), filter.lines) << filter.shown.toStdString();
    }

    // The sheet of the newer cell, of the table for a removed column, none for a
    // removed table.
    const struct
    {
        QString kind;
        QString table;
        QString sheet;
    } clicks[] = {{u"列移動"_qs, u"ORDERS"_qs, u"注文 (ORDERS)"_qs},
                  {u"列削除"_qs, u"CUSTOMER"_qs, u"顧客 (CUSTOMER)"_qs},
                  {u"テーブル削除"_qs, u"PRODUCT"_qs, u"顧客 (CUSTOMER)"_qs}};
    for (const auto& click : clicks) {
        Q_EMIT tree.itemDoubleClicked(line(tree, click.kind, click.table), 0);
        EXPECT_EQ(currentSheet(), click.sheet) << click.kind.toStdString();
    }
}

TEST_F(CompareFromWindowTest, AnUnreadableOlderFileIsNamedAndTheSameVersionHasNoDifferences)
{
    const QString broken = path("broken.xlsx");
    test::writeBytes(broken, "not a workbook");
    QDialog& window = compareWith(broken);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_ui.shown().size() == 2; }, kWait)); // after the chooser
    EXPECT_TRUE(m_ui.texts().at(1).contains(broken)) << m_ui.texts().at(1).toStdString();

    m_ui.chooseDirectoryAnswer(kNew);
    window.findChild<QPushButton*>(QStringLiteral("cmdOldFile"))->click();
    window.findChild<QPushButton*>(QStringLiteral("cmdCompare"))->click();
    auto* counts = window.findChild<QLabel*>(QStringLiteral("lblCounts"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return counts->text() == u"違いはありません。"; }, kWait))
        << counts->text().toStdString();
    EXPECT_EQ(lines(window).topLevelItemCount(), 0);
}

TEST_F(CompareFromWindowTest, WithoutAWorkbookTheMenuAsksForOne)
{
    start(true);
    find<QAction>("mnuFile_Compare")->trigger();
    EXPECT_EQ(m_ui.texts(), QStringList({u"比較するブックを選択してください。"_qs}));
    EXPECT_EQ(m_window->findChild<QDialog*>(QStringLiteral("frmCompare")), nullptr);
}

} // namespace

namespace {

// The change script of a sample change setting from the previous sample workbook:
// shown, made again without what loses data, and written as the batch tool writes
// it.
TEST_F(CompareFromWindowTest, TheChangeScriptShowsAndIsWrittenAsTheBatchToolWritesIt)
{
    ASSERT_TRUE(QFile::copy(test::kSampleSettings, paths().settingsFile));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAVRUNE_SAMPLES "/tavrune_changes.json"),
                            changeSettingsPathBeside(paths().settingsFile)));
    FormatSettings formats;
    FileSettings files;
    test::loadSettings(paths().settingsFile, formats, files);
    files[*findSettingByName(files, u"Oracle (1ファイル)"_qs)].OutputDir = path("out");
    ASSERT_TRUE(SettingsFile(paths().settingsFile, m_ui).saveSettingsFile(formats, files));
    start(false, "[Name]\r\nMain=0\r\nFormat=0\r\n");
    m_window->openFiles({test::kSampleWorkbook});
    find<QAction>("mnuFile_Compare")->trigger();
    auto* window = m_window->findChild<QDialog*>(QStringLiteral("frmCompare"));
    const auto in = [window](const char* name) {
        return window->findChild<QWidget*>(QString::fromLatin1(name));
    };
    qobject_cast<QLineEdit*>(in("txtOldFile"))
        ->setText(QStringLiteral(TAVRUNE_SAMPLES "/table_definitions_previous.xlsx"));
    auto* change = qobject_cast<QComboBox*>(in("cmbChange"));
    change->setCurrentIndex(change->findText(u"Oracle (変更)"_qs));
    qobject_cast<QPushButton*>(in("cmdCompare"))->click();
    auto* write = qobject_cast<QPushButton*>(in("cmdWriteChange"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return write->isEnabled(); }, kWait));
    const QByteArray expected =
        test::readBytes(QStringLiteral(TAVRUNE_SAMPLES "/expected/changes/change_oracle.sql"));
    EXPECT_EQ(
        qobject_cast<QPlainTextEdit*>(in("txtChangeScript"))->toPlainText(),
        QString(QStringDecoder("windows-31j").decode(expected)).replace(u"\r\n"_qs, u"\n"_qs));
    m_ui.answer(Answer::Ok); // the output folder is made, as a run makes it
    write->click();
    EXPECT_EQ(m_ui.texts().last(), u"終了しました。");
    EXPECT_TRUE(test::readBytes(path("out/change_oracle.sql")) == expected);

    qobject_cast<QCheckBox*>(in("chkNoDestructive"))->setChecked(true);
    auto* file = qobject_cast<QLabel*>(in("lblChangeFile"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return file->text().contains(u"SHIPMENT"_qs); }, kWait));
}

} // namespace

namespace {

// A database in place of the older workbook, named by a connection registered in
// the connection settings window: its tables are compared.
// A SQLite database at file made by statements.
void makeDatabase(const QString& file, const QStringList& statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"made"_qs);
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        for (const QString& statement : statements) {
            ASSERT_TRUE(QSqlQuery(db).exec(statement)) << statement.toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(u"made"_qs);
}

TEST_F(CompareFromWindowTest, ADatabaseTakesThePlaceOfTheOlderWorkbook)
{
    const QString file = path("older.db");
    makeDatabase(file, {u"CREATE TABLE CUSTOMER (CUSTOMER_ID NUMBER(10) NOT NULL, "
                        "PRIMARY KEY (CUSTOMER_ID))"_qs});
    start(true, "[Name]\r\nMain=0\r\nFormat=0\r\n");
    find<QAction>("mnuView_Connection")->trigger();
    auto* connections = m_window->findChild<QWidget*>(u"frmConnection"_qs);
    const auto field = [connections](const char* name) {
        return connections->findChild<QWidget*>(QString::fromLatin1(name));
    };
    qobject_cast<QComboBox*>(field("cmbName"))->setEditText(u"手元"_qs);
    qobject_cast<QComboBox*>(field("cmbKind"))->setCurrentIndex(2);
    EXPECT_FALSE(field("txtHost")->isEnabled()); // a file has no server
    qobject_cast<QLineEdit*>(field("txtDatabase"))->setText(file);
    qobject_cast<QPushButton*>(field("cmdAdd"))->click();
    EXPECT_EQ(loadConnectionSettings(connectionSettingsPathBeside(paths().settingsFile)).value(0),
              (ConnectionSetting{u"手元"_qs, u"sqlite"_qs, {}, {}, file, {}, {}, false}));
    m_window->openFiles({kNew});
    find<QAction>("mnuFile_Compare")->trigger();
    auto* window = m_window->findChild<QDialog*>(QStringLiteral("frmCompare"));
    window->findChild<QLineEdit*>(QStringLiteral("txtOldFile"))->setText(u"手元"_qs);
    window->findChild<QPushButton*>(QStringLiteral("cmdCompare"))->click();
    QTreeWidget& tree = lines(*window);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree.topLevelItemCount() > 0; }, kWait));
    EXPECT_EQ(line(tree, u"テーブル追加"_qs, u"ORDERS"_qs)->text(7), u"注文!C3");
    EXPECT_EQ(line(tree, u"列追加"_qs, u"CUSTOMER"_qs)->text(2), u"CUSTOMER_NAME");
    // Swapped, the workbook is the older side: what it has more, the database lacks.
    window->findChild<QCheckBox*>(QStringLiteral("chkSwap"))->setChecked(true);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !tree.findItems(u"テーブル削除"_qs, Qt::MatchExactly, 0).isEmpty(); }, kWait));
    QTreeWidgetItem* removed = line(tree, u"テーブル削除"_qs, u"ORDERS"_qs);
    EXPECT_EQ(removed->text(6), u"注文!C3");
    Q_EMIT tree.itemDoubleClicked(removed, 0);
    EXPECT_EQ(currentSheet(), u"注文 (ORDERS)");
}

// The tables chosen of a database are written as a workbook, which the main window
// then opens; a file there is replaced only when the user agrees.
TEST_F(CompareFromWindowTest, AWorkbookIsWrittenFromTheTablesChosenAndOpened)
{
    const QString file = path("shop.db");
    makeDatabase(file, {u"CREATE TABLE ITEM (\n ITEM_ID INTEGER NOT NULL PRIMARY KEY,\n"
                        " NAME VARCHAR(40) /* 品名 */\n)"_qs,
                        u"CREATE TABLE STOCK (ITEM_ID INTEGER)"_qs});
    start(true, "[Name]\r\nMain=0\r\nFormat=0\r\n");
    find<QAction>("mnuFile_FromDatabase")->trigger();
    auto* window = m_window->findChild<QDialog*>(QStringLiteral("frmDatabaseWorkbook"));
    const auto in = [window](const char* name) {
        return window->findChild<QWidget*>(QString::fromLatin1(name));
    };
    qobject_cast<QComboBox*>(in("cmbConnection"))->setEditText(u"sqlite://"_qs + file);
    qobject_cast<QPushButton*>(in("cmdLoad"))->click();
    auto* tables = qobject_cast<QListWidget*>(in("lstTables"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return tables->count() == 2; }, kWait));
    tables->item(1)->setCheckState(Qt::Unchecked);
    const QString output = path("shop.xlsx");
    qobject_cast<QLineEdit*>(in("txtOutput"))->setText(output);
    auto* write = qobject_cast<QPushButton*>(in("cmdWrite"));
    write->click();
    auto* sheets = find<QListWidget>("lstExcelSheet");
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheets->count() == 1; }, kWait));
    EXPECT_EQ(sheets->item(0)->text(), u"ITEM (ITEM)"); // the name stands for the title
    const std::vector<TableDefinition> written = definitionsOf(output);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].columns.at(1).comment, u"品名");
    const QByteArray bytes = test::readBytes(output);
    m_ui.answer(Answer::No);
    write->click();
    EXPECT_TRUE(m_ui.texts().last().contains(u"上書きしますか"_qs));
    EXPECT_TRUE(write->isEnabled()); // nothing started
    EXPECT_EQ(test::readBytes(output), bytes);
}

} // namespace

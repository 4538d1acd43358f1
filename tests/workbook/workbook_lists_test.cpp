#include "support/scripted_interaction.h"
#include "support/test_files.h"
#include "workbook/file_workbook_source.h"
#include "workbook/recent_file_list.h"
#include "workbook/workbook_lists.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

const QString kFormats = QStringLiteral(TAVRUNE_TEST_DATA "/formats");

// The widgets, as plain values.
class RecordingView : public WorkbookListView
{
public:
    QStringList workbooks;
    qsizetype chosen = -1;
    QString typed; // the box's text when nothing is chosen
    QStringList sheets;
    QString reference = QStringLiteral("C3");
    int countShown = 0;
    QStringList recent;

    QString workbookText() const override { return chosen >= 0 ? workbooks.at(chosen) : typed; }
    bool hasWorkbookEntries() const override { return !workbooks.isEmpty(); }
    void setWorkbookEntries(const QStringList& names) override
    {
        workbooks = names;
        chosen = -1;
        typed.clear();
    }
    void chooseWorkbookEntry(qsizetype index) override { chosen = index; }
    void setSheetEntries(const QStringList& entries) override { sheets = entries; }
    QString tableNameReference() const override { return reference; }
    void showSelectionCount() override { ++countShown; }
    void showRecentFiles(const QStringList& paths) override { recent = paths; }
};

class WorkbookListsTest : public ::testing::Test
{
protected:
    // A copy of a fixture under a name of the test's choosing.
    QString copy(const QString& fixture, const QString& name)
    {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(fixture, path)) << fixture.toStdString();
        return path;
    }

    bool openThroughDialog(const QString& path)
    {
        m_ui.chooseDirectoryAnswer(path);
        const int before = static_cast<int>(m_ui.openFileRequests().size());
        m_lists.openCommand();
        return m_ui.openFileRequests().size() == before + 1;
    }

    QTemporaryDir m_dir;
    test::ScriptedInteraction m_ui;
    FileWorkbookSource m_source;
    RecordingView m_view;
    WorkbookLists m_lists{m_source, m_view, m_ui};
};

const QStringList kSampleSheets = {
    QStringLiteral("顧客 (CUSTOMER)"), QStringLiteral("商品 (PRODUCT)"),
    QStringLiteral("注文 (ORDERS)"), QStringLiteral("注文明細 (ORDER_DETAIL)")};

TEST_F(WorkbookListsTest, OpeningThroughTheDialogListsAndChoosesTheWorkbook)
{
    // Every kind of workbook the program reads, one after the other: the one
    // just opened is chosen and its sheets are listed with their table names.
    const QStringList kinds = {QStringLiteral("xlsx"), QStringLiteral("xls"),
                               QStringLiteral("ods")};
    QStringList names;
    for (const QString& kind : kinds) {
        const QString path = copy(kFormats + QStringLiteral("/tables_libreoffice.") + kind,
                                  QStringLiteral("tables.") + kind);
        ASSERT_TRUE(openThroughDialog(path));
        names.append(QFileInfo(path).fileName());
        EXPECT_EQ(m_view.workbooks, names);
        EXPECT_EQ(m_view.workbookText(), names.last());
        EXPECT_EQ(m_view.sheets, kSampleSheets) << kind.toStdString();
        EXPECT_EQ(m_lists.defPath(), path);
        EXPECT_EQ(m_lists.pendingFile(), QString());
    }
    EXPECT_EQ(m_view.recent.size(), 3);
    EXPECT_EQ(m_view.recent.first(), m_dir.filePath(QStringLiteral("tables.ods")));
    EXPECT_TRUE(m_ui.texts().filter(QStringLiteral("open file")).size() == 3);
    EXPECT_EQ(m_ui.texts().size(), 3); // nothing but the dialogs was shown

    const auto& requests = m_ui.openFileRequests();
    EXPECT_EQ(requests.first().filters,
              QStringList({QStringLiteral("ﾜｰｸﾌﾞｯｸ (*.xlsx *.xlsm *.xls *.ods)"),
                           QStringLiteral("Excel ﾌｧｲﾙ (*.xlsx *.xlsm *.xls)"),
                           QStringLiteral("OpenDocument ｽﾌﾟﾚｯﾄﾞｼｰﾄ (*.ods)"),
                           QStringLiteral("すべてのﾌｧｲﾙ (*)")}));
    // No remembered path at first; then the file opened last is preselected in
    // its directory.
    EXPECT_EQ(requests.at(0).startDirectory, QString());
    EXPECT_EQ(requests.at(0).selectedFile, QString());
    EXPECT_EQ(requests.at(1).startDirectory, m_dir.path());
    EXPECT_EQ(requests.at(1).selectedFile, m_dir.filePath(QStringLiteral("tables.xlsx")));
}

TEST_F(WorkbookListsTest, DialogStartsInARememberedDirectoryAndCancelChangesNothing)
{
    m_lists.setDefPath(m_dir.path());
    ASSERT_TRUE(openThroughDialog(QString()));
    EXPECT_EQ(m_ui.openFileRequests().last().startDirectory, m_dir.path());
    EXPECT_EQ(m_ui.openFileRequests().last().selectedFile, QString());
    EXPECT_EQ(m_lists.defPath(), m_dir.path());
    EXPECT_TRUE(m_view.recent.isEmpty());
    EXPECT_EQ(m_view.countShown, 0);
}

TEST_F(WorkbookListsTest, RefreshKeepsTheChosenWorkbookByItsExactName)
{
    const QString first =
        copy(kFormats + QStringLiteral("/tables_libreoffice.xlsx"), QStringLiteral("a.xlsx"));
    const QString second =
        copy(kFormats + QStringLiteral("/tables_libreoffice.ods"), QStringLiteral("b.ods"));
    ASSERT_TRUE(m_lists.openFile(first));
    ASSERT_TRUE(m_lists.openFile(second));
    EXPECT_EQ(m_view.workbookText(), u"b.ods");
    m_view.sheets.clear();
    m_lists.refresh();
    EXPECT_EQ(m_view.workbookText(), u"b.ods");
    EXPECT_EQ(m_view.sheets, kSampleSheets);

    // A name that matches only without regard to case chooses nothing.
    m_view.chosen = -1;
    m_view.typed = QStringLiteral("B.ODS");
    m_lists.refresh();
    EXPECT_EQ(m_view.chosen, -1);
    EXPECT_TRUE(m_view.sheets.isEmpty());
    EXPECT_EQ(m_view.workbooks, QStringList({QStringLiteral("a.xlsx"), QStringLiteral("b.ods")}));
}

TEST_F(WorkbookListsTest, SheetEntriesShowTheCellOfTheTableNameBoxAsText)
{
    const QString path =
        copy(kFormats + QStringLiteral("/tables_libreoffice.xlsx"), QStringLiteral("a.xlsx"));
    ASSERT_TRUE(m_lists.openFile(path));
    const struct
    {
        const char* reference;
        const char* first;
    } cases[] = {
        {"D7", "顧客 (10)"}, // a number, as the cell shows it
        {"", "顧客 ()"},     // no reference
        {"C3 ", "顧客 ()"},  // not a reference as it stands
        {"ZZZ99999999", "顧客 ()"},
        {"c4", "顧客 (顧客マスタ)"},
    };
    for (const auto& c : cases) {
        m_view.reference = QString::fromUtf8(c.reference);
        m_lists.workbookChosen();
        ASSERT_EQ(m_view.sheets.size(), 4) << c.reference;
        EXPECT_EQ(m_view.sheets.first(), QString::fromUtf8(c.first)) << c.reference;
    }
}

TEST_F(WorkbookListsTest, RefreshReadsAWorkbookRewrittenOnDisk)
{
    const QString path =
        copy(kFormats + QStringLiteral("/tables_libreoffice.xlsx"), QStringLiteral("book.xlsx"));
    ASSERT_TRUE(m_lists.openFile(path));
    ASSERT_EQ(m_view.sheets.size(), 4);
    // Saved again by another program, now with other sheets.
    copy(QStringLiteral(TAVRUNE_SAMPLES "/table_definitions.xlsx"), QStringLiteral("other.xlsx"));
    QFile::remove(path);
    ASSERT_TRUE(QFile::rename(m_dir.filePath(QStringLiteral("other.xlsx")), path));
    test::writeBytes(m_dir.filePath(QStringLiteral("unused")), "");
    m_view.reference = QStringLiteral("A1");
    m_lists.refresh();
    EXPECT_EQ(m_view.workbookText(), u"book.xlsx");
    EXPECT_EQ(m_view.sheets.size(), 4);
    EXPECT_NE(m_view.sheets.first(), u"顧客 (CUSTOMER)");

    // A workbook whose file vanished keeps its last content.
    QFile::remove(path);
    const QStringList before = m_view.sheets;
    m_lists.refresh();
    EXPECT_EQ(m_view.sheets, before);
}

TEST_F(WorkbookListsTest, FailedOpeningsChangeNothingAndSayWhy)
{
    const QString good =
        copy(kFormats + QStringLiteral("/tables_libreoffice.xlsx"), QStringLiteral("a.xlsx"));
    ASSERT_TRUE(m_lists.openFile(good));
    const QString damaged = m_dir.filePath(QStringLiteral("damaged.xlsx"));
    test::writeBytes(damaged, "not a workbook");
    const QString sameName =
        copy(kFormats + QStringLiteral("/tables_libreoffice.xlsx"), QStringLiteral("other/a.xlsx"));
    const QString missing = m_dir.filePath(QStringLiteral("gone.xlsx"));

    for (const QString& path : {damaged, sameName}) {
        EXPECT_FALSE(m_lists.openFile(path));
        EXPECT_EQ(m_ui.shown().last().icon, MessageIcon::Stop);
        EXPECT_TRUE(m_ui.shown().last().text.contains(path))
            << m_ui.shown().last().text.toStdString();
    }
    m_lists.openRecent(missing);
    EXPECT_EQ(m_ui.shown().last().text, u"ファイルが見つかりません。");
    EXPECT_EQ(m_ui.shown().last().icon, MessageIcon::Exclamation);
    EXPECT_EQ(m_ui.shown().size(), 3);
    EXPECT_EQ(m_lists.defPath(), good);
    EXPECT_EQ(m_lists.recentFiles(), QStringList({good}));
    EXPECT_EQ(m_lists.pendingFile(), QString());
    EXPECT_EQ(m_view.workbooks, QStringList({QStringLiteral("a.xlsx")}));
}

TEST_F(WorkbookListsTest, ClosingTakesTheChosenWorkbookOut)
{
    const QString first =
        copy(kFormats + QStringLiteral("/tables_libreoffice.xlsx"), QStringLiteral("a.xlsx"));
    const QString second =
        copy(kFormats + QStringLiteral("/tables_libreoffice.xls"), QStringLiteral("b.xls"));
    ASSERT_TRUE(m_lists.openFile(first));
    ASSERT_TRUE(m_lists.openFile(second));
    m_lists.closeChosenWorkbook();
    EXPECT_EQ(m_view.workbooks, QStringList({QStringLiteral("a.xlsx")}));
    EXPECT_EQ(m_view.workbookText(), u"a.xlsx");
    EXPECT_EQ(m_view.sheets, kSampleSheets);
    m_lists.closeChosenWorkbook();
    EXPECT_TRUE(m_view.workbooks.isEmpty());
    EXPECT_TRUE(m_view.sheets.isEmpty());
    // The recent list keeps both.
    EXPECT_EQ(m_lists.recentFiles(), QStringList({second, first}));
}

TEST(RecentFileListTest, NineEntriesNewestOnTopAndKnownPathsStay)
{
    RecentFileList list;
    for (int i = 1; i <= 10; ++i) {
        list.add(QStringLiteral("/p/%1.xlsx").arg(i));
    }
    ASSERT_EQ(list.paths().size(), 9);
    EXPECT_EQ(list.paths().first(), u"/p/10.xlsx");
    EXPECT_EQ(list.paths().last(), u"/p/2.xlsx"); // the oldest dropped off
    const QStringList before = list.paths();
    list.add(QStringLiteral("/P/5.XLSX"));
    EXPECT_EQ(list.paths(), before);

    RecentFileList restored;
    restored.restore({QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/A")});
    EXPECT_EQ(restored.paths(), QStringList({QStringLiteral("/b"), QStringLiteral("/A")}));
}

} // namespace

#include "commands/recent_file_list.h"
#include "commands/workbook_lists.h"
#include "support/scripted_interaction.h"
#include "support/test_files.h"
#include "workbook/file_workbook_source.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
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
    QString reference = u"C3"_qs;
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

// Reads at once; the read numbered cancelAt (from 1) is cancelled, and
// whileReading runs during the next read.
class ScriptedReading : public ReadingHost
{
public:
    QStringList names; // of the files read, in order
    qsizetype cancelAt = 0;
    std::function<void()> whileReading;

    bool read(const WorkbookLoads& loads) override
    {
        for (const auto& load : loads) {
            names.append(QFileInfo(load->path()).fileName());
            if (whileReading) {
                std::exchange(whileReading, nullptr)();
            }
            if (names.size() == cancelAt) {
                return false;
            }
            load->read();
        }
        return true;
    }
};

class WorkbookListsTest : public ::testing::Test
{
protected:
    // As in the windows: changed files are read again by the lists only.
    void SetUp() override { m_source.setReadChangedOnAttach(false); }

    // A copy of a workbook, by default the sample tables saved by LibreOffice in the
    // format the name's suffix says, under a name of the test's choosing.
    QString copy(const QString& name, QString fixture = {})
    {
        if (fixture.isEmpty()) {
            fixture = kFormats + u"/tables_libreoffice."_qs + QFileInfo(name).suffix();
        }
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
    ScriptedReading m_reading;
    WorkbookLists m_lists{m_source, m_view, m_ui, m_reading};
};

const QStringList kSampleSheets = {u"顧客 (CUSTOMER)"_qs, u"商品 (PRODUCT)"_qs, u"注文 (ORDERS)"_qs,
                                   u"注文明細 (ORDER_DETAIL)"_qs};

TEST_F(WorkbookListsTest, OpeningThroughTheDialogListsAndChoosesTheWorkbook)
{
    // Every kind of workbook the program reads, one after the other: the one
    // just opened is chosen and its sheets are listed with their table names.
    QStringList names;
    for (const QString& name : {u"tables.xlsx"_qs, u"tables.xls"_qs, u"tables.ods"_qs}) {
        const QString path = copy(name);
        ASSERT_TRUE(openThroughDialog(path));
        names.append(QFileInfo(path).fileName());
        EXPECT_EQ(m_view.workbooks, names);
        EXPECT_EQ(m_view.sheets, kSampleSheets) << name.toStdString();
        EXPECT_EQ(m_lists.defPath(), path);
    }
    EXPECT_EQ(m_view.recent.size(), 3);
    EXPECT_EQ(m_view.recent.first(), m_dir.filePath(u"tables.ods"_qs));
    // Nothing but the dialogs was shown.
    EXPECT_EQ(m_ui.texts(), QStringList(3, u"open file"_qs));

    const auto& requests = m_ui.openFileRequests();
    EXPECT_EQ(requests.first().filters,
              QStringList({u"ﾜｰｸﾌﾞｯｸ (*.xlsx *.xlsm *.xls *.ods)"_qs,
                           u"Excel ﾌｧｲﾙ (*.xlsx *.xlsm *.xls)"_qs,
                           u"OpenDocument ｽﾌﾟﾚｯﾄﾞｼｰﾄ (*.ods)"_qs, u"すべてのﾌｧｲﾙ (*)"_qs}));
    // No remembered path at first; then the file opened last is preselected in
    // its directory.
    EXPECT_EQ(requests.at(0).startDirectory, QString());
    EXPECT_EQ(requests.at(0).selectedFile, QString());
    EXPECT_EQ(requests.at(1).startDirectory, m_dir.path());
    EXPECT_EQ(requests.at(1).selectedFile, m_dir.filePath(u"tables.xlsx"_qs));
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

TEST_F(WorkbookListsTest, FilesOpenInOrderAndRefreshKeepsTheChosenWorkbookByItsExactName)
{
    // A file handed over while another is read waits its turn.
    m_reading.whileReading = [this] { m_lists.openFiles({copy(u"c.xls"_qs)}); };
    m_lists.openFiles({copy(u"a.xlsx"_qs), copy(u"b.ods"_qs)});
    const QStringList names = {u"a.xlsx"_qs, u"b.ods"_qs, u"c.xls"_qs};
    EXPECT_EQ(m_reading.names, names);
    EXPECT_EQ(m_view.workbookText(), u"c.xls");
    m_view.sheets.clear();
    m_lists.refresh();
    EXPECT_EQ(m_view.workbookText(), u"c.xls");
    EXPECT_EQ(m_view.sheets, kSampleSheets);

    // A name that matches only without regard to case chooses nothing.
    m_view.chosen = -1;
    m_view.typed = u"C.XLS"_qs;
    m_lists.refresh();
    EXPECT_EQ(m_view.chosen, -1);
    EXPECT_TRUE(m_view.sheets.isEmpty());
    EXPECT_EQ(m_view.workbooks, names);
}

TEST_F(WorkbookListsTest, SheetEntriesShowTheCellOfTheTableNameBoxAsText)
{
    m_lists.openFiles({copy(u"a.xlsx"_qs)});
    // A number as the cell shows it; no reference, or none as it stands, shows nothing.
    const std::pair<QString, QString> cases[] = {{u"D7"_qs, u"顧客 (10)"_qs},
                                                 {u""_qs, u"顧客 ()"_qs},
                                                 {u"C3 "_qs, u"顧客 ()"_qs},
                                                 {u"ZZZ99999999"_qs, u"顧客 ()"_qs},
                                                 {u"c4"_qs, u"顧客 (顧客マスタ)"_qs}};
    for (const auto& [reference, first] : cases) {
        m_view.reference = reference;
        m_lists.workbookChosen();
        ASSERT_EQ(m_view.sheets.size(), 4) << reference.toStdString();
        EXPECT_EQ(m_view.sheets.first(), first) << reference.toStdString();
    }
}

TEST_F(WorkbookListsTest, FailedOrCancelledOpeningsChangeNothing)
{
    const QString good = copy(u"a.xlsx"_qs);
    m_lists.openFiles({good});
    const QString damaged = m_dir.filePath(u"damaged.xlsx"_qs);
    test::writeBytes(damaged, "not a workbook");
    const QString sameName = copy(u"other/a.xlsx"_qs);

    for (const QString& path : {damaged, sameName}) {
        m_lists.openFiles({path});
        EXPECT_EQ(m_ui.shown().last().icon, MessageIcon::Stop);
        EXPECT_TRUE(m_ui.shown().last().text.contains(path))
            << m_ui.shown().last().text.toStdString();
    }
    // A reading the user cancels says nothing and stops the files named with it.
    m_reading.cancelAt = m_reading.names.size() + 1;
    m_lists.openFiles({copy(u"b.ods"_qs), copy(u"c.xls"_qs)});
    EXPECT_FALSE(m_reading.names.contains(u"c.xls"_qs));
    m_lists.openRecent(m_dir.filePath(u"gone.xlsx"_qs));
    EXPECT_EQ(m_ui.shown().last().text, u"ファイルが見つかりません。");
    EXPECT_EQ(m_ui.shown().last().icon, MessageIcon::Exclamation);
    EXPECT_EQ(m_ui.shown().size(), 3);
    EXPECT_EQ(m_lists.defPath(), good);
    EXPECT_EQ(m_lists.recentFiles(), QStringList({good}));
    EXPECT_EQ(m_lists.pendingFile(), QString());
    EXPECT_EQ(m_view.workbooks, QStringList({u"a.xlsx"_qs}));
}

TEST_F(WorkbookListsTest, ClosingTakesTheChosenWorkbookOut)
{
    const QString first = copy(u"a.xlsx"_qs);
    const QString second = copy(u"b.xls"_qs);
    m_lists.openFiles({first, second});
    m_lists.closeChosenWorkbook();
    EXPECT_EQ(m_view.workbooks, QStringList({u"a.xlsx"_qs}));
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
        list.add(u"/p/%1.xlsx"_qs.arg(i));
    }
    ASSERT_EQ(list.paths().size(), 9);
    EXPECT_EQ(list.paths().first(), u"/p/10.xlsx");
    EXPECT_EQ(list.paths().last(), u"/p/2.xlsx"); // the oldest dropped off
    const QStringList before = list.paths();
    list.add(u"/P/5.XLSX"_qs);
    EXPECT_EQ(list.paths(), before);

    RecentFileList restored;
    restored.restore({u"/a"_qs, u"/b"_qs, u"/A"_qs});
    EXPECT_EQ(restored.paths(), QStringList({u"/b"_qs, u"/A"_qs}));
}

} // namespace

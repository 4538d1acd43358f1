// The workbook and sheet lists in the main window: selection keys and the count
// text, recent entries, dropped files and files from the command line.

#include "app/missing_files_message.h"
#include "main_window_fixture.h"
#include "support/test_files.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QTest>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

const QString kFormats = QStringLiteral(TAVRUNE_TEST_DATA "/formats");

class WorkbooksInWindowTest : public test::MainWindowFixture
{
protected:
    void SetUp() override { start(true); }

    QString status() const { return find<QLabel>("lblStatus")->text(); }
    QStringList workbooks() const
    {
        QStringList names;
        auto* box = find<QComboBox>("cmbExcelFile");
        for (int i = 0; i < box->count(); ++i) {
            names.append(box->itemText(i));
        }
        return names;
    }
};

TEST_F(WorkbooksInWindowTest, CtrlASelectsAllAndTheStatusBarCounts)
{
    m_window->openFiles({kFormats + QStringLiteral("/tables_libreoffice.ods")});
    auto* list = find<QListWidget>("lstExcelSheet");
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(status(), u"0 個を選択");
    const struct
    {
        Qt::KeyboardModifiers modifiers;
        const char* after;
    } cases[] = {
        {Qt::ControlModifier | Qt::ShiftModifier, "0 個を選択"},
        {Qt::ControlModifier | Qt::AltModifier, "0 個を選択"},
        {Qt::ControlModifier, "4 個を選択"},
    };
    for (const auto& c : cases) {
        QTest::keyClick(list, Qt::Key_A, c.modifiers);
        EXPECT_EQ(status(), QString::fromUtf8(c.after)) << c.after;
    }
    list->item(1)->setSelected(false);
    EXPECT_EQ(status(), u"3 個を選択");
    // A refresh lists the sheets anew, none selected.
    find<QAction>("mnuView_Refresh")->trigger();
    EXPECT_EQ(list->count(), 4);
    EXPECT_EQ(status(), u"0 個を選択");
}

TEST_F(WorkbooksInWindowTest, FilesFromTheCommandLineOpenInOrderMissingOnesSaidTogether)
{
    const QString bad = path("bad.xlsx");
    test::writeBytes(bad, "no workbook");
    m_window->openFiles({kFormats + QStringLiteral("/tables_libreoffice.xlsx"), bad,
                         path("gone1.xlsx"), path("gone2.xlsx"),
                         kFormats + QStringLiteral("/tables_libreoffice.xls")});
    EXPECT_EQ(workbooks(), QStringList({QStringLiteral("tables_libreoffice.xlsx"),
                                        QStringLiteral("tables_libreoffice.xls")}));
    EXPECT_EQ(find<QComboBox>("cmbExcelFile")->currentText(), u"tables_libreoffice.xls");
    ASSERT_EQ(m_ui.shown().size(), 2);
    EXPECT_EQ(m_ui.shown().first().icon, MessageIcon::Stop);
    EXPECT_EQ(m_ui.texts().last(), missingFilesMessage({path("gone1.xlsx"), path("gone2.xlsx")}));
}

TEST_F(WorkbooksInWindowTest, RecentEntriesReopen)
{
    m_window->openFiles({kFormats + QStringLiteral("/tables_libreoffice.xlsx")});
    find<QAction>("mnuFile_Close")->trigger();
    EXPECT_TRUE(workbooks().isEmpty());
    find<QAction>("mnuFile_Recent1")->trigger();
    EXPECT_EQ(workbooks(), QStringList({QStringLiteral("tables_libreoffice.xlsx")}));
}

TEST_F(WorkbooksInWindowTest, DroppedFilesOpen)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(kFormats + QStringLiteral("/tables_libreoffice.ods"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window.get(), &drop);
    ASSERT_TRUE(QTest::qWaitFor([&] { return workbooks().size() == 1; }, 2000));
    EXPECT_EQ(find<QListWidget>("lstExcelSheet")->count(), 4);
}

} // namespace

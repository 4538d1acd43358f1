// The workbook and sheet lists in the main window: selection keys and the count
// text, recent entries, dropped files, a file read while the window answers and
// files from the command line.

#include "gui/main_window/missing_files_message.h"
#include "main_window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSemaphore>
#include <QTest>
#include <QTimer>
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

TEST_F(WorkbooksInWindowTest, WhileAFileIsReadTheWindowAnswersAndEscStopsTheOpen)
{
    m_window->openFiles({kFormats + QStringLiteral("/tables_libreoffice.ods")});
    // The reading now waits for the test, which looks on from the event loop and
    // lets it end after Esc; the wait is bounded, so that a reading on the
    // window's own thread fails the test instead of hanging it.
    const auto started = std::make_shared<QSemaphore>();
    const auto released = std::make_shared<QSemaphore>();
    m_beforeRead = [started, released] {
        started->release();
        released->tryAcquire(1, 60000);
    };
    bool looked = false;
    QTimer::singleShot(0, m_window.get(), [&] {
        started->acquire();
        if (auto* progress = m_window->findChild<QDialog*>(QStringLiteral("frmCancel"))) {
            EXPECT_EQ(progress->windowTitle(), u"ファイル読み込み中");
            EXPECT_EQ(progress->findChild<QLabel*>(QStringLiteral("lblMsg"))->text(),
                      u"tables_libreoffice.xlsx");
            // The menus open; their commands and the controls wait.
            EXPECT_TRUE(m_window->menuBar()->isEnabled());
            EXPECT_TRUE(find<QMenu>("mnuFile")->menuAction()->isEnabled());
            EXPECT_FALSE(find<QAction>("mnuFile_Excel")->isEnabled());
            EXPECT_FALSE(find<QComboBox>("cmbExcelFile")->isEnabled());
            QTest::keyClick(progress, Qt::Key_Escape);
            looked = true;
        }
        released->release();
    });
    m_window->openFiles({kFormats + QStringLiteral("/tables_libreoffice.xlsx")});
    EXPECT_TRUE(looked);
    EXPECT_TRUE(find<QAction>("mnuFile_Excel")->isEnabled());
    EXPECT_TRUE(find<QComboBox>("cmbExcelFile")->isEnabled());
    EXPECT_EQ(m_window->findChild<QDialog*>(QStringLiteral("frmCancel")), nullptr);
    EXPECT_EQ(workbooks().size(), 1); // Esc stopped the open
}

TEST_F(WorkbooksInWindowTest, FilesFromTheCommandLineOpenInOrderMissingOnesSaidTogether)
{
    m_window->openFiles({kFormats + QStringLiteral("/tables_libreoffice.xlsx"), path("gone1.xlsx"),
                         path("gone2.xlsx"), kFormats + QStringLiteral("/tables_libreoffice.xls")});
    EXPECT_EQ(workbooks(), QStringList({QStringLiteral("tables_libreoffice.xlsx"),
                                        QStringLiteral("tables_libreoffice.xls")}));
    EXPECT_EQ(find<QComboBox>("cmbExcelFile")->currentText(), u"tables_libreoffice.xls");
    EXPECT_EQ(m_ui.texts(),
              QStringList{missingFilesMessage({path("gone1.xlsx"), path("gone2.xlsx")})});
}

TEST_F(WorkbooksInWindowTest, RecentEntriesReopen)
{
    const QString path = kFormats + QStringLiteral("/tables_libreoffice.xlsx");
    m_window->openFiles({path});
    find<QAction>("mnuFile_Close")->trigger();
    EXPECT_TRUE(workbooks().isEmpty());
    auto* recent = find<QAction>("mnuFile_Recent1");
    EXPECT_EQ(recent->text(), path);
    recent->trigger();
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

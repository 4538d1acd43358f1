#include "gui/main_window/main_window_layout.h"
#include "gui/twips.h"
#include "gui/window_services.h"
#include "main_window_fixture.h"
#include "settings/settings_file.h"
#include "support/test_files.h"
#include "support/when_modal.h"

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

class MainWindowTest : public test::MainWindowFixture
{
protected:
    int px(double twips) const { return twipsToPixelsX(*m_window, twips); }
    QRect screen() const { return QGuiApplication::primaryScreen()->availableGeometry(); }
    // Which of the named widgets pass the check, in the order named.
    QStringList which(const std::function<bool(const QWidget&)>& check,
                      std::initializer_list<const char*> names) const
    {
        QStringList passing;
        for (const char* name : names) {
            if (check(*find<QWidget>(name))) {
                passing.append(QString::fromLatin1(name));
            }
        }
        return passing;
    }
};

TEST_F(MainWindowTest, FirstStartWithoutFiles)
{
    MainWindow& window = start(false);
    EXPECT_EQ(window.windowTitle(), u"Tavrune for Excel");
    // Centred at 60 % of the screen, the sample's longest sheet entry whole.
    EXPECT_EQ(window.geometry().center(), screen().center());
    EXPECT_EQ(window.size(), (screen().size() * 0.6).expandedTo(QSize(400, 367)));
    EXPECT_EQ(window.minimumSize(), QSize(400, 367)); // 6000 × 5500 twips at 15 twips a pixel
    const auto* sheets = find<QListWidget>("lstExcelSheet");
    EXPECT_GE(sheets->viewport()->width() - sheets->verticalScrollBar()->sizeHint().width(),
              sheets->fontMetrics().horizontalAdvance(u"注文明細 (ORDER_DETAIL)"_qs));
    EXPECT_EQ(window.maximumWidth(), QWIDGETSIZE_MAX);
    EXPECT_FALSE(window.isMaximized());
    EXPECT_FALSE(isTopMost(&window));
    EXPECT_FALSE(window.formatEditor().isVisible());
    EXPECT_TRUE(window.recentFiles().isEmpty());
    EXPECT_FALSE(find<QAction>("mnuFile_Line3")->isVisible());
    // Ctrl+O, shown in the menu, and the program's own Ctrl+E open a workbook.
    EXPECT_EQ(find<QAction>("mnuFile_Excel")->shortcuts(),
              QList<QKeySequence>({Qt::CTRL | Qt::Key_O, Qt::CTRL | Qt::Key_E}));
    EXPECT_EQ(find<QComboBox>("cmbName")->count(), 0);
    EXPECT_EQ(inEditor<QComboBox>("cmbName")->count(), 0);
    EXPECT_TRUE(find<QPlainTextEdit>("txtText0")->isVisible());
    EXPECT_EQ(find<QLabel>("lblStatus")->text(), u"0 個を選択");
    EXPECT_TRUE(m_ui.shown().isEmpty());
}

TEST_F(MainWindowTest, StartUpRestoresTheHandWrittenState)
{
    // 20000 twips is beyond the right edge of any test screen: the window is
    // pulled back so that its right edge meets the screen's.
    MainWindow& window = start(
        true, "[Pos]\r\nLeft=20000\r\nTop=-200\r\nWidth=9000\r\nHeight=6000\r\nSplitter=2500\r\n"
              "[Window]\r\nState=0\r\nTopMost=-1\r\n"
              "[Excel]\r\nDefPath=/data/b.xls\r\nRecent1=/data/a.xlsx\r\nRecent2=/data/b&c.xls\r\n"
              "[Name]\r\nMain=1\r\nFormat=0\r\n");
    EXPECT_EQ(window.frameGeometry().topRight(), screen().topRight());
    EXPECT_EQ(window.size(), QSize(px(9000), px(6000)));
    EXPECT_EQ(find<QWidget>("lstExcelSheet")->width(), px(2500));
    EXPECT_TRUE(isTopMost(&window));
    EXPECT_TRUE(isTopMost(&window.formatEditor()));
    EXPECT_EQ(window.defPath(), u"/data/b.xls");
    EXPECT_EQ(window.recentFiles(),
              QStringList({QStringLiteral("/data/a.xlsx"), QStringLiteral("/data/b&c.xls")}));
    EXPECT_TRUE(find<QAction>("mnuFile_Line3")->isVisible());
    EXPECT_EQ(find<QAction>("mnuFile_Recent2")->text(), u"/data/b&&c.xls");

    FormatSettings formats;
    FileSettings files;
    test::loadSettings(test::kSampleSettings, formats, files);
    EXPECT_EQ(find<QComboBox>("cmbName")->currentIndex(), 1);
    EXPECT_EQ(window.fileSettingFromControls().Text, files.at(1).Text);
    EXPECT_EQ(window.formatEditor().format().TableTitle, formats.at(0).TableTitle);
}

TEST_F(MainWindowTest, ShutDownWritesEveryKeyAndKeepsRecentKeysBeyondNine)
{
    QByteArray ini = "[Pos]\r\nLeft=1500\r\nTop=1200\r\nWidth=9000\r\nHeight=6000\r\n"
                     "Splitter=2000\r\n[Window]\r\nState=2\r\n[Excel]\r\nDefPath=/d/x.ods\r\n";
    for (int i = 1; i <= 11; ++i) {
        ini += QStringLiteral("Recent%1=/r/%1.xlsx\r\n").arg(i).toUtf8();
    }
    MainWindow& window = start(false, ini);
    EXPECT_TRUE(window.isMaximized());
    window.close();

    // Closed maximised: the state says so, the bounds are the normal ones.
    expectState({{"Window/State", u"2"_qs},
                 {"Pos/Left", u"1500"_qs},
                 {"Pos/Top", u"1200"_qs},
                 {"Pos/Width", u"9000"_qs},
                 {"Pos/Height", u"6000"_qs},
                 {"Pos/Splitter", u"2000"_qs},
                 {"Window/TopMost", u"0"_qs},
                 {"Excel/DefPath", u"/d/x.ods"_qs}});
    // Rebuilding from eleven keys keeps the nine newest, Recent1 on top.
    for (int i = 1; i <= 11; ++i) {
        expectState({{qPrintable(u"Excel/Recent%1"_qs.arg(i)), u"/r/%1.xlsx"_qs.arg(i)}});
    }
    EXPECT_EQ(window.recentFiles().size(), 9);
    EXPECT_EQ(window.recentFiles().first(), u"/r/1.xlsx");
}

TEST_F(MainWindowTest, AShutDownThatCannotWriteTheStateSaysWhy)
{
    const QByteArray ini = "[Window]\r\nState=2\r\n";
    MainWindow& window = start(false, ini);
    test::withFileSizeLimit(8, [&] { EXPECT_TRUE(window.close()); });
    ASSERT_EQ(m_ui.shown().size(), 1);
    EXPECT_EQ(m_ui.shown()[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(m_ui.shown()[0].text.contains(paths().windowStateFile +
                                              u"\" に書き込めません: "
                                              u"ファイルが大きすぎます"_qs));
}

TEST_F(MainWindowTest, ShutDownOfANormalWindowWritesItsBoundsInTwips)
{
    MainWindow& window = start(false);
    window.setGeometry(QRect(screen().topLeft() + QPoint(30, 40), QSize(px(8000), px(7000))));
    setTopMost(window, true);
    window.close();
    expectState({{"Window/State", u"0"_qs},
                 {"Pos/Left", QString::number((screen().left() + 30) * 15)},
                 {"Pos/Top", QString::number((screen().top() + 40) * 15)},
                 {"Pos/Width", u"7995"_qs}, // 533 pixels
                 {"Window/TopMost", u"-1"_qs}});
}

TEST_F(MainWindowTest, AWindowClosedMaximisedComesBackWhereItWasAtEveryStart)
{
    const QRect normal(screen().topLeft() + QPoint(100, 80), QSize(600, 400)); // 15 twips a pixel
    start(false, QStringLiteral("[Pos]\r\nLeft=%1\r\nTop=%2\r\nWidth=9000\r\nHeight=6000\r\n"
                                "[Window]\r\nState=2\r\n")
                     .arg(normal.left() * 15)
                     .arg(normal.top() * 15)
                     .toLatin1());
    for (int restart = 0; restart < 2; ++restart) {
        ASSERT_TRUE(m_window->isMaximized());
        m_window->close();
        MainWindow& window = start(false);
        window.showNormal();
        EXPECT_EQ(window.geometry(), normal) << "restart " << restart;
        window.showMaximized();
    }
}

TEST(WindowServicesTest, FitFrameOnScreenKeepsTheWholeFrameReachable)
{
    const QRect screen(0, 0, 1000, 700);
    const QMargins frame(2, 30, 2, 2);
    struct Case
    {
        QRect frame;
        QSize minimum;
        QRect client;
    };
    const Case cases[] = {
        {{100, 50, 600, 400}, {400, 300}, {102, 80, 596, 368}},   // fits: kept
        {{100, 50, 1200, 900}, {400, 300}, {2, 30, 996, 668}},    // larger: cut to the screen
        {{-40, -90, 600, 400}, {400, 300}, {2, 30, 596, 368}},    // title bar above: moved down
        {{700, 500, 600, 400}, {400, 300}, {402, 330, 596, 368}}, // far edges pulled back
        {{0, 0, 600, 400}, {800, 900}, {2, 30, 800, 900}},        // the minimum wins
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fitFrameOnScreen(c.frame, frame, c.minimum, screen), c.client) << c.frame.x();
    }
}

TEST_F(MainWindowTest, PageAndTemplateButtonsShowOneBoxAndHighlightTheirButton)
{
    MainWindow& window = start(false);
    const auto highlighted = [&] {
        return which(
            [](const QWidget& w) { return w.palette().color(QPalette::Button) == Qt::yellow; },
            {"cmdSet0", "cmdSet1", "cmdText0", "cmdText1", "cmdText2"});
    };
    const auto visible = [&] {
        return which([](const QWidget& w) { return w.isVisible(); },
                     {"cntSet0", "cntSet1", "txtText0", "txtText1", "txtText2"});
    };
    EXPECT_EQ(highlighted(), QStringList({u"cmdSet0"_qs, u"cmdText0"_qs}));

    find<QPushButton>("cmdText1")->click();
    EXPECT_EQ(window.currentText(), 1);
    EXPECT_EQ(highlighted(), QStringList({u"cmdSet0"_qs, u"cmdText1"_qs}));
    EXPECT_EQ(visible(), QStringList({u"cntSet0"_qs, u"txtText1"_qs}));
    // The header box fills the page below the template buttons.
    const QWidget* page = find<QWidget>("cntSet0");
    EXPECT_EQ(find<QWidget>("txtText1")->geometry(),
              QRect(px(10), px(315), page->width() - px(10), page->height() - px(315)));

    find<QPushButton>("cmdSet1")->click();
    EXPECT_EQ(window.currentPage(), 1);
    EXPECT_EQ(highlighted(), QStringList({u"cmdSet1"_qs, u"cmdText1"_qs}));
    EXPECT_EQ(visible(), QStringList({u"cntSet1"_qs}));
    // The output page's widths follow its frame.
    EXPECT_EQ(find<QWidget>("fraOutputDir")->width(), find<QWidget>("fraOutputFile")->width());
    const QWidget* dir = find<QWidget>("txtOutputDir");
    EXPECT_EQ(find<QWidget>("cmdOutputDir")->x(), dir->x() + dir->width());

    find<QPushButton>("cmdSet0")->click();
    EXPECT_EQ(visible(), QStringList({u"cntSet0"_qs, u"txtText1"_qs}));
}

TEST(MainWindowLayoutTest, SplitterLimits)
{
    struct Case
    {
        double position;
        double innerWidth;
        double afterResize;
        double whileDragging;
    };
    const Case cases[] = {
        {3000, 6000, 1700, 1700}, // at most inner width - 4300
        {1000, 6000, 1580, 1580}, // at least 1580
        {1600, 6000, 1600, 1600},
        {3000, 5800, 1580, 1500}, // too narrow: the lower limit wins after a resize,
        {1000, 5800, 1580, 1500}, // the upper one while dragging
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.position << " in " << c.innerWidth);
        EXPECT_EQ(clampSplitter(c.position, c.innerWidth), c.afterResize);
        EXPECT_EQ(clampSplitterDrag(c.position, c.innerWidth), c.whileDragging);
    }
}

TEST_F(MainWindowTest, DraggingTheSplitterStopsAtTheLimits)
{
    MainWindow& window = start(false, "[Pos]\r\nSplitter=1600\r\n"); // inner width 6000 twips
    QWidget* handle = find<QWidget>("imgSplitter");
    QWidget* bar = find<QWidget>("picSplitter");
    ASSERT_EQ(handle->x(), px(1600));
    // A handle a person can see and grab.
    EXPECT_GE(handle->width(), 6);
    EXPECT_EQ(handle->cursor().shape(), Qt::SplitHCursor);
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(2, 10));
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->width(), handle->width() / 2);
    QMouseEvent move(QEvent::MouseMove, QPointF(-300, 10), handle->mapToGlobal(QPointF(-300, 10)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(handle, &move);
    EXPECT_EQ(bar->x(), px(1580));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(-300, 10));
    EXPECT_FALSE(bar->isVisible());
    EXPECT_DOUBLE_EQ(window.splitterPosition(), 1580);
    EXPECT_EQ(find<QWidget>("lstExcelSheet")->width(), px(1580));
    EXPECT_EQ(find<QWidget>("cntMain")->x(), px(1580) + px(MainWindowMetrics::kPaneGap));
}

TEST_F(MainWindowTest, AlwaysOnTopAppliesToBothWindowsAndTheMenuReadsIt)
{
    MainWindow& window = start(false);
    QAction* item = find<QAction>("mnuView_TopMost");
    item->trigger();
    EXPECT_TRUE(isTopMost(&window));
    EXPECT_TRUE(isTopMost(&window.formatEditor()));
    EXPECT_TRUE(window.isVisible());
    item->setChecked(false); // stale until the menu opens
    Q_EMIT find<QMenu>("mnuView")->aboutToShow();
    EXPECT_TRUE(item->isChecked());
    item->trigger();
    EXPECT_FALSE(isTopMost(&window));
    EXPECT_FALSE(isTopMost(&window.formatEditor()));
}

TEST_F(MainWindowTest, FolderButtonTakesTheChosenDirectoryOnly)
{
    start(false);
    auto* box = find<QLineEdit>("txtOutputDir");
    box->setText(QStringLiteral("/tmp/start"));
    m_ui.chooseDirectoryAnswer(QStringLiteral("/tmp/chosen"));
    m_ui.chooseDirectoryAnswer(QString());
    find<QPushButton>("cmdOutputDir")->click();
    EXPECT_EQ(box->text(), u"/tmp/chosen");
    find<QPushButton>("cmdOutputDir")->click();
    EXPECT_EQ(box->text(), u"/tmp/chosen");
    EXPECT_EQ(m_ui.texts(),
              QStringList({QStringLiteral("フォルダ選択"), QStringLiteral("フォルダ選択")}));
    EXPECT_EQ(m_ui.directoryStarts(),
              QStringList({QStringLiteral("/tmp/start"), QStringLiteral("/tmp/chosen")}));
}

class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

TEST_F(MainWindowTest, HelpOpensTheManualWhenItExists)
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    const QString manual = path("index.html");
    start(false, {}, manual);
    QAction* help = find<QAction>("mnuHelp_Help");
    EXPECT_EQ(help->shortcut(), QKeySequence(Qt::Key_F1));
    help->trigger();
    EXPECT_TRUE(recorder.opened.isEmpty()); // no manual: nothing happens
    test::writeBytes(manual, "<html></html>");
    help->trigger();
    EXPECT_EQ(recorder.opened, QList<QUrl>({QUrl::fromLocalFile(manual)}));
    EXPECT_TRUE(m_ui.shown().isEmpty());
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

TEST_F(MainWindowTest, AboutShowsCaptionVersionAndFollowsTopMost)
{
    MainWindow& window = start(false);
    for (const bool topMost : {false, true}) {
        setTopMost(window, topMost);
        window.setWindowTitle(topMost ? QStringLiteral("Renamed")
                                      : QStringLiteral("Tavrune for Excel"));
        bool seen = false;
        test::whenModalShown([&](QWidget& dialog) {
            seen = true;
            EXPECT_EQ(dialog.objectName(), u"frmVer");
            EXPECT_EQ(dialog.windowTitle(), u"ﾊﾞｰｼﾞｮﾝ情報");
            EXPECT_EQ(isTopMost(&dialog), topMost);
            EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lblAppName"))->text(),
                      window.windowTitle());
            EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lblVer"))->text(),
                      u"Version - 1.50");
            QTest::keyClick(&dialog, Qt::Key_Return);
        });
        find<QAction>("mnuHelp_Ver")->trigger();
        EXPECT_TRUE(seen);
    }
}

TEST(WindowServicesTest, StandardButtonsAndFontsAreJapanese)
{
    ASSERT_TRUE(installQtJapanese(*QCoreApplication::instance()));
    EXPECT_EQ(QLocale().language(), QLocale::Japanese) << "dates in Qt's own dialogs";
    QMessageBox box(QMessageBox::Question, QStringLiteral("Tavrune for Excel"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    for (const auto& [button, caption] :
         {std::pair{QMessageBox::Yes, u"はい"_qs}, std::pair{QMessageBox::No, u"いいえ"_qs},
          std::pair{QMessageBox::Cancel, u"キャンセル"_qs}}) {
        const QString text = box.button(button)->text().remove(u'&');
        EXPECT_TRUE(text.startsWith(caption)) << text.toStdString();
    }

    // Every font the windows use has glyphs for kana and kanji, half-width kana
    // included, so nothing shows as boxes.
    for (const QFont& font : {monospaceFont(), boldLabelFont(), applicationFont(QFont())}) {
        const QFontMetrics metrics(font);
        for (const char16_t c : {u'漢', u'ｶ', u'あ', u'ア'}) {
            EXPECT_TRUE(metrics.inFont(QChar(c)))
                << QFontInfo(font).family().toStdString() << " lacks " << int(c);
        }
    }
    EXPECT_EQ(monospaceFont().families().first(), u"ＭＳ ゴシック");
    EXPECT_EQ(boldLabelFont().families().first(), u"ＭＳ Ｐゴシック");
    EXPECT_TRUE(boldLabelFont().bold());
}

TEST(WindowServicesTest, MoveFormOnScreenKeepsWindowsOnTheScreen)
{
    const QRect screen(0, 0, 1024, 768);
    struct Case
    {
        QRect window;
        QPoint placed;
    };
    const Case cases[] = {
        {{1333, 10, 600, 400}, {424, 10}},  // right edge pulled back onto the screen
        {{-50, -5, 600, 400}, {0, 0}},      // negative left and top become 0
        {{100, 700, 600, 400}, {100, 368}}, // bottom edge pulled back
        {{10, 10, 1200, 400}, {-176, 10}},  // wider than the screen: starts left of it
        {{30, 40, 600, 400}, {30, 40}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(moveFormOnScreen(c.window, screen), QRect(c.placed, c.window.size()))
            << c.window.x() << "," << c.window.y();
    }
}

} // namespace

#include "main_window_test.moc"

namespace {

// Run on a screen of 800 × 450 at twice the scale, with window frames.
class SmallScreenTest : public MainWindowTest
{
};

TEST_F(SmallScreenTest, TheWindowsFitTheScreenAndTheFormatFieldsScroll)
{
    ASSERT_LT(screen().height(), 500) << "to be run on its own small screen";
    // Bounds saved on a large screen at 1× are cut to this one.
    MainWindow& window =
        start(true, "[Pos]\r\nLeft=3000\r\nTop=3000\r\nWidth=24000\r\nHeight=15000\r\n");
    EXPECT_TRUE(screen().contains(window.frameGeometry()))
        << testing::PrintToString(window.frameGeometry());
    EXPECT_NE(window.frameGeometry(), window.geometry()); // the frame counts

    window.openFiles({test::kSampleWorkbook}); // the comparison needs one
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !find<QComboBox>("cmbExcelFile")->currentText().isEmpty(); }, 60'000));
    for (const char* name : {"mnuView_Change", "mnuFile_Compare"}) {
        find<QAction>(name)->trigger();
    }
    for (const char* name : {"frmChange", "frmCompare"}) {
        const auto* other = window.findChild<QWidget*>(QString::fromLatin1(name));
        EXPECT_TRUE(screen().contains(other->frameGeometry())) << name;
    }
    find<QAction>("mnuView_Format")->trigger();
    FormatEditorWindow& editor = window.formatEditor();
    EXPECT_TRUE(screen().contains(editor.frameGeometry()))
        << testing::PrintToString(editor.frameGeometry());
    EXPECT_GT(inEditor<QScrollArea>("scrFormat")->verticalScrollBar()->maximum(), 0);
    for (const char* name : {"cmbName", "cmdAdd", "cmdDelete"}) {
        const auto* control = inEditor<QWidget>(name);
        EXPECT_TRUE(
            editor.rect().contains(QRect(control->mapTo(&editor, QPoint()), control->size())))
            << name;
    }
}

} // namespace

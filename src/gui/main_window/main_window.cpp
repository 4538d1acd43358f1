#include "gui/main_window/main_window.h"

#include "common/error.h"
#include "common/user_interaction.h"
#include "generation/file_output_target.h"
#include "generation/generation_run.h"
#include "generation/sheet_checks.h"
#include "gui/change_settings/change_settings_window.h"
#include "gui/compare/compare_window.h"
#include "gui/connections/connection_settings_window.h"
#include "gui/connections/password_keyring.h"
#include "gui/database_workbook/database_workbook_window.h"
#include "gui/format_editor/format_editor_window.h"
#include "gui/main_window/about_dialog.h"
#include "gui/main_window/main_window_layout.h"
#include "gui/main_window/missing_files_message.h"
#include "gui/main_window/preview_dock.h"
#include "gui/main_window/sheet_check_window.h"
#include "gui/main_window/splitter_handle.h"
#include "gui/main_window/window_reading_host.h"
#include "gui/run/window_run_host.h"
#include "gui/twips.h"
#include "gui/window_services.h"
#include "settings/settings_file.h"
#include "workbook/file_workbook_source.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QUrl>
#include <limits>

namespace tavrune {

using namespace MainWindowMetrics;

namespace {

const QString kCaption = QStringLiteral("Tavrune for Excel");
// The first start's share of the screen, and the sheet entry the left pane shows whole.
constexpr double kFirstStartShare = 0.6;
const QString kFirstStartSheet = QStringLiteral("注文明細 (ORDER_DETAIL)");
const QString kNoWorkbookToCompare = QStringLiteral("比較するブックを選択してください。");

// Templates are kept with CR LF line breaks; the text boxes use LF.
QString toBoxText(const QString& text)
{
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString fromBoxText(const QString& text)
{
    return QString(text).replace(u'\n', QStringLiteral("\r\n"));
}

// A menu shows '&' as the mark of an access key; a path shows it as it is.
QString menuText(const QString& path)
{
    return QString(path).replace(u'&', QStringLiteral("&&"));
}

template <typename Widget> Widget* named(Widget* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

// A control's value as the field it shows holds it (fileFieldValue).
QVariant controlValue(const QWidget* control)
{
    if (const auto* box = qobject_cast<const QPlainTextEdit*>(control)) {
        return fromBoxText(box->toPlainText());
    }
    if (const auto* box = qobject_cast<const QLineEdit*>(control)) {
        return box->text();
    }
    if (const auto* box = qobject_cast<const QCheckBox*>(control)) {
        return box->isChecked() ? 1 : 0;
    }
    if (const auto* box = qobject_cast<const QComboBox*>(control)) {
        return box->currentData().toInt();
    }
    // A frame of options: the number of the option chosen, the last when none of
    // the others is.
    const QList<QRadioButton*> options =
        control->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
    int chosen = 0;
    while (chosen + 1 < options.size() && !options.at(chosen)->isChecked()) {
        ++chosen;
    }
    return chosen;
}

// Values the controls cannot show (a hand-edited file) show as option 0 and
// unchecked.
void showValue(QWidget* control, const QVariant& value)
{
    if (auto* box = qobject_cast<QPlainTextEdit*>(control)) {
        box->setPlainText(toBoxText(value.toString()));
    } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
        box->setText(value.toString());
    } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
        box->setChecked(value.toInt() == 1);
    } else if (auto* box = qobject_cast<QComboBox*>(control)) {
        box->setCurrentIndex(box->findData(value.toInt()));
    } else {
        const QList<QRadioButton*> options =
            control->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
        const int option = value.toInt();
        options.at(option >= 0 && option < options.size() ? option : 0)->setChecked(true);
    }
}

} // namespace

MainWindow::MainWindow(UserInteraction& interaction, FileWorkbookSource& source,
                       SettingsPaths paths, QString manualPath, QWidget* parent)
    : QMainWindow(parent), m_interaction(interaction), m_source(source), m_paths(std::move(paths)),
      m_manualPath(std::move(manualPath)), m_windowState(m_paths.windowStateFile),
      m_settingsFile(m_paths.settingsFile, interaction)
{
    setObjectName(QStringLiteral("frmMain"));
    setAcceptDrops(true);
    const auto save = [this] { return m_settingsFile.saveSettingsFile(m_formats, m_files); };
    m_formatEditor = new FormatEditorWindow(m_formats, m_windowState, m_interaction, save, this);
    m_formatEditor->hide();
    connect(m_formatEditor, &FormatEditorWindow::mainWindowWanted, this, [this] {
        raise();
        activateWindow();
    });
    // Changed files are read again before each command that reads the workbooks,
    // off the window's thread; an attachment of its own would read them on it.
    m_source.setReadChangedOnAttach(false);
    m_reading = std::make_unique<WindowReadingHost>(m_interaction, *this, *m_formatEditor);
    m_lists = std::make_unique<WorkbookLists>(m_source, static_cast<WorkbookListView&>(*this),
                                              m_interaction, *m_reading);

    m_central = named(new QWidget(this), QStringLiteral("frmMainClient"));
    setCentralWidget(m_central);
    m_central->installEventFilter(this);
    createMenus();
    createLeftPane(m_central);
    createRightPane(m_central);
    m_fileSettings = std::make_unique<NamedSettings<FileSetting>>(
        SettingKind::File, m_files, *m_nameBox, static_cast<SettingView<FileSetting>&>(*this),
        m_interaction, m_windowState, save);
    m_preview = new PreviewDock([this] { return previewOfCurrentSheet(); }, this);
    addDockWidget(Qt::BottomDockWidgetArea, m_preview);
    m_preview->hide();
    QAction* preview = m_preview->toggleViewAction();
    preview->setObjectName(QStringLiteral("mnuView_Preview"));
    preview->setText(QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"));
    preview->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    m_mnuView->insertAction(findChild<QAction*>(QStringLiteral("mnuView_Line1")), preview);
    QAction* check =
        named(new QAction(QStringLiteral("ｼｰﾄのﾁｪｯｸ"), this), QStringLiteral("mnuView_Check"));
    m_mnuView->insertAction(findChild<QAction*>(QStringLiteral("mnuView_Line1")), check);
    connect(check, &QAction::triggered, this, &MainWindow::onMnuViewCheckClicked);
    createChangeSettingsWindow();
    createConnectionSettingsWindow();
    connect(m_formatEditor, &FormatEditorWindow::fieldsEdited, m_preview,
            &PreviewDock::scheduleUpdate);
    connect(m_lstExcelSheet, &QListWidget::currentRowChanged, m_preview,
            &PreviewDock::scheduleUpdate);
    watchForEdits();
}

void MainWindow::createChangeSettingsWindow()
{
    const auto fileNames = [this] {
        QStringList names;
        for (const FileSetting& file : m_files) {
            names.append(file.Name);
        }
        return names;
    };
    const auto save = [this] {
        return saveBeside(m_changesUnreadable, [this] {
            saveChangeSettings(changeSettingsPathBeside(m_paths.settingsFile), m_changes);
        });
    };
    m_changeWindow =
        new ChangeSettingsWindow(m_changes, m_windowState, m_interaction, save, fileNames, this);
    m_changeWindow->hide();
    QAction* changes =
        named(new QAction(QStringLiteral("変更設定"), this), QStringLiteral("mnuView_Change"));
    m_mnuView->insertAction(findChild<QAction*>(QStringLiteral("mnuView_Line1")), changes);
    connect(changes, &QAction::triggered, this, [this] { showToolWindow(*m_changeWindow); });
}

void MainWindow::createConnectionSettingsWindow()
{
    m_keyring = new PasswordKeyring(this);
    const auto save = [this] {
        if (!saveBeside(m_connectionsUnreadable, [this] {
                saveConnectionSettings(connectionSettingsPathBeside(m_paths.settingsFile),
                                       m_connections);
            })) {
            return false;
        }
        // A password no connection keeps any longer leaves the keyring.
        const QSet<QString> kept = PasswordKeyring::keysOf(m_connections);
        m_keyring->forgetAllBut(m_keptPasswords, kept);
        m_keptPasswords = kept;
        return true;
    };
    m_connectionWindow =
        new ConnectionSettingsWindow(m_connections, m_windowState, m_interaction, save, this);
    m_connectionWindow->hide();
    QAction* connections =
        named(new QAction(QStringLiteral("接続設定"), this), QStringLiteral("mnuView_Connection"));
    m_mnuView->insertAction(findChild<QAction*>(QStringLiteral("mnuView_Line1")), connections);
    connect(connections, &QAction::triggered, this,
            [this] { showToolWindow(*m_connectionWindow); });
}

bool MainWindow::saveBeside(const QString& unreadable, const std::function<void()>& save)
{
    try {
        if (!unreadable.isEmpty()) {
            throw Error(ErrorNumber::PathFileAccess,
                        QStringLiteral("読み込めなかったため、上書きしません: %1").arg(unreadable));
        }
        save();
        return true;
    } catch (const Error& error) {
        m_interaction.showMessage(error.description(), MessageIcon::Stop, MessageButtons::Ok,
                                  Answer::Ok);
        return false;
    }
}

void MainWindow::showToolWindow(QWidget& window)
{
    setTopMost(window, isTopMost(this));
    if (!window.isVisible()) {
        placeFrameOnScreen(window, window.frameGeometry(), this);
    }
    window.show();
    window.raise();
    window.activateWindow();
}

void MainWindow::loadSettingsBeside()
{
    // One that cannot be read is kept as it is: registering would replace it.
    const auto load = [this](auto& list, QString& unreadable, const auto& read) {
        try {
            list = read(m_paths.settingsFile);
        } catch (const Error& error) {
            unreadable = error.description();
            m_interaction.showMessage(error.description(), MessageIcon::Exclamation,
                                      MessageButtons::Ok, Answer::Ok);
        }
    };
    load(m_changes, m_changesUnreadable, [](const QString& settingsFile) {
        return loadChangeSettings(changeSettingsPathBeside(settingsFile));
    });
    load(m_connections, m_connectionsUnreadable, [](const QString& settingsFile) {
        return loadConnectionSettings(connectionSettingsPathBeside(settingsFile));
    });
    m_changeWindow->showNames();
    if (const auto position = m_windowState.chosenPosition(SettingKind::Change, m_changes.size())) {
        m_changeWindow->choosePosition(*position);
    }
    m_keptPasswords = PasswordKeyring::keysOf(m_connections);
    m_connectionWindow->showNames();
    if (const auto position =
            m_windowState.chosenPosition(SettingKind::Connection, m_connections.size())) {
        m_connectionWindow->choosePosition(*position);
    }
}

void MainWindow::watchForEdits()
{
    for (QPlainTextEdit* box : m_txtText) {
        connect(box, &QPlainTextEdit::textChanged, this, &MainWindow::showModifiedMark);
    }
    for (QLineEdit* box :
         {m_txtOutputFileStr[0], m_txtOutputFileStr[1], m_txtOutputFile, m_txtOutputDir}) {
        connect(box, &QLineEdit::textChanged, this, &MainWindow::showModifiedMark);
    }
    for (QComboBox* box : {m_cmbEncoding, m_cmbLineEnd}) {
        connect(box, &QComboBox::currentIndexChanged, this, &MainWindow::showModifiedMark);
    }
    for (QAbstractButton* button : {static_cast<QAbstractButton*>(m_optOutputFile[0]),
                                    static_cast<QAbstractButton*>(m_chkOutputFileStr[0]),
                                    static_cast<QAbstractButton*>(m_chkOutputFileStr[1])}) {
        connect(button, &QAbstractButton::toggled, this, &MainWindow::showModifiedMark);
    }
}

MainWindow::~MainWindow() = default;

void MainWindow::createMenus()
{
    m_mnuFile = named(menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)")), QStringLiteral("mnuFile"));
    QAction* open = named(m_mnuFile->addAction(QStringLiteral("Excel ﾌｧｲﾙを開く")),
                          QStringLiteral("mnuFile_Excel"));
    // Ctrl+O as every other program opens a file; the menu shows the first.
    open->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_O), QKeySequence(Qt::CTRL | Qt::Key_E)});
    connect(open, &QAction::triggered, this, [this] { m_lists->openCommand(); });
    QAction* close = named(m_mnuFile->addAction(QStringLiteral("ﾌﾞｯｸを閉じる")),
                           QStringLiteral("mnuFile_Close"));
    connect(close, &QAction::triggered, this, [this] { m_lists->closeChosenWorkbook(); });
    named(m_mnuFile->addSeparator(), QStringLiteral("mnuFile_Line1"));
    QAction* make =
        named(m_mnuFile->addAction(QStringLiteral("ﾌｧｲﾙ作成")), QStringLiteral("mnuFile_Make"));
    make->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(make, &QAction::triggered, this, &MainWindow::onMnuFileMakeClicked);
    QAction* compare = named(m_mnuFile->addAction(QStringLiteral("ﾌﾞｯｸの比較")),
                             QStringLiteral("mnuFile_Compare"));
    connect(compare, &QAction::triggered, this, &MainWindow::onMnuFileCompareClicked);
    QAction* fromDatabase = named(m_mnuFile->addAction(QStringLiteral("DBからﾌﾞｯｸ作成")),
                                  QStringLiteral("mnuFile_FromDatabase"));
    connect(fromDatabase, &QAction::triggered, this, &MainWindow::onMnuFileFromDatabaseClicked);
    named(m_mnuFile->addSeparator(), QStringLiteral("mnuFile_Line2"));
    m_mnuFileLine3 = named(m_mnuFile->addSeparator(), QStringLiteral("mnuFile_Line3"));
    m_mnuFileLine3->setVisible(false);
    m_mnuFileEnd =
        named(m_mnuFile->addAction(QStringLiteral("終了(&X)")), QStringLiteral("mnuFile_End"));
    connect(m_mnuFileEnd, &QAction::triggered, this, &QWidget::close);

    m_mnuView = named(menuBar()->addMenu(QStringLiteral("表示(&V)")), QStringLiteral("mnuView"));
    QAction* format =
        named(m_mnuView->addAction(QStringLiteral("ﾌｫｰﾏｯﾄ設定")), QStringLiteral("mnuView_Format"));
    format->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(format, &QAction::triggered, this, &MainWindow::onMnuViewFormatClicked);
    named(m_mnuView->addSeparator(), QStringLiteral("mnuView_Line1"));
    QAction* refresh = named(m_mnuView->addAction(QStringLiteral("最新の情報に更新")),
                             QStringLiteral("mnuView_Refresh"));
    refresh->setShortcut(QKeySequence(Qt::Key_F5));
    connect(refresh, &QAction::triggered, this, [this] { m_lists->refresh(); });
    named(m_mnuView->addSeparator(), QStringLiteral("mnuView_Line2"));
    m_mnuViewTopMost = named(m_mnuView->addAction(QStringLiteral("常に手前に表示")),
                             QStringLiteral("mnuView_TopMost"));
    m_mnuViewTopMost->setCheckable(true);
    connect(m_mnuViewTopMost, &QAction::triggered, this, &MainWindow::onMnuViewTopMostClicked);
    connect(m_mnuView, &QMenu::aboutToShow, this, &MainWindow::onMnuViewAboutToShow);

    QMenu* help = named(menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)")), QStringLiteral("mnuHelp"));
    QAction* topics =
        named(help->addAction(QStringLiteral("ﾄﾋﾟｯｸの検索")), QStringLiteral("mnuHelp_Help"));
    topics->setShortcut(QKeySequence(Qt::Key_F1));
    connect(topics, &QAction::triggered, this, &MainWindow::onMnuHelpHelpClicked);
    named(help->addSeparator(), QStringLiteral("mnuHelp_Line1"));
    QAction* version =
        named(help->addAction(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報")), QStringLiteral("mnuHelp_Ver"));
    connect(version, &QAction::triggered, this, &MainWindow::onMnuHelpVerClicked);

    m_statusText = named(new QLabel(statusBar()), QStringLiteral("lblStatus"));
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->addWidget(m_statusText, 1);
}

void MainWindow::createLeftPane(QWidget* central)
{
    m_cmbExcelFile = named(new QComboBox(central), QStringLiteral("cmbExcelFile"));
    connect(m_cmbExcelFile, &QComboBox::activated, this, [this] { m_lists->workbookChosen(); });
    m_lstExcelSheet = named(new QListWidget(central), QStringLiteral("lstExcelSheet"));
    m_lstExcelSheet->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(m_lstExcelSheet, &QListWidget::itemSelectionChanged, this,
            &MainWindow::showSelectionCount);

    m_imgSplitter = named(new SplitterHandle(central), QStringLiteral("imgSplitter"));
    connect(m_imgSplitter, &SplitterHandle::pressed, this, &MainWindow::onSplitterPressed);
    connect(m_imgSplitter, &SplitterHandle::dragged, this, &MainWindow::onSplitterDragged);
    connect(m_imgSplitter, &SplitterHandle::released, this, &MainWindow::onSplitterReleased);
    m_picSplitter = named(new QWidget(central), QStringLiteral("picSplitter"));
    m_picSplitter->setAutoFillBackground(true);
    QPalette bar = m_picSplitter->palette();
    bar.setColor(QPalette::Window, palette().color(QPalette::Dark));
    m_picSplitter->setPalette(bar);
    m_picSplitter->hide();
}

void MainWindow::createRightPane(QWidget* central)
{
    m_nameBox = std::make_unique<NameComboBox>(central);
    connect(m_nameBox->comboBox(), &QComboBox::activated, this, [this](int position) {
        m_fileSettings->choose(position);
        showModifiedMark();
    });
    connect(m_nameBox->comboBox(), &QComboBox::editTextChanged, this,
            &MainWindow::showModifiedMark);
    m_lblModified = named(new QLabel(central), QStringLiteral("lblModified"));
    m_lblModified->setAlignment(Qt::AlignCenter);
    m_lblModified->setToolTip(QStringLiteral("登録されていない変更があります"));
    m_cmdAdd =
        named(new QPushButton(QStringLiteral("登録(&S)"), central), QStringLiteral("cmdAdd"));
    m_cmdDelete =
        named(new QPushButton(QStringLiteral("削除(&D)"), central), QStringLiteral("cmdDelete"));
    connect(m_cmdAdd, &QPushButton::clicked, this, [this] {
        m_fileSettings->registerSetting();
        showModifiedMark();
    });
    connect(m_cmdDelete, &QPushButton::clicked, this, [this] {
        m_fileSettings->deleteSetting();
        showModifiedMark();
    });
    m_cmdAdd->setGeometry(twipsRect(*this, 0, 0, kButtonWidth, kButtonHeight));
    m_cmdDelete->setGeometry(twipsRect(*this, 0, 0, kButtonWidth, kButtonHeight));

    m_cntMain = named(new QWidget(central), QStringLiteral("cntMain"));
    const QString setCaptions[] = {QStringLiteral("書式(&T)"), QStringLiteral("出力設定(&O)")};
    for (int i = 0; i < 2; ++i) {
        m_cntSet[i] = named(new QWidget(m_cntMain), QStringLiteral("cntSet%1").arg(i));
        m_cmdSet[i] =
            named(new QPushButton(setCaptions[i], m_cntMain), QStringLiteral("cmdSet%1").arg(i));
        m_cmdSet[i]->setGeometry(twipsRect(*this, i * 1200, 0, 1215, kButtonHeight));
        connect(m_cmdSet[i], &QPushButton::clicked, this, [this, i] { onCmdSetClicked(i); });
    }
    createTemplatePage();
    createOutputPage();
    for (const Template which : kTemplates) {
        m_fieldControls.append({templateField(which), m_txtText[static_cast<size_t>(which)]});
    }
    m_fieldControls.append({
        {FileField::OutputFile, m_fraOutputFile},
        {FileField::OutputFileStrCheckBefore, m_chkOutputFileStr[0]},
        {FileField::OutputFileStrCheckAfter, m_chkOutputFileStr[1]},
        {FileField::OutputFileStrBefore, m_txtOutputFileStr[0]},
        {FileField::OutputFileStrAfter, m_txtOutputFileStr[1]},
        {FileField::OutputFileName, m_txtOutputFile},
        {FileField::OutputDir, m_txtOutputDir},
        {FileField::Encoding, m_cmbEncoding},
        {FileField::LineEnd, m_cmbLineEnd},
    });
}

void MainWindow::createTemplatePage()
{
    const QString captions[] = {QStringLiteral("本文(&M)"), QStringLiteral("ヘッダ(&B)"),
                                QStringLiteral("フッタ(&A)")};
    for (int i = 0; i < 3; ++i) {
        m_cmdText[i] =
            named(new QPushButton(captions[i], m_cntSet[0]), QStringLiteral("cmdText%1").arg(i));
        m_cmdText[i]->setGeometry(twipsRect(*this, i * 900, 0, 915, kButtonHeight));
        connect(m_cmdText[i], &QPushButton::clicked, this, [this, i] { onCmdTextClicked(i); });
        m_txtText[i] = named(new QPlainTextEdit(m_cntSet[0]), QStringLiteral("txtText%1").arg(i));
        useCodeFont(*m_txtText[i]);
        m_txtText[i]->setLineWrapMode(QPlainTextEdit::NoWrap);
    }
}

void MainWindow::createOutputPage()
{
    QWidget* page = m_cntSet[1];
    auto* outputFile = new QGroupBox(QStringLiteral("出力ファイル"), page);
    m_fraOutputFile = named(outputFile, QStringLiteral("fraOutputFile"));
    m_optOutputFile[0] = named(new QRadioButton(QStringLiteral("テーブルタイトル"), outputFile),
                               QStringLiteral("optOutputFile0"));
    m_optOutputFile[1] = named(new QRadioButton(QStringLiteral("１つのファイル"), outputFile),
                               QStringLiteral("optOutputFile1"));
    m_optOutputFile[0]->setChecked(true);
    auto* outputFileStr = new QGroupBox(QStringLiteral("付加文字列"), outputFile);
    m_fraOutputFileStr = named(outputFileStr, QStringLiteral("fraOutputFileStr"));
    const QString strCaptions[] = {QStringLiteral("前"), QStringLiteral("後")};
    for (int i = 0; i < 2; ++i) {
        m_chkOutputFileStr[i] = named(new QCheckBox(strCaptions[i], outputFileStr),
                                      QStringLiteral("chkOutputFileStr%1").arg(i));
        m_txtOutputFileStr[i] =
            named(new QLineEdit(outputFileStr), QStringLiteral("txtOutputFileStr%1").arg(i));
    }
    m_txtOutputFile = named(new QLineEdit(outputFile), QStringLiteral("txtOutputFile"));

    auto* outputDir = new QGroupBox(QStringLiteral("出力先ディレクトリ"), page);
    m_fraOutputDir = named(outputDir, QStringLiteral("fraOutputDir"));
    m_txtOutputDir = named(new QLineEdit(outputDir), QStringLiteral("txtOutputDir"));
    m_cmdOutputDir =
        named(new QPushButton(QStringLiteral("..."), outputDir), QStringLiteral("cmdOutputDir"));
    connect(m_cmdOutputDir, &QPushButton::clicked, this, &MainWindow::onCmdOutputDirClicked);

    auto* encodingLabel =
        named(new QLabel(QStringLiteral("文字コード"), page), QStringLiteral("lblEncoding"));
    m_cmbEncoding = named(new QComboBox(page), QStringLiteral("cmbEncoding"));
    m_cmbEncoding->addItem(QStringLiteral("Shift_JIS (CP932)"),
                           QVariant::fromValue(int(OutputEncoding::Cp932)));
    m_cmbEncoding->addItem(QStringLiteral("UTF-8"), QVariant::fromValue(int(OutputEncoding::Utf8)));
    m_cmbEncoding->addItem(QStringLiteral("UTF-8 (BOM)"),
                           QVariant::fromValue(int(OutputEncoding::Utf8Bom)));
    auto* lineEndLabel =
        named(new QLabel(QStringLiteral("改行"), page), QStringLiteral("lblLineEnd"));
    m_cmbLineEnd = named(new QComboBox(page), QStringLiteral("cmbLineEnd"));
    m_cmbLineEnd->addItem(QStringLiteral("CR+LF"), QVariant::fromValue(int(LineEnd::CrLf)));
    m_cmbLineEnd->addItem(QStringLiteral("LF"), QVariant::fromValue(int(LineEnd::Lf)));
    encodingLabel->setBuddy(m_cmbEncoding);
    lineEndLabel->setBuddy(m_cmbLineEnd);

    // Fixed places (twips); the widths follow the page in cntSetResize.
    placeTwips(m_fraOutputFile, 120, 60, 4000, 2400);
    placeTwips(m_optOutputFile[0], 120, 300, 2400, 270);
    placeTwips(m_fraOutputFileStr, 360, 600, 3500, 1080);
    for (int i = 0; i < 2; ++i) {
        placeTwips(m_chkOutputFileStr[i], 120, 300 + i * 360, 600, 300);
        placeTwips(m_txtOutputFileStr[i], 780, 300 + i * 360, 2600, 300);
    }
    placeTwips(m_optOutputFile[1], 120, 1740, 2400, 270);
    placeTwips(m_txtOutputFile, 360, 2040, 3500, 300);
    placeTwips(m_fraOutputDir, 120, 2580, 4000, 780);
    placeTwips(m_txtOutputDir, 120, 330, 3350, 300);
    placeTwips(m_cmdOutputDir, 3470, 330, 400, 300);
    placeTwips(encodingLabel, 240, 3480, 1000, 300);
    placeTwips(m_cmbEncoding, 1260, 3450, 2400, 330);
    placeTwips(lineEndLabel, 240, 3900, 1000, 300);
    placeTwips(m_cmbLineEnd, 1260, 3870, 2400, 330);
}

void MainWindow::placeTwips(QWidget* widget, double left, double top, double width, double height)
{
    // A length the window is too small for is skipped; the next one goes on.
    if (width < 0 || height < 0) {
        return;
    }
    widget->setGeometry(twipsRect(*this, left, top, width, height));
}

double MainWindow::innerWidth() const
{
    return pixelsToTwipsX(*this, m_central->width());
}

double MainWindow::innerHeight() const
{
    return pixelsToTwipsY(*this, m_central->height());
}

// ---- Layout ----

void MainWindow::formResize()
{
    // A hidden window has no inner size yet: clamping the splitter to it would
    // lose the restored position. The first showing lays the window out.
    if (isMinimized() || !isVisible()) {
        return;
    }
    const double width = innerWidth();
    const double height = innerHeight(); // above the status bar
    m_splitter = clampSplitter(m_splitter, width);
    m_cmdAdd->move(twipsToPixelsX(*this, width - 2 * kButtonWidth + 10), 0);
    m_cmdDelete->move(twipsToPixelsX(*this, width - kButtonWidth), 0);
    sizeControls(m_splitter);
    const double listHeight = height - kTopRowHeight;
    if (listHeight >= 0) {
        m_lstExcelSheet->resize(m_lstExcelSheet->width(), twipsToPixelsY(*this, listHeight));
        m_cntMain->resize(m_cntMain->width(), m_lstExcelSheet->height());
        cntMainResize();
    }
    m_imgSplitter->resize(m_imgSplitter->width(), twipsToPixelsY(*this, height));
}

void MainWindow::sizeControls(double splitter)
{
    const double width = innerWidth();
    placeTwips(m_imgSplitter, splitter, 0, kPaneGap,
               pixelsToTwipsY(*this, m_imgSplitter->height()));
    placeTwips(m_cmbExcelFile, 0, 0, splitter, kTopRowHeight);
    m_lstExcelSheet->setGeometry(twipsToPixelsX(*this, 0), twipsToPixelsY(*this, kTopRowHeight),
                                 twipsToPixelsX(*this, splitter), m_lstExcelSheet->height());
    const double mainWidth = width - splitter - kPaneGap;
    if (mainWidth >= 0) {
        m_cntMain->setGeometry(twipsToPixelsX(*this, splitter + kPaneGap),
                               twipsToPixelsY(*this, kTopRowHeight),
                               twipsToPixelsX(*this, mainWidth), m_cntMain->height());
    }
    // The name box leaves room at its right end for the mark of unregistered edits.
    const double nameWidth = mainWidth - 2 * kButtonWidth + 20 - kModifiedMarkWidth;
    placeTwips(m_nameBox->comboBox(), splitter + kPaneGap, 0, nameWidth, kTopRowHeight);
    placeTwips(m_lblModified, splitter + kPaneGap + nameWidth, 0, kModifiedMarkWidth,
               kTopRowHeight);
    cntMainResize();
}

void MainWindow::cntMainResize()
{
    const double buttons = kButtonHeight;
    placeTwips(m_cntSet[m_currentPage], -30, buttons - 10,
               pixelsToTwipsX(*this, m_cntMain->width()) + 40,
               pixelsToTwipsY(*this, m_cntMain->height()) - buttons + 30);
    cntSetResize();
}

void MainWindow::cntSetResize()
{
    QWidget* page = m_cntSet[m_currentPage];
    const double width = pixelsToTwipsX(*this, page->width());
    const double height = pixelsToTwipsY(*this, page->height());
    if (m_currentPage == 0) {
        placeTwips(m_txtText[m_currentText], 10, kButtonHeight, width - 10, height - kButtonHeight);
        return;
    }
    const auto resizeWidth = [this](QWidget* widget, double twips) {
        if (twips >= 0) {
            widget->resize(twipsToPixelsX(*this, twips), widget->height());
        }
    };
    const double frameWidth = width - 2 * pixelsToTwipsX(*this, m_fraOutputFile->x());
    resizeWidth(m_fraOutputFile, frameWidth);
    resizeWidth(m_fraOutputFileStr, frameWidth - 500);
    resizeWidth(m_txtOutputFileStr[0], frameWidth - 1400);
    resizeWidth(m_txtOutputFileStr[1], frameWidth - 1400);
    resizeWidth(m_txtOutputFile, frameWidth - 500);
    resizeWidth(m_fraOutputDir, frameWidth);
    resizeWidth(m_txtOutputDir, frameWidth - 650);
    m_cmdOutputDir->move(m_txtOutputDir->x() + m_txtOutputDir->width(), m_cmdOutputDir->y());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_central && event->type() == QEvent::Resize) {
        formResize();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::onSplitterPressed()
{
    m_picSplitter->setGeometry(m_imgSplitter->x(), m_imgSplitter->y(), m_imgSplitter->width() / 2,
                               m_imgSplitter->height());
    m_picSplitter->show();
    m_picSplitter->raise();
}

void MainWindow::onSplitterDragged(int x)
{
    const double candidate = clampSplitterDrag(
        pixelsToTwipsX(*this, m_imgSplitter->x()) + pixelsToTwipsX(*this, x), innerWidth());
    m_picSplitter->move(twipsToPixelsX(*this, candidate), m_picSplitter->y());
}

void MainWindow::onSplitterReleased()
{
    m_splitter = pixelsToTwipsX(*this, m_picSplitter->x());
    sizeControls(m_splitter);
    m_picSplitter->hide();
    formResize();
}

void MainWindow::onCmdSetClicked(int index)
{
    m_currentPage = index;
    formResize();
    for (int j = 0; j < 2; ++j) {
        setButtonHighlighted(*m_cmdSet[j], j == index);
        m_cntSet[j]->setVisible(j == index);
    }
    cntMainResize();
}

void MainWindow::onCmdTextClicked(int index)
{
    m_currentText = index;
    formResize();
    for (int j = 0; j < 3; ++j) {
        setButtonHighlighted(*m_cmdText[j], j == index);
        m_txtText[j]->setVisible(j == index);
    }
}

// ---- Start-up and shut-down ----

void MainWindow::startUp()
{
    setWindowTitle(kCaption);
    setMinimumSize(twipsToPixelsX(*this, kMinimumWidth), twipsToPixelsY(*this, kMinimumHeight));
    restoreWindowState();
    onCmdSetClicked(0);
    onCmdTextClicked(0);
    show();
    if (windowState() == Qt::WindowNoState) {
        // The frame is known once shown: it too has to fit.
        placeFrameOnScreen(*this, frameGeometry());
    }
    repaint();

    m_settingsFile.loadSettingsFile(m_formats, m_files);
    m_fileSettings->showNames();
    m_formatEditor->showNames();
    loadSettingsBeside();
    if (const auto position = m_windowState.chosenPosition(SettingKind::File, m_files.size())) {
        m_fileSettings->choose(*position);
    }
    if (const auto position = m_windowState.chosenPosition(SettingKind::Format, m_formats.size())) {
        m_formatEditor->choosePosition(*position);
    }
    showModifiedMark();
    m_lists->refresh();
}

void MainWindow::restoreWindowState()
{
    const WindowState::Bounds bounds = m_windowState.bounds();
    m_splitter = m_windowState.splitter();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (bounds == WindowState::Bounds{} && screen != nullptr) {
        // The first start: centred on the primary screen at a comfortable size.
        const QRect available = screen->availableGeometry();
        QRect first(QPoint(), (available.size() * kFirstStartShare).expandedTo(minimumSize()));
        first.moveCenter(available.center());
        placeFrameOnScreen(*this, first);
    } else {
        // The stored bounds are the client area's; a size the screen cannot hold,
        // as when the scale grew since, is cut to it, so the window stays reachable.
        placeFrameOnScreen(*this,
                           twipsRect(*this, bounds.left, bounds.top, bounds.width, bounds.height));
    }
    if (m_splitter == 0) {
        // Wide enough for the sheets of the sample workbook.
        const int wanted = m_lstExcelSheet->fontMetrics().horizontalAdvance(kFirstStartSheet) +
                           2 * m_lstExcelSheet->frameWidth() +
                           style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                           4 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin);
        m_splitter = pixelsToTwipsX(*this, wanted);
    }
    setWindowState(m_windowState.maximized() ? Qt::WindowMaximized : Qt::WindowNoState);

    const bool topMost = m_windowState.topMost();
    setTopMost(*m_formatEditor, topMost);
    setTopMost(*this, topMost);

    m_lists->setDefPath(m_windowState.defPath());
    m_lists->restoreRecentFiles(m_windowState.recentFiles());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (hasUnregisteredEdits() &&
        m_interaction.showMessage(QStringLiteral("登録されていない変更があります。終了しますか？"),
                                  MessageIcon::Question, MessageButtons::YesNo,
                                  Answer::No) != Answer::Yes) {
        event->ignore();
        return;
    }
    saveWindowState();
    m_formatEditor->hide();
    event->accept();
}

bool MainWindow::closeForTermination()
{
    if (!close()) {
        return false;
    }
    if (m_runHost != nullptr) {
        m_runHost->cancel();
    }
    return true;
}

void MainWindow::saveWindowState()
{
    m_windowState.setWindowState(isMinimized() ? 1 : isMaximized() ? 2 : 0);
    // The normal bounds of the client area, whatever the state, as the next start
    // places them: a frame's and a client's position mixed would creep by the
    // frame's height at every start.
    const bool normalState = !isMinimized() && !isMaximized();
    const QRect normal = normalState ? geometry() : normalGeometry();
    m_windowState.setBounds({qRound(pixelsToTwipsX(*this, normal.left())),
                             qRound(pixelsToTwipsY(*this, normal.top())),
                             qRound(pixelsToTwipsX(*this, normal.width())),
                             qRound(pixelsToTwipsY(*this, normal.height()))});
    m_windowState.setSplitter(m_splitter);
    m_windowState.setTopMost(isTopMost(this));
    m_windowState.setDefPath(m_lists->defPath());
    m_windowState.setRecentFiles(m_lists->recentFiles());
    try {
        m_windowState.save();
    } catch (const Error& e) {
        // The program still ends; the next start finds the state as it was.
        m_interaction.showMessage(e.description(), MessageIcon::Stop, MessageButtons::Ok,
                                  Answer::Ok);
    }
}

// ---- Workbook lists ----

void MainWindow::openFiles(const QStringList& paths)
{
    // Names that find no file are said together: a start with many of them would
    // otherwise bring one message after another.
    QStringList found;
    QStringList missing;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        (info.exists() ? found : missing).append(info.exists() ? path : info.absoluteFilePath());
    }
    m_lists->openFiles(found);
    if (!missing.isEmpty()) {
        m_interaction.showMessage(missingFilesMessage(missing), MessageIcon::Exclamation,
                                  MessageButtons::Ok, Answer::Ok);
    }
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() &&
        std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); })) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        paths.append(url.toLocalFile());
    }
    event->acceptProposedAction();
    // Opening may ask; not from inside the drop.
    QMetaObject::invokeMethod(
        this, [this, paths] { openFiles(paths); }, Qt::QueuedConnection);
}

QString MainWindow::workbookText() const
{
    return m_cmbExcelFile->currentText();
}

bool MainWindow::hasWorkbookEntries() const
{
    return m_cmbExcelFile->count() > 0;
}

void MainWindow::setWorkbookEntries(const QStringList& names)
{
    m_cmbExcelFile->clear();
    m_cmbExcelFile->addItems(names);
    m_cmbExcelFile->setCurrentIndex(-1);
}

void MainWindow::chooseWorkbookEntry(qsizetype index)
{
    m_cmbExcelFile->setCurrentIndex(static_cast<int>(index));
}

void MainWindow::setSheetEntries(const QStringList& entries)
{
    m_lstExcelSheet->clear();
    m_lstExcelSheet->addItems(entries);
    showSelectionCount();
}

QString MainWindow::tableNameReference() const
{
    return m_formatEditor->fieldText(FormatField::TableName);
}

void MainWindow::showRecentFiles(const QStringList& paths)
{
    while (m_recentEntries.size() < paths.size()) {
        auto* entry = new QAction(this);
        entry->setObjectName(QStringLiteral("mnuFile_Recent%1").arg(m_recentEntries.size() + 1));
        m_mnuFile->insertAction(m_mnuFileLine3, entry);
        connect(entry, &QAction::triggered, this,
                [this, entry] { m_lists->openRecent(entry->data().toString()); });
        m_recentEntries.append(entry);
    }
    for (qsizetype i = 0; i < m_recentEntries.size(); ++i) {
        m_recentEntries[i]->setData(paths.value(i));
        m_recentEntries[i]->setText(menuText(paths.value(i)));
        m_recentEntries[i]->setVisible(i < paths.size());
    }
    m_mnuFileLine3->setVisible(!paths.isEmpty());
}

// ---- File settings ----

FileSetting MainWindow::fileSettingFromControls() const
{
    FileSetting setting;
    setting.Name = m_nameBox->nameText();
    for (const auto& [field, control] : m_fieldControls) {
        setFileFieldValue(setting, field, controlValue(control));
    }
    return setting;
}

bool MainWindow::hasUnregisteredEdits() const
{
    return m_fileSettings->hasUnregisteredEdits() || m_formatEditor->hasUnregisteredEdits() ||
           m_changeWindow->hasUnregisteredEdits() || m_connectionWindow->hasUnregisteredEdits();
}

void MainWindow::showModifiedMark()
{
    m_lblModified->setText(m_fileSettings->hasUnregisteredEdits() ? QStringLiteral("*")
                                                                  : QString());
    if (m_preview != nullptr) {
        m_preview->scheduleUpdate();
    }
}

std::function<SheetPreview(const std::atomic_bool&)> MainWindow::previewOfCurrentSheet() const
{
    const int row = m_lstExcelSheet->currentRow();
    if (row < 0 || row >= std::numeric_limits<qint16>::max()) {
        return {};
    }
    std::optional<Error> formatError;
    const RunInputs inputs = runInputs(formatError);
    if (formatError) {
        return [message = formatError->description()](const std::atomic_bool&) {
            SheetPreview preview;
            preview.error = message;
            return preview;
        };
    }
    // Taken here, on the window's thread: the worker reads these copies only.
    const std::shared_ptr<WorkbookSource> workbooks = workbooksForWorker();
    return [workbooks, inputs,
            sheet = static_cast<qint16>(row + 1)](const std::atomic_bool& cancelled) {
        return previewSheet(*workbooks, inputs.workbookName, sheet, inputs.format, inputs.file,
                            cancelled);
    };
}

std::shared_ptr<WorkbookSource> MainWindow::workbooksForWorker() const
{
    // The workbooks as last read; changed files are read again off this thread by
    // the commands that need them as saved.
    return m_source.snapshot();
}

FileSetting MainWindow::recordFromControls() const
{
    return fileSettingFromControls();
}

void MainWindow::showRecord(const FileSetting& setting)
{
    m_nameBox->setNameText(setting.Name);
    for (const auto& [field, control] : m_fieldControls) {
        showValue(control, fileFieldValue(setting, field));
    }
}

// ---- Commands ----

void MainWindow::onMnuFileMakeClicked()
{
    if (m_interaction.showMessage(QStringLiteral("作成しますか？"), MessageIcon::Question,
                                  MessageButtons::YesNo, Answer::Yes) == Answer::No) {
        return;
    }
    if (!m_lists->readChanged()) {
        return;
    }
    std::optional<Error> formatError;
    const RunInputs inputs = runInputs(formatError);
    try {
        WindowRunHost host(m_interaction, *this, *m_formatEditor);
        const QScopedValueRollback running(m_runHost, &host);
        FileOutputTarget output;
        GenerationRun run(m_source, host, output);
        formatError ? run.stopAtStart(inputs, *formatError) : run.makeFiles(inputs);
    } catch (const std::exception& error) {
        // The run reports its own errors; this is what escaped it, such as
        // running out of memory. The windows must be usable again.
        setEnabled(true);
        m_formatEditor->setEnabled(true);
        m_interaction.showMessage(QStringLiteral("ファイル作成を続けられません: %1")
                                      .arg(QString::fromLocal8Bit(error.what())),
                                  MessageIcon::Stop, MessageButtons::Ok, Answer::Ok);
    }
}

RunInputs MainWindow::runInputs(std::optional<Error>& formatError) const
{
    RunInputs inputs;
    try {
        inputs.format = m_formatEditor->format();
    } catch (const Error& error) {
        formatError = error;
    }
    inputs.file = fileSettingFromControls();
    inputs.workbookName = m_cmbExcelFile->currentText();
    for (int i = 0; i < m_lstExcelSheet->count(); ++i) {
        inputs.sheetSelected.append(m_lstExcelSheet->item(i)->isSelected());
    }
    return inputs;
}

void MainWindow::onMnuViewCheckClicked()
{
    if (!m_lists->readChanged()) {
        return;
    }
    std::optional<Error> formatError;
    const RunInputs inputs = runInputs(formatError);
    if (!inputs.sheetSelected.contains(true)) {
        m_interaction.showMessage(QStringLiteral("チェックするシートを選択してください。"),
                                  MessageIcon::Exclamation, MessageButtons::Ok, Answer::Ok);
        return;
    }
    if (m_checkWindow == nullptr) {
        m_checkWindow = new SheetCheckWindow(this);
        connect(m_checkWindow, &SheetCheckWindow::sheetWanted, this, &MainWindow::showSheet);
    }
    const std::shared_ptr<WorkbookSource> workbooks = workbooksForWorker();
    m_checkWindow->startCheck([workbooks, inputs, formatError](const std::atomic_bool& cancelled) {
        if (formatError) {
            return QList<SheetFinding>{{QString(), QString(), formatError->description()}};
        }
        return checkSheets(*workbooks, inputs, cancelled);
    });
    setTopMost(*m_checkWindow, isTopMost(this));
    m_checkWindow->show();
    m_checkWindow->raise();
}

void MainWindow::showSheet(const QString& sheet)
{
    // The entries read "sheet (table)": the sheet of that name comes under the
    // cursor, so the preview shows it.
    for (int i = 0; i < m_lstExcelSheet->count(); ++i) {
        if (m_lstExcelSheet->item(i)->text().startsWith(sheet + QStringLiteral(" ("))) {
            m_lstExcelSheet->setCurrentRow(i, QItemSelectionModel::NoUpdate);
            m_lstExcelSheet->scrollToItem(m_lstExcelSheet->item(i));
            return;
        }
    }
}

void MainWindow::onMnuFileCompareClicked()
{
    if (m_cmbExcelFile->currentText().isEmpty()) {
        m_interaction.showMessage(kNoWorkbookToCompare, MessageIcon::Exclamation,
                                  MessageButtons::Ok, Answer::Ok);
        return;
    }
    if (m_compareWindow == nullptr) {
        // The newer side is the workbook chosen here, through the format in force,
        // as they stand when the comparison starts.
        m_compareWindow = new CompareWindow(
            m_interaction,
            [this]() -> std::optional<NewerDefinitions> {
                if (!m_lists->readChanged()) {
                    return {};
                }
                std::optional<Error> formatError;
                const RunInputs inputs = runInputs(formatError);
                if (formatError) {
                    m_interaction.showMessage(formatError->description(), MessageIcon::Stop,
                                              MessageButtons::Ok, Answer::Ok);
                    return {};
                }
                if (inputs.workbookName.isEmpty()) {
                    m_interaction.showMessage(kNoWorkbookToCompare, MessageIcon::Exclamation,
                                              MessageButtons::Ok, Answer::Ok);
                    return {};
                }
                return NewerDefinitions{workbooksForWorker(), inputs.workbookName, inputs.format};
            },
            this);
        connect(m_compareWindow, &CompareWindow::sheetWanted, this, &MainWindow::showSheet);
    }
    m_compareWindow->setFormats(m_formats);
    m_compareWindow->setChangeSettings(m_changes, m_files);
    m_compareWindow->setConnections(m_connections);
    showToolWindow(*m_compareWindow);
}

void MainWindow::onMnuFileFromDatabaseClicked()
{
    if (m_databaseWorkbookWindow == nullptr) {
        m_databaseWorkbookWindow = new DatabaseWorkbookWindow(m_interaction, this);
        // The workbook written is opened here, ready for a run.
        connect(m_databaseWorkbookWindow, &DatabaseWorkbookWindow::workbookWritten, this,
                [this](const QString& path) { openFiles({path}); });
    }
    QString formatName;
    if (const auto position = m_windowState.chosenPosition(SettingKind::Format, m_formats.size())) {
        formatName = m_formats.at(*position).Name;
    }
    m_databaseWorkbookWindow->setSettings(m_connections, m_formats, formatName);
    m_databaseWorkbookWindow->setInputs(m_source.openPaths());
    showToolWindow(*m_databaseWorkbookWindow);
}

void MainWindow::onMnuViewAboutToShow()
{
    m_mnuViewTopMost->setChecked(isTopMost(this));
}

void MainWindow::onMnuViewTopMostClicked()
{
    // The item has already toggled its mark: the new mark is the wanted state.
    const bool on = m_mnuViewTopMost->isChecked();
    setTopMost(*m_formatEditor, on);
    setTopMost(*this, on);
}

void MainWindow::onMnuViewFormatClicked()
{
    if (!m_formatEditor->isVisible()) {
        // Beside this window, its frame like this window's until it has its own.
        const QRect frame = frameGeometry();
        const QSize size = m_formatEditor->size().grownBy(frameMargins(*m_formatEditor, this));
        placeFrameOnScreen(*m_formatEditor, QRect(QPoint(frame.right() + 1, frame.top()), size),
                           this);
    }
    m_formatEditor->show();
    m_formatEditor->raise();
    m_formatEditor->activateWindow();
}

void MainWindow::onMnuHelpHelpClicked()
{
    if (QFileInfo(m_manualPath).isFile()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_manualPath));
    }
}

void MainWindow::onMnuHelpVerClicked()
{
    AboutDialog about(windowIcon(), windowTitle(), this);
    setTopMost(about, isTopMost(this));
    about.exec();
}

void MainWindow::onCmdOutputDirClicked()
{
    const QString chosen =
        m_interaction.chooseDirectory(QStringLiteral("フォルダ選択"), m_txtOutputDir->text());
    if (!chosen.isEmpty()) {
        m_txtOutputDir->setText(chosen);
    }
}

void MainWindow::showSelectionCount()
{
    setStatusText(QStringLiteral("%1 個を選択").arg(m_lstExcelSheet->selectedItems().size()));
}

void MainWindow::setStatusText(const QString& text)
{
    m_statusText->setText(text);
}

} // namespace tavrune

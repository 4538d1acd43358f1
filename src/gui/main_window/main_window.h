#pragma once

#include "commands/named_settings.h"
#include "commands/workbook_lists.h"
#include "common/error.h"
#include "generation/generation_run.h"
#include "generation/sheet_preview.h"
#include "gui/name_combo_box.h"
#include "settings/change_settings.h"
#include "settings/setting_fields.h"
#include "settings/settings_file.h"
#include "settings/settings_paths.h"
#include "settings/settings_records.h"
#include "settings/window_state.h"

#include <QMainWindow>
#include <QSet>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace tavrune {

class ChangeSettingsWindow;
class ConnectionSettingsWindow;
class PasswordKeyring;
class DatabaseWorkbookWindow;
class CompareWindow;
class FileWorkbookSource;
class FormatEditorWindow;
class PreviewDock;
class SheetCheckWindow;
class SplitterHandle;
class UserInteraction;
class WindowReadingHost;
class WindowRunHost;
class WorkbookSource;

// The main window "Tavrune for Excel": the workbook and sheet lists on the left,
// the file setting (templates and output options) on the right, the menus, and
// the program's start-up and shut-down.
class MainWindow : public QMainWindow, private WorkbookListView, private SettingView<FileSetting>
{
    Q_OBJECT

public:
    // Every message, question and file dialog goes through interaction; the
    // workbooks come from source, whose files the window reads off its thread.
    // manualPath is the help file F1 opens.
    MainWindow(UserInteraction& interaction, FileWorkbookSource& source, SettingsPaths paths,
               QString manualPath, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Restores the window state, shows the window, loads the settings and
    // chooses the settings used last. Closing the window saves its state.
    void startUp();

    FormatEditorWindow& formatEditor() const { return *m_formatEditor; }
    // The splitter's position, in twips.
    double splitterPosition() const { return m_splitter; }
    int currentPage() const { return m_currentPage; }
    int currentText() const { return m_currentText; }
    const QStringList& recentFiles() const { return m_lists->recentFiles(); }
    const QString& defPath() const { return m_lists->defPath(); }

    // Opens workbook files named outside the open dialog (command line, another
    // start of the program, a drop), one after the other, and comes forward. Files
    // named while others are read are opened after them.
    void openFiles(const QStringList& paths);

    // The file setting as the right pane shows it; templates with CR LF breaks.
    FileSetting fileSettingFromControls() const;
    bool hasUnregisteredEdits() const;

    // Closes the window as a session that ends closes it; false when the close was
    // refused. A run in progress then stops before its next sheet, as its cancel
    // button would stop it, dropping the file it was writing, instead of writing
    // on after the window has gone.
    bool closeForTermination();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createMenus();
    void createLeftPane(QWidget* central);
    void createRightPane(QWidget* central);
    void createTemplatePage();
    void createOutputPage();
    void watchForEdits();
    void createChangeSettingsWindow();
    void createConnectionSettingsWindow();
    // Loads the change settings and the connections beside the settings file; one
    // that cannot be read is said and never saved over.
    void loadSettingsBeside();
    // Saves a file of settings kept beside the settings file through save, unless it
    // could not be read (unreadable says why): says why it did not save.
    bool saveBeside(const QString& unreadable, const std::function<void()>& save);
    // Shows one of the program's own windows over this one.
    void showToolWindow(QWidget& window);

    // Layout, in twips, whenever the window, the splitter or the page changes.
    void formResize();
    void sizeControls(double splitter);
    void cntMainResize();
    void cntSetResize();
    void placeTwips(QWidget* widget, double left, double top, double width, double height);
    double innerWidth() const;
    double innerHeight() const;

    void restoreWindowState();
    void saveWindowState();
    void showModifiedMark();
    // The preview of the sheet under the cursor as the fields stand, to be made
    // on another thread; none without a sheet.
    std::function<SheetPreview(const std::atomic_bool&)> previewOfCurrentSheet() const;
    // The workbooks for work on another thread, as a command attaching now sees
    // them; the copy never reads a file.
    std::shared_ptr<WorkbookSource> workbooksForWorker() const;

    void onMnuFileMakeClicked();
    void onMnuFileCompareClicked();
    void onMnuFileFromDatabaseClicked();
    void onMnuViewAboutToShow();
    void onMnuViewTopMostClicked();
    void onMnuViewFormatClicked();
    void onMnuViewCheckClicked();
    // Brings the sheet of that name under the cursor of the sheet list.
    void showSheet(const QString& sheet);
    // The inputs of a run, a check or a preview as the windows show them. A
    // format the editor cannot give (a start row beyond 32 bits) leaves formatError
    // set, which each of them reports as it reports its own errors when it starts.
    RunInputs runInputs(std::optional<Error>& formatError) const;
    void onMnuHelpHelpClicked();
    void onMnuHelpVerClicked();
    void onCmdSetClicked(int index);
    void onCmdTextClicked(int index);
    void onCmdOutputDirClicked();
    void onSplitterPressed();
    void onSplitterDragged(int x);
    void onSplitterReleased();
    void setStatusText(const QString& text);

    // The lists' widgets.
    QString workbookText() const override;
    bool hasWorkbookEntries() const override;
    void setWorkbookEntries(const QStringList& names) override;
    void chooseWorkbookEntry(qsizetype index) override;
    void setSheetEntries(const QStringList& entries) override;
    QString tableNameReference() const override;
    void showSelectionCount() override;
    void showRecentFiles(const QStringList& paths) override;

    // The controls of the named file settings.
    FileSetting recordFromControls() const override;
    void showRecord(const FileSetting& record) override;

    UserInteraction& m_interaction;
    FileWorkbookSource& m_source;
    SettingsPaths m_paths;
    QString m_manualPath;
    WindowState m_windowState;
    SettingsFile m_settingsFile;
    FormatSettings m_formats;
    FileSettings m_files;
    std::unique_ptr<NamedSettings<FileSetting>> m_fileSettings;
    ChangeSettings m_changes;
    QString m_changesUnreadable; // why the change settings file could not be read
    ChangeSettingsWindow* m_changeWindow = nullptr;
    ConnectionSettings m_connections;
    QString m_connectionsUnreadable; // why the connections file could not be read
    ConnectionSettingsWindow* m_connectionWindow = nullptr;
    PasswordKeyring* m_keyring = nullptr;
    QSet<QString> m_keptPasswords; // the keyring's keys of the connections saved last
    FormatEditorWindow* m_formatEditor = nullptr;
    PreviewDock* m_preview = nullptr;
    SheetCheckWindow* m_checkWindow = nullptr;
    CompareWindow* m_compareWindow = nullptr;
    DatabaseWorkbookWindow* m_databaseWorkbookWindow = nullptr;
    std::unique_ptr<WindowReadingHost> m_reading;
    std::unique_ptr<WorkbookLists> m_lists;
    WindowRunHost* m_runHost = nullptr; // while a run works

    double m_splitter = 0; // twips
    int m_currentPage = 0;
    int m_currentText = 0;

    QWidget* m_central = nullptr;
    QComboBox* m_cmbExcelFile = nullptr;
    QListWidget* m_lstExcelSheet = nullptr;
    SplitterHandle* m_imgSplitter = nullptr;
    QWidget* m_picSplitter = nullptr;
    std::unique_ptr<NameComboBox> m_nameBox;
    QLabel* m_lblModified = nullptr;
    QPushButton* m_cmdAdd = nullptr;
    QPushButton* m_cmdDelete = nullptr;
    QWidget* m_cntMain = nullptr;
    std::array<QPushButton*, 2> m_cmdSet{};
    std::array<QWidget*, 2> m_cntSet{};
    std::array<QPushButton*, 3> m_cmdText{};
    std::array<QPlainTextEdit*, 3> m_txtText{};
    QWidget* m_fraOutputFile = nullptr;
    std::array<QRadioButton*, 2> m_optOutputFile{};
    QLineEdit* m_txtOutputFile = nullptr;
    QWidget* m_fraOutputFileStr = nullptr;
    std::array<QCheckBox*, 2> m_chkOutputFileStr{};
    std::array<QLineEdit*, 2> m_txtOutputFileStr{};
    QWidget* m_fraOutputDir = nullptr;
    QLineEdit* m_txtOutputDir = nullptr;
    QPushButton* m_cmdOutputDir = nullptr;
    QComboBox* m_cmbEncoding = nullptr;
    QComboBox* m_cmbLineEnd = nullptr;
    // The control of each field of the file setting, in the order of the fields.
    QList<std::pair<FileField, QWidget*>> m_fieldControls;
    QLabel* m_statusText = nullptr;

    QMenu* m_mnuFile = nullptr;
    QMenu* m_mnuView = nullptr;
    QAction* m_mnuFileLine3 = nullptr;
    QAction* m_mnuFileEnd = nullptr;
    QList<QAction*> m_recentEntries; // mnuFile_Recent1 first
    QAction* m_mnuViewTopMost = nullptr;
};

} // namespace tavrune

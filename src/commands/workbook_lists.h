#pragma once

#include "commands/recent_file_list.h"
#include "workbook/reading_host.h"

#include <QString>
#include <QStringList>

namespace tavrune {

class FileWorkbookSource;
class ReadingHost;
class UserInteraction;

// The widgets the workbook lists fill: the workbook box, the sheet list, the
// status text and the recent entries of the File menu.
class WorkbookListView
{
public:
    virtual ~WorkbookListView() = default;

    // The text of the workbook box and whether it has entries.
    virtual QString workbookText() const = 0;
    virtual bool hasWorkbookEntries() const = 0;
    // Replaces the workbook box's entries; none is chosen.
    virtual void setWorkbookEntries(const QStringList& names) = 0;
    // Chooses an entry of the workbook box (the lists then fill the sheet list).
    virtual void chooseWorkbookEntry(qsizetype index) = 0;
    // Replaces the sheet list's entries; none is selected.
    virtual void setSheetEntries(const QStringList& entries) = 0;
    // The reference in the format editor's table-name box, as it stands.
    virtual QString tableNameReference() const = 0;
    // Shows the number of selected sheets.
    virtual void showSelectionCount() = 0;
    virtual void showRecentFiles(const QStringList& paths) = 0;
};

// The open command, the recent files and the workbook and sheet lists of the main
// window. The open workbooks are those the source holds, in the order they were
// opened; the lists are rebuilt from it at every refresh. Files are read through
// the reading host, which the user can cancel; one file is read at a time.
class WorkbookLists
{
public:
    WorkbookLists(FileWorkbookSource& source, WorkbookListView& view, UserInteraction& interaction,
                  ReadingHost& reading);

    // The filters of the open dialog, the first preselected.
    static QStringList openFilters();

    // Reads the open workbooks whose files changed again, then rebuilds the
    // workbook list, keeping the chosen workbook chosen. Every step that fails is
    // skipped; nothing is shown. A cancelled reading leaves the lists as they were.
    void refresh();
    // Fills the sheet list for the workbook chosen in the workbook box, after
    // reading the changed files again.
    void workbookChosen();
    // Reads the open workbooks whose files changed again, for a command that
    // needs them as saved: all of them, or none when the user cancelled (false).
    bool readChanged();

    // Opens the file named by a recent entry, or else one chosen in the open
    // dialog. Failures are shown; they leave the remembered path, the recent list
    // and the pending name as they were.
    void openCommand();
    void openRecent(const QString& path);
    // Opens files named outside the dialog (command line, drop, another start of
    // the program) one after the other, as if each had been chosen there. Files
    // named while another is read wait their turn; a cancelled reading stops
    // every file still waiting.
    void openFiles(const QStringList& paths);
    // Takes the chosen workbook out of the open ones and refreshes, choosing the
    // first workbook left.
    void closeChosenWorkbook();

    const QString& defPath() const { return m_defPath; }
    void setDefPath(const QString& path) { m_defPath = path; }
    const QStringList& recentFiles() const { return m_recent.paths(); }
    void restoreRecentFiles(const QStringList& stored);
    const QString& pendingFile() const { return m_pendingFile; }

private:
    void rebuild();
    void fillSheets();
    void openWaiting();
    // False only when the user cancelled the reading: then nothing changed.
    bool open(const QString& path);
    bool read(const WorkbookLoads& loads);
    QString chooseInDialog();
    void stop(const QString& message);

    FileWorkbookSource& m_source;
    WorkbookListView& m_view;
    UserInteraction& m_interaction;
    ReadingHost& m_reading;
    QString m_defPath;
    QString m_pendingFile;
    RecentFileList m_recent;
    bool m_busy = false;   // a file is being read
    QStringList m_waiting; // files to open, in order
};

} // namespace tavrune

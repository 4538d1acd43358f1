#pragma once

#include "workbook/recent_file_list.h"

#include <QString>
#include <QStringList>

namespace tavrune {

class UserInteraction;
class WorkbookSource;

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
// opened; the lists are rebuilt from it at every refresh.
class WorkbookLists
{
public:
    WorkbookLists(WorkbookSource& source, WorkbookListView& view, UserInteraction& interaction);

    // The filters of the open dialog, the first preselected.
    static QStringList openFilters();

    // Rebuilds the workbook list, keeping the chosen workbook (or the one just
    // opened) chosen. Every step that fails is skipped; nothing is shown.
    void refresh();
    // Fills the sheet list for the workbook chosen in the workbook box.
    void workbookChosen();

    // Opens the file named by a recent entry, or else one chosen in the open
    // dialog. Failures are shown; they leave the remembered path, the recent list
    // and the pending name as they were.
    void openCommand();
    void openRecent(const QString& path);
    // Opens a file named outside the dialog (command line, drop) as if it had been
    // chosen there; false when it could not be opened (the reason was shown).
    bool openFile(const QString& path);
    // Takes the chosen workbook out of the open ones and refreshes, choosing the
    // first workbook left.
    void closeChosenWorkbook();

    const QString& defPath() const { return m_defPath; }
    void setDefPath(const QString& path) { m_defPath = path; }
    const QStringList& recentFiles() const { return m_recent.paths(); }
    void restoreRecentFiles(const QStringList& stored);
    const QString& pendingFile() const { return m_pendingFile; }

private:
    bool open(const QString& path);
    QString chooseInDialog();
    void stop(const QString& message);

    WorkbookSource& m_source;
    WorkbookListView& m_view;
    UserInteraction& m_interaction;
    QString m_defPath;
    QString m_pendingFile;
    RecentFileList m_recent;
};

} // namespace tavrune

#include "commands/workbook_lists.h"

#include "common/error.h"
#include "common/user_interaction.h"
#include "workbook/file_workbook_source.h"

#include <QFileInfo>
#include <QScopedValueRollback>
#include <new>
#include <optional>

namespace tavrune {

namespace {

// Runs one step of a list handler; a step that fails is skipped.
template <typename Step> void skipOnFailure(Step&& step)
{
    try {
        step();
    } catch (const Error&) {
    } catch (const std::bad_alloc&) {
    }
}

} // namespace

WorkbookLists::WorkbookLists(FileWorkbookSource& source, WorkbookListView& view,
                             UserInteraction& interaction, ReadingHost& reading)
    : m_source(source), m_view(view), m_interaction(interaction), m_reading(reading)
{
}

QStringList WorkbookLists::openFilters()
{
    return {QStringLiteral("ﾜｰｸﾌﾞｯｸ (*.xlsx *.xlsm *.xls *.ods)"),
            QStringLiteral("Excel ﾌｧｲﾙ (*.xlsx *.xlsm *.xls)"),
            QStringLiteral("OpenDocument ｽﾌﾟﾚｯﾄﾞｼｰﾄ (*.ods)"), QStringLiteral("すべてのﾌｧｲﾙ (*)")};
}

void WorkbookLists::refresh()
{
    if (readChanged()) {
        rebuild();
    }
}

bool WorkbookLists::readChanged()
{
    const WorkbookLoads loads = m_source.loadsOfChanged();
    bool done = false;
    {
        const QScopedValueRollback<bool> busy(m_busy, true);
        done = m_reading.read(loads);
    }
    if (done) {
        for (const std::shared_ptr<WorkbookLoad>& load : loads) {
            load->install();
        }
    }
    openWaiting();
    return done;
}

void WorkbookLists::rebuild()
{
    std::unique_ptr<WorkbookConnection> connection;
    skipOnFailure([&] { connection = m_source.attach(); });
    std::optional<QString> keep;
    if (!m_pendingFile.isEmpty()) {
        keep = m_pendingFile;
        m_pendingFile.clear();
    } else if (m_view.hasWorkbookEntries()) {
        keep = m_view.workbookText();
    }
    m_view.setSheetEntries({});
    QStringList names;
    skipOnFailure([&] {
        if (!connection) {
            return;
        }
        const qint16 count = connection->workbookCount();
        for (qint16 i = 1; i <= count; ++i) {
            names.append(connection->workbookName(i));
        }
    });
    m_view.setWorkbookEntries(names);
    connection.reset();
    if (!names.isEmpty()) {
        const qsizetype index = keep ? names.indexOf(*keep) : 0;
        if (index >= 0) {
            m_view.chooseWorkbookEntry(index);
            fillSheets();
        }
    }
    m_view.showSelectionCount();
}

void WorkbookLists::workbookChosen()
{
    // A cancelled reading leaves the content read before; the sheet list must
    // become the chosen workbook's all the same.
    readChanged();
    fillSheets();
}

void WorkbookLists::fillSheets()
{
    std::unique_ptr<WorkbookConnection> connection;
    skipOnFailure([&] { connection = m_source.attach(); });
    if (!connection) {
        m_view.setSheetEntries({});
        return;
    }
    // A workbook that cannot be made active must not show the sheets of the one
    // active before: the run would take them for the chosen workbook's.
    bool active = false;
    skipOnFailure([&] {
        connection->activateWorkbook(m_view.workbookText());
        active = true;
    });
    QStringList entries;
    skipOnFailure([&] {
        if (!active) {
            return;
        }
        const QString reference = m_view.tableNameReference();
        for (const WorksheetHandle& sheet : connection->activeWorkbookSheets()) {
            QString tableName;
            skipOnFailure([&] { tableName = connection->cellValue(sheet, reference); });
            entries.append(connection->sheetName(sheet) + QStringLiteral(" (") + tableName + u')');
        }
    });
    m_view.setSheetEntries(entries);
}

void WorkbookLists::openCommand()
{
    QString path;
    if (!m_pendingFile.isEmpty()) {
        path = m_pendingFile;
        m_pendingFile.clear();
        const QFileInfo info(path);
        if (!info.exists() || info.isDir()) {
            m_interaction.showMessage(QStringLiteral("ファイルが見つかりません。"),
                                      MessageIcon::Exclamation, MessageButtons::Ok, Answer::Ok);
            return;
        }
    } else {
        path = chooseInDialog();
        if (path.isEmpty()) {
            return;
        }
    }
    openFiles({path});
}

void WorkbookLists::openRecent(const QString& path)
{
    m_pendingFile = path;
    openCommand();
}

void WorkbookLists::openFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        m_waiting.append(QFileInfo(path).absoluteFilePath());
    }
    // Files named while the lists read or open (another start of the program hands
    // its files over) are taken up by the command under way, after its own.
    if (!m_busy) {
        openWaiting();
    }
}

void WorkbookLists::openWaiting()
{
    const QScopedValueRollback<bool> busy(m_busy, true);
    while (!m_waiting.isEmpty()) {
        if (!open(m_waiting.takeFirst())) {
            m_waiting.clear();
        }
    }
}

bool WorkbookLists::open(const QString& path)
{
    try {
        const std::shared_ptr<WorkbookLoad> load = m_source.loadToOpen(path);
        if (!m_reading.read({load})) {
            return false;
        }
        load->install();
    } catch (const Error& error) {
        stop(error.description());
        return true;
    } catch (const std::bad_alloc&) {
        stop(QStringLiteral("メモリが足りないため \"%1\" を開けません。").arg(path));
        return true;
    }
    m_defPath = path;
    m_recent.add(path);
    m_view.showRecentFiles(m_recent.paths());
    m_pendingFile = path.mid(path.lastIndexOf(u'/') + 1);
    rebuild();
    return true;
}

QString WorkbookLists::chooseInDialog()
{
    // An existing file is preselected in its directory; a directory, or a path
    // that cannot be looked at, is where the dialog starts.
    const QFileInfo info(m_defPath);
    if (!m_defPath.isEmpty() && info.isFile()) {
        return m_interaction.chooseOpenFile(openFilters(), info.absolutePath(),
                                            info.absoluteFilePath());
    }
    return m_interaction.chooseOpenFile(openFilters(), m_defPath, QString());
}

void WorkbookLists::closeChosenWorkbook()
{
    const QString name = m_view.workbookText();
    if (name.isEmpty()) {
        return;
    }
    skipOnFailure([&] { m_source.attach()->closeWorkbook(name); });
    // The closed workbook goes even when reading the others again is cancelled.
    readChanged();
    // The closed name is no longer there to keep: the first workbook left is chosen.
    m_view.setWorkbookEntries({});
    rebuild();
}

void WorkbookLists::restoreRecentFiles(const QStringList& stored)
{
    m_recent.restore(stored);
    m_view.showRecentFiles(m_recent.paths());
}

void WorkbookLists::stop(const QString& message)
{
    m_interaction.showMessage(message, MessageIcon::Stop, MessageButtons::Ok, Answer::Ok);
}

} // namespace tavrune

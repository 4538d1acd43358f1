#pragma once

#include "workbook/workbook_set_source.h"

#include <QHash>
#include <QStringList>
#include <functional>

namespace tavrune {

// A workbook source held entirely in memory, for tests: workbooks are opened
// directly or made available as files under a path, and every cell read is
// recorded in order.
class MemoryWorkbookSource : public WorkbookSetSource
{
public:
    // Opens a workbook under name (its path is the name itself) and activates it.
    void addOpenWorkbook(const QString& name, WorkbookData data);
    // Makes a workbook available to openWorkbook under a full path.
    void addFile(const QString& path, WorkbookData data);

    // Every cell read so far, as "sheet!address" with the address as passed.
    const QStringList& readLog() const { return m_readLog; }
    void clearReadLog() { m_readLog.clear(); }
    // Off: reads go unrecorded, and a run may read on several threads.
    void setLogReads(bool on) { m_logReads = on; }
    int attachCount() const { return m_attachCount; }
    // Called at every cell read, on the thread reading, by this source and by the
    // snapshots taken of it (which hold no files and log their own reads).
    void setReadHook(std::function<void()> hook) { m_readHook = std::move(hook); }

protected:
    std::unique_ptr<WorkbookSetSource> emptySnapshot() const override;
    void beforeAttach() override;
    void openWorkbook(const QString& path) override;
    void cellRead(const WorksheetHandle& sheet, const QString& address) override;
    void cellReadAt(const WorksheetHandle& sheet, CellAddress address) override;
    bool observesCellReads() const override { return m_logReads; }

private:
    QHash<QString, std::shared_ptr<const WorkbookData>> m_files;
    QStringList m_readLog;
    std::function<void()> m_readHook;
    bool m_logReads = true;
    int m_attachCount = 0;
};

} // namespace tavrune

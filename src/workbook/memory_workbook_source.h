#pragma once

#include "common/error.h"
#include "workbook/workbook_set_source.h"

#include <QHash>
#include <QStringList>
#include <optional>

namespace tavrune {

// A workbook source held entirely in memory, for tests: workbooks are opened
// directly or made available as files under a path, attaching can be made to fail,
// and every cell read is recorded in order.
class MemoryWorkbookSource : public WorkbookSetSource
{
public:
    // Opens a workbook under name (its path is the name itself) and activates it.
    void addOpenWorkbook(const QString& name, WorkbookData data);
    // Makes a workbook available to OpenWorkbook under a full path.
    void addFile(const QString& path, WorkbookData data);
    // From now on Attach throws this error; nullopt attaches normally again.
    void setAttachError(std::optional<Error> error) { m_attachError = std::move(error); }
    void setVisible(bool visible) { m_visible = visible; }

    // Every cell read so far, as "sheet!address" with the address as passed.
    const QStringList& readLog() const { return m_readLog; }
    void clearReadLog() { m_readLog.clear(); }
    int attachCount() const { return m_attachCount; }
    int firstWindowStateCount() const { return m_firstWindowStateCount; }

protected:
    void beforeAttach() override;
    void openWorkbook(const QString& path) override;
    void cellRead(const WorksheetHandle& sheet, const QString& address) override;
    bool isVisible() const override { return m_visible; }
    void setFirstWindowState() override { ++m_firstWindowStateCount; }

private:
    QHash<QString, std::shared_ptr<const WorkbookData>> m_files;
    std::optional<Error> m_attachError;
    QStringList m_readLog;
    bool m_visible = true;
    int m_attachCount = 0;
    int m_firstWindowStateCount = 0;
};

} // namespace tavrune

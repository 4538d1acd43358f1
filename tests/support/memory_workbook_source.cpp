#include "support/memory_workbook_source.h"

#include "common/error.h"

#include <algorithm>

namespace tavrune {

void MemoryWorkbookSource::addOpenWorkbook(const QString& name, WorkbookData data)
{
    addOrReplace({name, name, std::make_shared<const WorkbookData>(std::move(data))});
}

void MemoryWorkbookSource::addFile(const QString& path, WorkbookData data)
{
    m_files.insert(path, std::make_shared<const WorkbookData>(std::move(data)));
}

std::unique_ptr<WorkbookSetSource> MemoryWorkbookSource::emptySnapshot() const
{
    auto copy = std::make_unique<MemoryWorkbookSource>();
    copy->m_readHook = m_readHook;
    copy->m_logReads = m_logReads;
    return copy;
}

void MemoryWorkbookSource::beforeAttach()
{
    ++m_attachCount;
}

void MemoryWorkbookSource::openWorkbook(const QString& path)
{
    const auto it = m_files.constFind(path);
    if (it == m_files.constEnd()) {
        throw Error(ErrorNumber::FileNotFound,
                    QStringLiteral("ファイル \"%1\" が見つかりません。").arg(path));
    }
    const QString name = path.mid(std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1);
    addOrReplace({name, path, it.value()});
}

void MemoryWorkbookSource::cellRead(const WorksheetHandle& sheet, const QString& address)
{
    if (m_readHook) {
        m_readHook();
    }
    if (!m_logReads) {
        return;
    }
    m_readLog.append(sheet.sheet().name() + u'!' + address);
}

void MemoryWorkbookSource::cellReadAt(const WorksheetHandle& sheet, CellAddress address)
{
    cellRead(sheet, formatCellAddress(address));
}

} // namespace tavrune

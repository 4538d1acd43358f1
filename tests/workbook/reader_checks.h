#pragma once

#include "workbook/workbook_data.h"

#include <QStringList>
#include <map>

namespace tavrune::test {

// The workbook at path as reader reads it, read once per test program.
template <typename Reader> const WorkbookData& readOnce(Reader reader, const QString& path)
{
    static std::map<QString, WorkbookData> read;
    auto it = read.find(path);
    if (it == read.end()) {
        it = read.emplace(path, reader(path)).first;
    }
    return it->second;
}

// Each cell down to lastRow as "sheet address kind style value", texts from the pool.
inline QStringList cellDump(const WorkbookData& workbook, quint32 lastRow = kMaxRow)
{
    QStringList cells;
    for (const SheetData& sheet : workbook.sheets()) {
        for (const Cell& cell : sheet.cells()) {
            if (cell.row <= lastRow) {
                const bool text = cell.kind == CellKind::Text || cell.kind == CellKind::Error;
                cells.append(QStringLiteral("%1 %2 %3 %4 %5")
                                 .arg(sheet.name(), formatCellAddress({cell.row, cell.column}))
                                 .arg(static_cast<int>(cell.kind))
                                 .arg(static_cast<int>(cell.style))
                                 .arg(text ? workbook.string(cell.text)
                                           : QString::number(cell.number, 'g', 17)));
            }
        }
    }
    return cells;
}

} // namespace tavrune::test

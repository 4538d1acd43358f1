#pragma once

#include "workbook/workbook_data.h"

#include <QString>

namespace tavrune {

// Reads a workbook file of any supported kind (.xlsx, .xlsm, .xls, .ods). The kind
// is told by the file's first bytes, not by its extension. Throws an error naming
// the file and the reason when it is missing, unreadable, of an unknown kind,
// encrypted or damaged.
WorkbookData readWorkbookFile(const QString& path);
// The same, where only rows down to lastRow are needed: .xlsx, .xlsm and .ods sheets
// are read only that far (.xls sheets whole).
WorkbookData readWorkbookFileUpToRow(const QString& path, quint32 lastRow);

} // namespace tavrune

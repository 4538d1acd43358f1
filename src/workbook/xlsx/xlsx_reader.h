#pragma once

#include "workbook/workbook_data.h"

#include <QString>

namespace tavrune {

// Reads .xlsx and .xlsm workbooks (zip packages of XML parts)
// into memory: the worksheets in the application's order with every cell that
// holds a value. Throws an error naming the file and the reason when the file
// cannot be read.
WorkbookData readXlsxWorkbook(const QString& path);
// The same, reading each worksheet only down to lastRow: enough for a list of
// the sheets with a cell of each, at a fraction of the cost.
WorkbookData readXlsxWorkbookUpToRow(const QString& path, quint32 lastRow);

} // namespace tavrune

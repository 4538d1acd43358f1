#pragma once

#include "workbook/workbook_data.h"

#include <QString>

namespace tavrune {

// Reads OpenDocument spreadsheets (.ods: a zip package with content.xml)
// into memory: the worksheets in the application's order with every cell that
// holds a value. Throws an error naming the file and the reason when the file
// cannot be read.
WorkbookData readOdsWorkbook(const QString& path);
// The same, keeping each sheet only down to lastRow: the rows below are still
// parsed, as every sheet is in one part, but neither read nor checked.
WorkbookData readOdsWorkbookUpToRow(const QString& path, quint32 lastRow);

} // namespace tavrune

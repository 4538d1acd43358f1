#pragma once

#include "workbook/workbook_data.h"

#include <QString>

namespace tavrune {

// Reads .xlsx and .xlsm workbooks (zip packages of XML parts)
// into memory: the worksheets in the application's order with every cell that
// holds a value. Throws an error naming the file and the reason when the file
// cannot be read.
WorkbookData readXlsxWorkbook(const QString& path);

} // namespace tavrune

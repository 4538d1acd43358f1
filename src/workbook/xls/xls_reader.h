#pragma once

#include "workbook/workbook_data.h"

#include <QString>

namespace tavrune {

// Reads .xls workbooks (BIFF8, and BIFF5 with its code page, in a compound file)
// into memory: the worksheets in the application's order with every cell that
// holds a value. Throws an error naming the file and the reason when the file
// cannot be read.
WorkbookData readXlsWorkbook(const QString& path);

} // namespace tavrune

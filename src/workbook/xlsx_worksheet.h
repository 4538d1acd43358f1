#pragma once

#include "workbook/workbook_data.h"
#include "workbook/xlsx_strings.h"

#include <QString>
#include <vector>

namespace tavrune {

class ZipArchive;

// What reading a worksheet needs from the rest of the workbook.
struct XlsxSheetContext
{
    XlsxSharedStrings sharedStrings;
    std::vector<NumberStyle> cellStyles; // by cell format index (the s attribute)
    bool date1904 = false;
    // Rows below this one are not read: reading a sheet ends at the first row or
    // cell past it.
    quint32 lastRow = kMaxRow;
};

// Streams one worksheet part and adds its cells to sheet. Throws an error naming
// the file, the sheet and the cell when a value cannot be read.
void readXlsxWorksheet(ZipArchive& archive, const QString& part, const XlsxSheetContext& context,
                       WorkbookData& workbook, SheetData& sheet);

} // namespace tavrune

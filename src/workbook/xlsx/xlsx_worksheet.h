#pragma once

#include "workbook/workbook_data.h"
#include "workbook/xlsx/xlsx_strings.h"

#include <QString>
#include <vector>

namespace tavrune {

class ZipArchive;

// What reading a worksheet needs from the rest of the workbook.
struct XlsxSheetContext
{
    // Filled while the sheets are read; never null.
    XlsxSharedStringTable* sharedStrings = nullptr;
    std::vector<NumberStyle> cellStyles; // by cell format index (the s attribute)
    bool date1904 = false;
    // Rows below this one are not read: reading a sheet ends at the first row or
    // cell past it.
    quint32 lastRow = kMaxRow;
};

// One worksheet to read: its part and the sheet of the workbook its cells go to.
struct XlsxSheetPart
{
    QString part;
    SheetData* sheet = nullptr;
};

// Streams the worksheet parts and adds their cells to their sheets, several parts
// at once on threads of the budget. Throws an error naming the file, the sheet and
// the cell when a value cannot be read; of several sheets that fail, the first in
// the list is reported, as reading them one after the other would.
void readXlsxWorksheets(ZipArchive& archive, const std::vector<XlsxSheetPart>& parts,
                        const XlsxSheetContext& context, XlsxWorkbookSink& sink);

} // namespace tavrune

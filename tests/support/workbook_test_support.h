#pragma once

#include "workbook/workbook_data.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace tavrune::test {

// Path of a fixture in tests/data/<folder>.
QString fixturePath(const char* folder, const char* name);

QStringList sheetNames(const WorkbookData& workbook);
// Each sheet as "name last-used-row cell-count", in the workbook's order.
QStringList sheetOutline(const WorkbookData& workbook);
// The sheet of that name; throws std::runtime_error when there is none.
const SheetData& sheetNamed(const WorkbookData& workbook, const QString& name);
// The text of the cell at address (A1 form) of the named sheet.
QString text(const WorkbookData& workbook, const QString& sheet, const char* address);
// The texts of a cell or a range of a sheet, as in "顧客!A6:I6", row by row and
// separated by "|". An error value refuses to be read as text; it shows as
// "[#N/A]".
QString texts(const WorkbookData& workbook, const QString& reference);

// The description of the error that reading path throws, checking that it is a
// file error naming the path; a test failure when the file reads.
QString readErrorOf(const std::function<WorkbookData(const QString&)>& reader, const QString& path);

} // namespace tavrune::test

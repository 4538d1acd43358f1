#pragma once

#include "workbook/workbook_data.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace tavrune::test {

// Path of a fixture in tests/data/<folder>.
QString fixturePath(const char* folder, const char* name);

QStringList sheetNames(const WorkbookData& workbook);
// The sheet of that name; throws std::runtime_error when there is none.
const SheetData& sheetNamed(const WorkbookData& workbook, const QString& name);
// The text of the cell at address (A1 form) of the named sheet.
QString text(const WorkbookData& workbook, const QString& sheet, const char* address);

// The description of the error that reading path throws, checking that it is a
// file error naming the path; a test failure when the file reads.
QString readErrorOf(const std::function<WorkbookData(const QString&)>& reader, const QString& path);

} // namespace tavrune::test

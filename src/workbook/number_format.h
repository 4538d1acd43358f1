#pragma once

#include "workbook/cell.h"

#include <QStringView>

namespace tavrune {

// How a built-in number format (by its id, shared by the .xlsx and .xls formats)
// makes a number read. Ids the application reserves for its Japanese locale are
// included.
NumberStyle classifyBuiltinFormat(int id);

// How a format code makes a number read: a date when it shows year, month or day
// (or a Japanese era or day of the week), a time when it shows only hours, minutes or seconds.
// Quoted text, escaped characters, colour and condition codes and "General" do not
// count; only the first section (positive numbers) is looked at.
NumberStyle classifyFormatCode(QStringView code);

} // namespace tavrune

#pragma once

#include "workbook/cell.h"

#include <QString>

namespace tavrune {

// A number in general form, as the platform's number-to-text conversion gives it:
// at most 15 significant digits, no grouping, no trailing zeros; exponent form
// ("1.23456789012346E+15", "1E-05") from 1E+15 up and below 0.0001.
QString formatGeneralNumber(double value);

// A number cell's text by its format: general numbers as above; date formats as
// "yyyy/mm/dd" with " H:mm:ss" when the time is not midnight (a value without a
// date part shows only the time); time formats as "H:mm:ss". Serials outside the
// calendar the application shows (negative, past 9999-12-31) fall back to the
// general form.
QString formatCellNumber(double value, NumberStyle style, bool date1904);

} // namespace tavrune

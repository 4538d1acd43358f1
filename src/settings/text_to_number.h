#pragma once

#include <QString>

namespace tavrune {

// Lenient reading of a number at the start of a text: blanks, tabs and line feeds
// anywhere are dropped; "&H" and "&O" introduce hexadecimal and octal integers;
// otherwise sign, digits, decimal part and exponent (E or D) are read up to the
// first character that does not fit. A text without a number at its start gives 0.
// Throws an overflow error when the value exceeds the range of a double.
double textToNumber(const QString& text);

// textToNumber rounded to the nearest integer, halves to even. Throws an overflow
// error naming what is read (what) when the value does not fit the target width.
qint16 textToInt16(const QString& text, const QString& what);
qint32 textToInt32(const QString& text, const QString& what);

} // namespace tavrune

#pragma once

#include <QString>

namespace tavrune {

// The text with every control character written as an escape: \n, \r, \t, or \x
// and two hexadecimal digits (C0, DEL and C1). A path, sheet name or option value
// printed so can neither move the cursor, nor recolour or hide what follows, nor
// break a listing's lines.
QString escapeControlCharacters(const QString& text);

// A text of a listing that holds one entry a line (--list, --check, --textconv,
// --diff): a backslash doubled, then control characters escaped, so that every line
// reads back to the very texts it shows.
QString listingText(const QString& text);

} // namespace tavrune

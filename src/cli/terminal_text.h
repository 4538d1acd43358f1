#pragma once

#include <QString>

namespace tavrune {

// The text with every control character written as an escape: \n, \r, \t, or \x
// and two hexadecimal digits (C0, DEL and C1). A path, sheet name or option value
// printed so can neither move the cursor, nor recolour or hide what follows, nor
// break a listing's lines.
QString escapeControlCharacters(const QString& text);

// A text of the batch tool's listings (--list, --check), which hold one entry a
// line: a backslash doubled, then control characters escaped, so that every line
// reads back to the very texts it shows.
QString listingText(const QString& text);

// A message as the batch tool prints it: the message's own line breaks (CR LF, as
// messages build them) become line ends, and every other control character, which
// can only have come from what the message quotes, is escaped.
QString terminalMessage(const QString& message);

} // namespace tavrune

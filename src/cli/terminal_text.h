#pragma once

#include "common/listing_text.h"

#include <QString>

namespace tavrune {

// A message as the batch tool prints it: the message's own line breaks (CR LF, as
// messages build them) become line ends, and every other control character, which
// can only have come from what the message quotes, is escaped.
QString terminalMessage(const QString& message);

} // namespace tavrune

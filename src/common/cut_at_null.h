#pragma once

#include <QString>

namespace tavrune {

// The text up to, not including, its first NUL character; the whole text when it
// holds none. Texts that come back from fixed-size buffers carry the NUL padding.
QString cutAtNull(const QString& text);

} // namespace tavrune

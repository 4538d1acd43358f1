#pragma once

#include <QString>

namespace tavrune {

// The text without leading and trailing spaces (U+0020 only: tabs and full-width
// spaces stay, as users of the format rely on).
QString trimSpaces(const QString& text);

} // namespace tavrune

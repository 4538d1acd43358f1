#pragma once

#include <QString>

namespace tavrune {

// Throws the error for an .xls file that cannot be read: its description names the
// file and says why.
[[noreturn]] void throwXlsReadError(const QString& path, const QString& why);

} // namespace tavrune

#pragma once

#include <QString>

namespace tavrune {

// Throws the error for a workbook file that cannot be read: its description names
// the file and says why.
[[noreturn]] void failUnreadable(const QString& path, const QString& why);

} // namespace tavrune

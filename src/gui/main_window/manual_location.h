#pragma once

#include <QString>

namespace tavrune {

// The HTML manual that F1 opens: share/doc/tavrune/index.html beside the
// directory of the executable, which holds for an installed program and for the
// build tree alike.
QString manualPathFor(const QString& executableDirectory);

} // namespace tavrune

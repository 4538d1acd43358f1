#include "gui/main_window/manual_location.h"

#include <QDir>

namespace tavrune {

QString manualPathFor(const QString& executableDirectory)
{
    return QDir::cleanPath(
        QDir(executableDirectory).filePath(QStringLiteral("../share/doc/tavrune/index.html")));
}

} // namespace tavrune

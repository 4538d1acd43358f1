#pragma once

#include <QString>
#include <QStringList>

namespace tavrune {

// The one message for workbook names, given together, that find no file: how
// many, the first 20 of them and how many more, so that a long list fits on the
// screen.
QString missingFilesMessage(const QStringList& paths);

} // namespace tavrune

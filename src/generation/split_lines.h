#pragma once

#include "settings/settings_records.h"

#include <QString>
#include <QStringList>

namespace tavrune {

// Splits a template at every CR LF. An empty template gives one empty line and a
// template ending in CR LF a last empty line; a lone CR or LF stays in its line.
// More than 32,767 lines, or a line longer than 32,764 characters followed by CR
// LF, raise an overflow error naming templateName.
QStringList splitLines(const QString& text, const QString& templateName);

// A file setting's templates split into lines, as a run writes them.
struct TemplateLines
{
    QStringList body;
    QStringList header;
    QStringList footer;
};

// Splits the body, the header and the footer, in that order.
TemplateLines splitTemplates(const FileSetting& file);

} // namespace tavrune

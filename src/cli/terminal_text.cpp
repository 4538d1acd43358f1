#include "cli/terminal_text.h"

#include <QStringList>

namespace tavrune {

QString terminalMessage(const QString& message)
{
    QStringList lines = message.split(QStringLiteral("\r\n"));
    for (QString& line : lines) {
        line = escapeControlCharacters(line);
    }
    return lines.join(u'\n');
}

} // namespace tavrune

#include "common/cut_at_null.h"

namespace tavrune {

QString cutAtNull(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

} // namespace tavrune

#include "workbook/quoted_text.h"

namespace tavrune {

QString quotedText(QStringView text)
{
    if (text.size() <= kMaxQuotedLength) {
        return text.toString();
    }
    qsizetype length = kMaxQuotedLength;
    // Never cut a surrogate pair in two.
    if (text[length - 1].isHighSurrogate()) {
        --length;
    }
    return text.left(length).toString() + u'…';
}

} // namespace tavrune

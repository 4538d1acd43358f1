#include "common/listing_text.h"

namespace tavrune {

QString escapeControlCharacters(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control) {
            escaped += c;
        } else if (c == u'\n') {
            escaped += QStringLiteral("\\n");
        } else if (c == u'\r') {
            escaped += QStringLiteral("\\r");
        } else if (c == u'\t') {
            escaped += QStringLiteral("\\t");
        } else {
            escaped += QStringLiteral("\\x%1").arg(int(c.unicode()), 2, 16, QChar(u'0'));
        }
    }
    return escaped;
}

QString listingText(const QString& text)
{
    return escapeControlCharacters(QString(text).replace(u'\\', QStringLiteral("\\\\")));
}

} // namespace tavrune

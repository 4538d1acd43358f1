#include "workbook/strict_number.h"

namespace tavrune {

std::optional<quint64> parseDecimal(QStringView text, quint64 max)
{
    text = text.trimmed();
    if (text.startsWith(u'+')) {
        text = text.mid(1);
    }
    if (text.isEmpty()) {
        return std::nullopt;
    }
    quint64 value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        const quint64 digit = c.unicode() - u'0';
        if (value > (max - digit) / 10) {
            return std::nullopt; // past max, however many digits follow
        }
        value = value * 10 + digit;
    }
    return value;
}

} // namespace tavrune

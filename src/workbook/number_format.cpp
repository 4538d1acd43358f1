#include "workbook/number_format.h"

namespace tavrune {

NumberStyle classifyBuiltinFormat(int id)
{
    if ((id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 31) || (id >= 34 && id <= 36) ||
        (id >= 50 && id <= 58)) {
        return NumberStyle::Date;
    }
    if ((id >= 18 && id <= 21) || (id >= 32 && id <= 33) || (id >= 45 && id <= 47)) {
        return NumberStyle::Time;
    }
    return NumberStyle::General;
}

NumberStyle classifyFormatCode(QStringView code)
{
    bool date = false;
    bool time = false;
    bool month = false; // an "m" that is not next to hours or seconds
    char16_t previousToken = 0;
    const qsizetype size = code.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = code[i].unicode();
        if (c == u';') {
            break;
        }
        if (c == u'"') {
            const qsizetype close = code.indexOf(u'"', i + 1);
            i = close < 0 ? size : close;
            continue;
        }
        if (c == u'\\' || c == u'_' || c == u'*') {
            ++i; // the next character is literal, or a fill or padding character
            continue;
        }
        if (c == u'[') {
            const qsizetype close = code.indexOf(u']', i + 1);
            const QStringView inner = code.mid(i + 1, close < 0 ? size : close - i - 1);
            // Elapsed-time brackets ([h], [mm], [ss]) are time; colours, locales and
            // conditions are not.
            if (!inner.isEmpty()) {
                const char16_t first = QChar::toLower(inner[0].unicode());
                bool elapsed = first == u'h' || first == u'm' || first == u's';
                for (QChar ch : inner) {
                    elapsed = elapsed && QChar::toLower(ch.unicode()) == first;
                }
                if (elapsed) {
                    time = true;
                    previousToken = first;
                }
            }
            i = close < 0 ? size : close;
            continue;
        }
        const char16_t lower = QChar::toLower(c);
        if (lower == u'g' && code.mid(i, 7).compare(u"general", Qt::CaseInsensitive) == 0) {
            i += 6;
            continue;
        }
        if (lower == u'a' && code.mid(i, 5).compare(u"am/pm", Qt::CaseInsensitive) == 0) {
            time = true;
            i += 4;
            continue;
        }
        if (lower == u'a' && code.mid(i, 3).compare(u"a/p", Qt::CaseInsensitive) == 0) {
            time = true;
            i += 2;
            continue;
        }
        if (lower == u'a' && code.mid(i, 3).compare(u"aaa", Qt::CaseInsensitive) == 0) {
            date = true; // the Japanese day of the week, "aaa" (木) or "aaaa" (木曜日)
            while (i + 1 < size && QChar::toLower(code[i + 1].unicode()) == u'a') {
                ++i;
            }
            previousToken = u'a';
            continue;
        }
        if (lower == u'e' && i + 1 < size && (code[i + 1] == u'+' || code[i + 1] == u'-')) {
            ++i; // scientific notation, not the era year
            continue;
        }
        switch (lower) {
        case u'y':
        case u'd':
        case u'e':
        case u'g':
            date = true;
            previousToken = lower;
            break;
        case u'h':
        case u's':
            time = true;
            if (lower == u's' && previousToken == u'm') {
                month = false; // "mm:ss": the m were minutes
            }
            previousToken = lower;
            break;
        case u'm':
            if (previousToken == u'h') {
                time = true;
            } else {
                month = true;
            }
            while (i + 1 < size && QChar::toLower(code[i + 1].unicode()) == u'm') {
                ++i;
            }
            previousToken = u'm';
            break;
        default:
            break;
        }
    }
    if (date || month) {
        return NumberStyle::Date;
    }
    return time ? NumberStyle::Time : NumberStyle::General;
}

} // namespace tavrune

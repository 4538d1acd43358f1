#include "generation/text_rules.h"

namespace tavrune {

namespace {

char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

} // namespace

qsizetype indexOfIgnoringAsciiCase(const QString& text, const QString& needle, qsizetype from)
{
    const qsizetype last = text.size() - needle.size();
    if (needle.isEmpty()) {
        return std::max<qsizetype>(from, 0) <= last ? std::max<qsizetype>(from, 0) : -1;
    }
    const char16_t first = needle.at(0).unicode();
    // Placeholders start with "[": a character without case lets the search jump
    // from one candidate to the next instead of comparing at every position.
    const bool caseless = asciiLower(first) == first && (first < u'a' || first > u'z');
    const QStringView view(text);
    for (qsizetype i = std::max<qsizetype>(from, 0); i <= last; ++i) {
        if (caseless) {
            i = view.indexOf(QChar(first), i);
            if (i < 0 || i > last) {
                return -1;
            }
        }
        if (matchesIgnoringAsciiCase(view, i, needle)) {
            return i;
        }
    }
    return -1;
}

bool matchesIgnoringAsciiCase(QStringView text, qsizetype at, QStringView needle)
{
    if (at < 0 || at > text.size() - needle.size()) {
        return false;
    }
    for (qsizetype k = 0; k < needle.size(); ++k) {
        if (asciiLower(text[at + k].unicode()) != asciiLower(needle[k].unicode())) {
            return false;
        }
    }
    return true;
}

bool containsIgnoringAsciiCase(const QString& text, const QString& needle)
{
    return indexOfIgnoringAsciiCase(text, needle) >= 0;
}

void replaceAll(QString& text, const QString& placeholder, const QString& value)
{
    if (placeholder.isEmpty()) {
        return;
    }
    qsizetype start = 0;
    for (;;) {
        const qsizetype found = indexOfIgnoringAsciiCase(text, placeholder, start);
        if (found < 0) {
            return;
        }
        text.replace(found, placeholder.size(), value);
        start = found + value.size();
    }
}

QString trimTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ') {
        --end;
    }
    while (end > 0 && text.at(end - 1) == u'\t') {
        --end;
    }
    return text.left(end);
}

bool isNumericLength(const QString& text)
{
    QStringView s = QStringView(text).trimmed();
    if (s.startsWith(u'(') && s.endsWith(u')') && s.size() >= 2) {
        s = s.mid(1, s.size() - 2).trimmed();
    }
    qsizetype pos = 0;
    if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-')) {
        ++pos;
    }
    bool digits = false;
    bool point = false;
    for (; pos < s.size(); ++pos) {
        const QChar c = s[pos];
        if (c >= u'0' && c <= u'9') {
            digits = true;
        } else if (c == u',' && digits && !point) {
            continue;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits && !s.endsWith(u',');
}

bool markMatches(const QString& mark, const QString& wanted)
{
    if (wanted == QStringLiteral("[%*]")) {
        return !trimSpaces(mark).isEmpty();
    }
    return mark == wanted;
}

QString cleanUpLine(const QString& line)
{
    if (line.endsWith(u',')) {
        return trimTrailingBlanks(line.left(line.size() - 1)) + u',';
    }
    return trimTrailingBlanks(line);
}

void LineJoiner::add(const QString& line)
{
    if (!m_any) {
        m_text += line; // into the room reserved, if any; else shares line
        m_any = true;
        return;
    }
    if (!m_text.endsWith(u';') && !m_text.endsWith(u',')) {
        m_text += u',';
    }
    m_text += QStringLiteral("\r\n");
    m_text += line;
}

QString joinLines(const QStringList& lines)
{
    LineJoiner joiner;
    for (const QString& line : lines) {
        joiner.add(line);
    }
    return joiner.take();
}

} // namespace tavrune

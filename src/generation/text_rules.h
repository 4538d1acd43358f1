#pragma once

#include "common/trim_spaces.h"

#include <QString>
#include <QStringList>

namespace tavrune {

// Position of needle in text from position from (both counted from 0), comparing
// ASCII letters without regard to case and every other character exactly; -1 when
// it is not there.
qsizetype indexOfIgnoringAsciiCase(const QString& text, const QString& needle, qsizetype from = 0);
bool containsIgnoringAsciiCase(const QString& text, const QString& needle);
// Whether needle stands in text at position at, compared as above.
bool matchesIgnoringAsciiCase(QStringView text, qsizetype at, QStringView needle);

// Replaces every occurrence of placeholder (found without regard to ASCII case) by
// value, left to right; the search goes on right behind each inserted value, so a
// value is never searched again by the same call.
void replaceAll(QString& text, const QString& placeholder, const QString& value);

// Removes trailing spaces, then trailing tab characters. Spaces in front of removed
// tabs stay.
QString trimTrailingBlanks(const QString& text);

// Whether a length text counts as a number: blanks around it allowed, an optional
// sign, digits with optional grouping commas and decimal part; the same enclosed in
// parentheses also counts, so that a length cell may hold "(10,2)" itself.
bool isNumericLength(const QString& text);

// Whether a not-null or index mark matches the format's match string: "[%*]"
// matches every mark that is not blank, any other string only itself, exactly.
bool markMatches(const QString& mark, const QString& wanted);

// Tidies one generated line: a final comma is taken off, trailing blanks are
// removed, and the comma is put back.
QString cleanUpLine(const QString& line);

// Joins generated lines: after every line but the last comes "," (unless the line
// already ends with "," or ";") and CR LF.
QString joinLines(const QStringList& lines);

// Joins lines as joinLines does, one at a time, so that they need not be held.
class LineJoiner
{
public:
    // A line, or the joined text of lines, which counts as its last line.
    void add(const QString& line);
    bool isEmpty() const { return !m_any; }
    qsizetype size() const { return m_text.size(); }
    void reserve(qsizetype size) { m_text.reserve(size); }
    QString take() { return std::move(m_text); }

private:
    QString m_text;
    bool m_any = false;
};

} // namespace tavrune

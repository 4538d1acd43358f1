#pragma once

#include <QString>
#include <QStringView>

namespace tavrune {

// The most characters of a text from a file that a message quotes.
constexpr qsizetype kMaxQuotedLength = 40;

// A text from a file as a message quotes it: whole when short, else its first
// kMaxQuotedLength characters and "…", so that a message stays short whatever the
// file holds.
QString quotedText(QStringView text);

} // namespace tavrune

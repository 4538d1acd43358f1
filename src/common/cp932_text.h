#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace tavrune {

// Code page 932 (Windows Japanese), the encoding of the settings file, the window
// state file and the generated files.

// The text in code page 932, or none when it holds a character the code page
// cannot represent; then *unrepresentable (if given) receives that character's
// code point (a lone surrogate counts as such a character). Seven characters that
// other systems' input gives for look-alikes of code page 932 characters (U+301C
// WAVE DASH, U+2016, U+2212, U+00A2, U+00A3, U+00AC, U+2014) are written as those
// characters, as the Japanese Windows conversion does; they read back as the code
// page's own characters (U+FF5E and so on).
std::optional<QByteArray> encodeCp932(QStringView text, char32_t* unrepresentable = nullptr);

// The same, appended to bytes; false (bytes as they were) when the text holds a
// character the code page cannot represent.
bool appendCp932(QStringView text, QByteArray& bytes, char32_t* unrepresentable = nullptr);

// The bytes read as code page 932, or none when they are not valid in it (an
// unassigned byte, a lead byte without a fitting trail byte).
std::optional<QString> decodeCp932(QByteArrayView bytes);

// As decodeCp932, but invalid bytes become replacement characters instead.
QString decodeCp932Lenient(QByteArrayView bytes);

// Whether the byte starts a double-byte character of code page 932.
bool isCp932LeadByte(char byte);

// "U+XXXX (c)": a code point written for messages.
QString describeCodePoint(char32_t codePoint);

} // namespace tavrune

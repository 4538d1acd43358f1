#pragma once

#include <QString>
#include <optional>

namespace tavrune {

// The initialisation file that remembers how the user left the program: sections
// in square brackets and lines of key, equals sign and value, text in code page
// 932. Every call reads the file afresh; nothing is cached.
//
// Reading follows the Windows profile functions: section and key names are
// matched without regard to letter case, blanks around names and values are
// ignored, a value in matching double or single quotes comes back without them,
// and at most 254 bytes of a value come back (a double-byte character that would
// be split at that limit is left out, so the value may end after 253 bytes). A
// line whose first non-blank character is ';' is a comment; lines without an
// equals sign are ignored. Only the first section of a name is looked at.
class WindowStateFile
{
public:
    explicit WindowStateFile(QString path);

    const QString& path() const { return m_path; }

    // The value of the key, cut at its first NUL character; empty text when the
    // file, the section or the key is missing or the file cannot be read.
    QString ReadWindowState(const QString& section, const QString& key) const;

    // Writes the value, creating the file, the section (at the end of the file) or
    // the key (behind the last line of its section) as needed, or replacing the
    // existing value; every other line stays as it was. The file is replaced
    // whole and atomically. Returns false, changing nothing, when the file cannot
    // be read or written, when a name or the value holds a line break (or a name
    // a character that would end it early), or when code page 932 cannot
    // represent the text; callers may ignore the result.
    bool WriteWindowState(const QString& section, const QString& key, const QString& value);

    // The value read with TextToNumber: 0 when missing, when it holds no number or
    // when the number exceeds a double.
    double readNumber(const QString& section, const QString& key) const;

    // readNumber rounded to the nearest integer, halves to even (0 when missing);
    // nothing when the number is out of the range of the type, so that a damaged
    // file never stops the start-up and the caller can fall back.
    std::optional<qint16> readInt16(const QString& section, const QString& key) const;
    std::optional<qint32> readInt32(const QString& section, const QString& key) const;

private:
    QString m_path;
};

} // namespace tavrune

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>
#include <sys/types.h>

namespace tavrune {

// The initialisation file that remembers how the user left the program: sections
// in square brackets and lines of key, equals sign and value, text in code page
// 932. It is read once, when the object is made; reads come from memory, and
// writes change memory until save() writes the file in one go, so that a large
// file costs one reading and one writing, not one per key.
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
    // A larger file is not read (every key reads empty) and never replaced.
    static constexpr qsizetype kMaxFileBytes = 16 * 1024 * 1024;

    explicit WindowStateFile(QString path);

    const QString& path() const { return m_path; }

    // The value of the key, cut at its first NUL character; empty text when the
    // file, the section or the key is missing or the file could not be read.
    QString readWindowState(const QString& section, const QString& key) const;

    // Sets the value, for the next save to write: creating the section (at the
    // end of the file) or the key (behind the last line of its section) as needed,
    // or replacing the existing value; every other byte of the file stays as it
    // was. Returns false, changing nothing, when a name or the value holds a line
    // break (or a name a character that would end it early), or when code page
    // 932 cannot represent the text.
    bool writeWindowState(const QString& section, const QString& key, const QString& value);

    // Whether a write changed a value that the file does not hold yet.
    bool hasUnsavedChanges() const { return m_unsaved; }

    // Writes the file with every value set, replacing it whole and atomically; does
    // nothing when nothing changed. A file changed on disk since it was read is
    // read again first, so that its other keys stay as they are now. Throws an
    // Error, leaving the file as it was, when it cannot be written, or when it was
    // there but could not be read (it is not overwritten then).
    void save();

    // The value read with textToNumber: 0 when missing, when it holds no number or
    // when the number exceeds a double.
    double readNumber(const QString& section, const QString& key) const;

    // readNumber rounded to the nearest integer, halves to even (0 when missing);
    // nothing when the number is out of the range of the type, so that a damaged
    // file never stops the start-up and the caller can fall back.
    std::optional<qint16> readInt16(const QString& section, const QString& key) const;
    std::optional<qint32> readInt32(const QString& section, const QString& key) const;

private:
    // A section header or a key line of the file, by byte offsets (lines of other
    // kinds are not kept; they only move where a new key of a section goes).
    struct Line
    {
        qint32 nameStart = 0; // the section's or key's name as spelt, trimmed
        qint32 nameEnd = 0;
        qint32 valueStart = 0; // keys: the value, trimmed
        qint32 valueEnd = 0;
        qint32 end = 0;       // behind the line's last byte, line end excluded
        qint32 insertAt = 0;  // sections: behind the last non-blank line of the section
        quint32 nameHash = 0; // of the case-folded name, to pass other names by quickly
        bool section = false;
        bool insertNeedsLineEnd = false; // sections: that last line has no line end
    };

    struct Value
    {
        QString key;
        QByteArray keyBytes;
        QByteArray bytes;
    };

    // The values written since the file was read, in the order first written.
    struct SectionValues
    {
        QString name;
        QByteArray nameBytes;
        QList<Value> values;
    };

    // The identity of the file on disk, to notice a change by someone else.
    struct Stamp
    {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        qint64 size = 0;
        qint64 modified = 0; // nanoseconds

        bool operator==(const Stamp&) const = default;
    };

    void read();
    void index();
    Stamp stamp() const;
    QString lineName(const Line& line) const;
    qsizetype findSection(const QString& name) const;
    qsizetype findKey(qsizetype header, const QString& key) const;
    const Value* written(const QString& section, const QString& key) const;
    std::optional<QByteArrayView> rawValue(const QString& section, const QString& key) const;
    QByteArray content() const;

    QString m_path;
    QByteArray m_data;     // the file as read
    QString m_readFailure; // why a file that is there could not be read
    Stamp m_stamp;         // the file as read or last written
    QList<Line> m_lines;
    QByteArray m_lineEnd; // of new lines: the file's own, CR LF for a new file
    QList<SectionValues> m_written;
    bool m_unsaved = false;
};

} // namespace tavrune

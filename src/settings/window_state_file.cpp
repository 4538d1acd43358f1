#include "settings/window_state_file.h"

#include "common/cp932_text.h"
#include "common/cut_at_null.h"
#include "common/error.h"
#include "common/replacing_file.h"
#include "settings/text_to_number.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <optional>

namespace tavrune {

namespace {

// The longest value that comes back: a 256-byte buffer read with a limit of 255
// leaves room for 254 bytes.
constexpr qsizetype kMaxValueBytes = 254;

// None of these bytes can be the trail byte of a double-byte character of code
// page 932, so lines can be split and trimmed on bytes.
bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && isBlank(bytes[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(bytes[end - 1])) {
        --end;
    }
    return bytes.sliced(begin, end - begin);
}

enum class LineKind
{
    Other, // blank, comment or without an equals sign
    Section,
    Key,
};

struct ProfileLine
{
    qsizetype start = 0; // first byte of the line
    qsizetype end = 0;   // behind its last byte, line end excluded
    qsizetype next = 0;  // first byte of the next line
    LineKind kind = LineKind::Other;
    QString name;         // section or key name, trimmed
    QByteArrayView key;   // the key as spelt in the file, trimmed
    QByteArrayView value; // trimmed
};

QList<ProfileLine> parseProfile(const QByteArray& data)
{
    QList<ProfileLine> lines;
    qsizetype pos = 0;
    while (pos < data.size()) {
        ProfileLine line;
        line.start = pos;
        qsizetype end = pos;
        while (end < data.size() && data[end] != '\r' && data[end] != '\n') {
            ++end;
        }
        line.end = end;
        line.next = end;
        if (line.next < data.size() && data[line.next] == '\r') {
            ++line.next;
        }
        if (line.next < data.size() && data[line.next] == '\n') {
            ++line.next;
        }
        pos = line.next;

        const QByteArrayView content =
            trimmed(QByteArrayView(data).sliced(line.start, end - line.start));
        if (content.startsWith('[')) {
            // ']' can be a trail byte, so look for it in the decoded text.
            const QString text = decodeCp932Lenient(content);
            const qsizetype close = text.lastIndexOf(u']');
            if (close > 0) {
                line.kind = LineKind::Section;
                line.name = text.mid(1, close - 1).trimmed();
            }
        } else if (!content.startsWith(';')) {
            const qsizetype equals = content.indexOf('=');
            if (equals >= 0) {
                line.kind = LineKind::Key;
                line.key = trimmed(content.first(equals));
                line.name = decodeCp932Lenient(line.key);
                line.value = trimmed(content.sliced(equals + 1));
            }
        }
        lines.append(line);
    }
    return lines;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the header of the first section named section, or -1.
qsizetype findSection(const QList<ProfileLine>& lines, const QString& section)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Section && sameName(lines[i].name, section)) {
            return i;
        }
    }
    return -1;
}

// Index of the first line behind the section whose header is at header.
qsizetype sectionEnd(const QList<ProfileLine>& lines, qsizetype header)
{
    qsizetype i = header + 1;
    while (i < lines.size() && lines[i].kind != LineKind::Section) {
        ++i;
    }
    return i;
}

qsizetype findKey(const QList<ProfileLine>& lines, qsizetype header, const QString& key)
{
    const qsizetype end = sectionEnd(lines, header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (lines[i].kind == LineKind::Key && sameName(lines[i].name, key)) {
            return i;
        }
    }
    return -1;
}

QByteArrayView withoutQuotes(QByteArrayView value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.sliced(1, value.size() - 2);
    }
    return value;
}

// The value cut at kMaxValueBytes without splitting a double-byte character.
QByteArrayView cutValue(QByteArrayView value)
{
    qsizetype length = 0;
    while (length < value.size()) {
        const qsizetype next =
            length + (isCp932LeadByte(value[length]) && length + 1 < value.size() ? 2 : 1);
        if (next > kMaxValueBytes) {
            break;
        }
        length = next;
    }
    return value.first(length);
}

std::optional<QByteArray> readFile(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return data;
}

bool hasLineBreak(const QString& text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

} // namespace

WindowStateFile::WindowStateFile(QString path) : m_path(std::move(path)) {}

QString WindowStateFile::ReadWindowState(const QString& section, const QString& key) const
{
    const std::optional<QByteArray> data = readFile(m_path);
    if (!data) {
        return {};
    }
    const QList<ProfileLine> lines = parseProfile(*data);
    const qsizetype header = findSection(lines, section.trimmed());
    if (header < 0) {
        return {};
    }
    const qsizetype line = findKey(lines, header, key.trimmed());
    if (line < 0) {
        return {};
    }
    return CutAtNull(decodeCp932Lenient(cutValue(withoutQuotes(lines[line].value))));
}

bool WindowStateFile::WriteWindowState(const QString& section, const QString& key,
                                       const QString& value)
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (sectionName.isEmpty() || keyName.isEmpty() || hasLineBreak(sectionName) ||
        hasLineBreak(keyName) || hasLineBreak(value) || sectionName.contains(u']') ||
        keyName.contains(u'=') || keyName.startsWith(u'[') || keyName.startsWith(u';')) {
        return false;
    }
    const std::optional<QByteArray> sectionBytes = encodeCp932(sectionName);
    const std::optional<QByteArray> keyBytes = encodeCp932(keyName);
    const std::optional<QByteArray> valueBytes = encodeCp932(value);
    if (!sectionBytes || !keyBytes || !valueBytes) {
        return false;
    }

    QByteArray data;
    if (QFileInfo::exists(m_path)) {
        std::optional<QByteArray> existing = readFile(m_path);
        if (!existing) {
            return false;
        }
        data = std::move(*existing);
    }
    const QList<ProfileLine> lines = parseProfile(data);
    // New lines follow the file's own line ends; CR LF for a new file.
    const QByteArray lineEnd =
        !lines.isEmpty() && data.mid(lines[0].end, 1) == "\n" ? QByteArray("\n") : "\r\n";

    const qsizetype header = findSection(lines, sectionName);
    const qsizetype keyLine = header < 0 ? -1 : findKey(lines, header, keyName);
    if (keyLine >= 0) {
        // Keep the indentation and the key as spelt in the file; only the value
        // and the blanks around the equals sign change.
        const ProfileLine& line = lines[keyLine];
        const qsizetype keyStart = line.key.data() - data.constData();
        data.replace(keyStart, line.end - keyStart, line.key.toByteArray() + '=' + *valueBytes);
    } else if (header >= 0) {
        // Behind the last non-blank line of the section, so the blank lines that
        // separate it from the next section stay in place.
        qsizetype last = header;
        for (qsizetype i = header + 1; i < sectionEnd(lines, header); ++i) {
            if (!trimmed(QByteArrayView(data).sliced(lines[i].start, lines[i].end - lines[i].start))
                     .isEmpty()) {
                last = i;
            }
        }
        QByteArray insert = *keyBytes + '=' + *valueBytes + lineEnd;
        if (lines[last].next == lines[last].end) { // the file ends without a line end
            insert.prepend(lineEnd);
        }
        data.insert(lines[last].next, insert);
    } else {
        if (!data.isEmpty() && !data.endsWith('\n') && !data.endsWith('\r')) {
            data += lineEnd;
        }
        data += '[' + *sectionBytes + ']' + lineEnd + *keyBytes + '=' + *valueBytes + lineEnd;
    }

    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        return false;
    }
    return writeReplacing(m_path, data) == 0;
}

double WindowStateFile::readNumber(const QString& section, const QString& key) const
{
    try {
        return TextToNumber(ReadWindowState(section, key));
    } catch (const Error&) {
        return 0;
    }
}

std::optional<qint16> WindowStateFile::readInt16(const QString& section, const QString& key) const
{
    try {
        return TextToInt16(ReadWindowState(section, key), key);
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::optional<qint32> WindowStateFile::readInt32(const QString& section, const QString& key) const
{
    try {
        return TextToInt32(ReadWindowState(section, key), key);
    } catch (const Error&) {
        return std::nullopt;
    }
}

} // namespace tavrune

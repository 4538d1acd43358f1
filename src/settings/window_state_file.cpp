#include "settings/window_state_file.h"

#include "common/cp932_text.h"
#include "common/cut_at_null.h"
#include "common/error.h"
#include "common/replacing_file.h"
#include "settings/text_to_number.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sys/stat.h>

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

bool hasLineBreak(const QString& text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// FNV-1a over the case-folded UTF-16 code units, so that names equal without
// regard to letter case hash alike, whether they come as text or as bytes.
constexpr quint32 kHashStart = 2166136261u;

quint32 addToHash(quint32 hash, char16_t unit)
{
    return (hash ^ unit) * 16777619u;
}

quint32 nameHash(const QString& name)
{
    quint32 hash = kHashStart;
    for (const QChar c : name.toCaseFolded()) {
        hash = addToHash(hash, c.unicode());
    }
    return hash;
}

// Most names are plain ASCII, which needs no decoding: a file of a million keys
// is indexed without a million strings.
quint32 nameHash(QByteArrayView bytes)
{
    quint32 hash = kHashStart;
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return nameHash(decodeCp932Lenient(bytes));
        }
        hash = addToHash(hash, (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    }
    return hash;
}

// The name of a section header: the text between '[' and the last ']', trimmed;
// nothing for a line that is no header.
std::optional<QString> headerName(QByteArrayView content)
{
    if (!content.startsWith('[')) {
        return std::nullopt;
    }
    // ']' can be a trail byte, so look for it in the decoded text.
    const QString text = decodeCp932Lenient(content);
    const qsizetype close = text.lastIndexOf(u']');
    if (close <= 0) {
        return std::nullopt;
    }
    return text.mid(1, close - 1).trimmed();
}

qint32 offset(QByteArrayView part, const QByteArray& whole)
{
    return static_cast<qint32>(part.data() - whole.constData());
}

} // namespace

WindowStateFile::WindowStateFile(QString path) : m_path(std::move(path))
{
    read();
}

void WindowStateFile::read()
{
    m_data.clear();
    m_readFailure.clear();
    m_stamp = stamp();
    const QFileInfo info(m_path);
    if (info.exists()) {
        QFile file(m_path);
        const QString tooLarge =
            QStringLiteral("%1 バイトを超えています。").arg(QString::number(kMaxFileBytes));
        if (!info.isFile()) {
            m_readFailure = QStringLiteral("ファイルではありません。");
        } else if (info.size() > kMaxFileBytes) {
            m_readFailure = tooLarge;
        } else if (!file.open(QIODevice::ReadOnly)) {
            m_readFailure = file.errorString();
        } else {
            m_data = file.readAll();
            if (file.error() != QFileDevice::NoError) {
                m_readFailure = file.errorString();
            } else if (m_data.size() > kMaxFileBytes) {
                m_readFailure = tooLarge; // grown meanwhile
            }
        }
        if (!m_readFailure.isEmpty()) {
            m_data.clear();
        }
    }
    index();
}

void WindowStateFile::index()
{
    m_lines.clear();
    m_lineEnd = QByteArrayLiteral("\r\n");
    const QByteArrayView data(m_data);
    qsizetype header = -1; // of the section being read
    qsizetype pos = 0;
    while (pos < data.size()) {
        const qsizetype start = pos;
        qsizetype end = start;
        while (end < data.size() && data[end] != '\r' && data[end] != '\n') {
            ++end;
        }
        qsizetype next = end;
        if (next < data.size() && data[next] == '\r') {
            ++next;
        }
        if (next < data.size() && data[next] == '\n') {
            ++next;
        }
        // New lines follow the file's own line ends.
        if (start == 0 && end < data.size() && data[end] == '\n') {
            m_lineEnd = QByteArrayLiteral("\n");
        }
        pos = next;

        const QByteArrayView content = trimmed(data.sliced(start, end - start));
        if (content.isEmpty()) {
            continue;
        }
        Line line;
        line.end = static_cast<qint32>(end);
        if (const std::optional<QString> name = headerName(content)) {
            line.section = true;
            line.nameStart = offset(content, m_data);
            line.nameEnd = line.nameStart + static_cast<qint32>(content.size());
            line.nameHash = nameHash(*name);
            header = m_lines.size();
            m_lines.append(line);
        } else if (!content.startsWith('[') && !content.startsWith(';')) {
            const qsizetype equals = content.indexOf('=');
            if (equals >= 0) {
                const QByteArrayView key = trimmed(content.first(equals));
                const QByteArrayView value = trimmed(content.sliced(equals + 1));
                line.nameStart = offset(key, m_data);
                line.nameEnd = line.nameStart + static_cast<qint32>(key.size());
                line.valueStart = offset(value, m_data);
                line.valueEnd = line.valueStart + static_cast<qint32>(value.size());
                line.nameHash = nameHash(key);
                m_lines.append(line);
            }
        }
        // A new key of the section goes behind its last non-blank line, so the
        // blank lines that separate it from the next section stay in place.
        if (header >= 0) {
            m_lines[header].insertAt = static_cast<qint32>(next);
            m_lines[header].insertNeedsLineEnd = next == end;
        }
    }
}

WindowStateFile::Stamp WindowStateFile::stamp() const
{
    struct stat status;
    if (::stat(QFile::encodeName(m_path).constData(), &status) != 0) {
        return {};
    }
    return {true, status.st_dev, status.st_ino, status.st_size,
            status.st_mtim.tv_sec * 1'000'000'000LL + status.st_mtim.tv_nsec};
}

QString WindowStateFile::lineName(const Line& line) const
{
    const QByteArrayView name =
        QByteArrayView(m_data).sliced(line.nameStart, line.nameEnd - line.nameStart);
    return line.section ? headerName(name).value_or(QString()) : decodeCp932Lenient(name);
}

qsizetype WindowStateFile::findSection(const QString& name) const
{
    const quint32 hash = nameHash(name);
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (line.section && line.nameHash == hash && sameName(lineName(line), name)) {
            return i;
        }
    }
    return -1;
}

qsizetype WindowStateFile::findKey(qsizetype header, const QString& key) const
{
    const quint32 hash = nameHash(key);
    for (qsizetype i = header + 1; i < m_lines.size() && !m_lines[i].section; ++i) {
        if (m_lines[i].nameHash == hash && sameName(lineName(m_lines[i]), key)) {
            return i;
        }
    }
    return -1;
}

const WindowStateFile::Value* WindowStateFile::written(const QString& section,
                                                       const QString& key) const
{
    for (const SectionValues& values : m_written) {
        if (sameName(values.name, section)) {
            for (const Value& value : values.values) {
                if (sameName(value.key, key)) {
                    return &value;
                }
            }
        }
    }
    return nullptr;
}

std::optional<QByteArrayView> WindowStateFile::rawValue(const QString& section,
                                                        const QString& key) const
{
    if (const Value* value = written(section, key)) {
        return trimmed(value->bytes);
    }
    const qsizetype header = findSection(section);
    const qsizetype line = header < 0 ? -1 : findKey(header, key);
    if (line < 0) {
        return std::nullopt;
    }
    return QByteArrayView(m_data).sliced(m_lines[line].valueStart,
                                         m_lines[line].valueEnd - m_lines[line].valueStart);
}

QString WindowStateFile::readWindowState(const QString& section, const QString& key) const
{
    const std::optional<QByteArrayView> value = rawValue(section.trimmed(), key.trimmed());
    if (!value) {
        return {};
    }
    return cutAtNull(decodeCp932Lenient(cutValue(withoutQuotes(*value))));
}

bool WindowStateFile::writeWindowState(const QString& section, const QString& key,
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
    if (rawValue(sectionName, keyName) == QByteArrayView(*valueBytes)) {
        return true; // the file holds it already
    }
    auto values = std::find_if(m_written.begin(), m_written.end(), [&](const SectionValues& s) {
        return sameName(s.name, sectionName);
    });
    if (values == m_written.end()) {
        m_written.append({sectionName, *sectionBytes, {}});
        values = m_written.end() - 1;
    }
    auto known = std::find_if(values->values.begin(), values->values.end(),
                              [&](const Value& v) { return sameName(v.key, keyName); });
    if (known == values->values.end()) {
        values->values.append({keyName, *keyBytes, *valueBytes});
    } else {
        known->bytes = *valueBytes;
    }
    m_unsaved = true;
    return true;
}

QByteArray WindowStateFile::content() const
{
    struct Edit
    {
        qsizetype at;
        qsizetype until;
        QByteArray bytes;
    };
    QList<Edit> edits;
    QByteArray appended;
    for (const SectionValues& section : m_written) {
        const qsizetype header = findSection(section.name);
        QByteArray added;
        for (const Value& value : section.values) {
            const qsizetype found = header < 0 ? -1 : findKey(header, value.key);
            if (found < 0) {
                added += value.keyBytes + '=' + value.bytes + m_lineEnd;
                continue;
            }
            // Keep the indentation and the key as spelt in the file; only the value
            // and the blanks around the equals sign change.
            const Line& line = m_lines[found];
            edits.append(
                {line.nameStart, line.end,
                 m_data.mid(line.nameStart, line.nameEnd - line.nameStart) + '=' + value.bytes});
        }
        if (header < 0) {
            appended += '[' + section.nameBytes + ']' + m_lineEnd + added;
        } else if (!added.isEmpty()) {
            const Line& line = m_lines[header];
            edits.append({line.insertAt, line.insertAt,
                          (line.insertNeedsLineEnd ? m_lineEnd : QByteArray()) + added});
        }
    }
    std::stable_sort(edits.begin(), edits.end(),
                     [](const Edit& a, const Edit& b) { return a.at < b.at; });

    QByteArray result;
    qsizetype pos = 0;
    for (const Edit& edit : edits) {
        result += QByteArrayView(m_data).sliced(pos, edit.at - pos);
        result += edit.bytes;
        pos = edit.until;
    }
    result += QByteArrayView(m_data).sliced(pos);
    if (!appended.isEmpty()) {
        if (!result.isEmpty() && !result.endsWith('\n') && !result.endsWith('\r')) {
            result += m_lineEnd;
        }
        result += appended;
    }
    return result;
}

void WindowStateFile::save()
{
    if (!m_unsaved) {
        return;
    }
    if (stamp() != m_stamp) {
        // Changed by someone else since it was read: its other keys stay as they
        // are now.
        read();
    }
    if (!m_readFailure.isEmpty()) {
        throw Error(ErrorNumber::PathFileAccess,
                    QStringLiteral("ウィンドウ状態ファイル \"%1\" は読み込めなかったため、"
                                   "上書きしません: %2")
                        .arg(m_path, m_readFailure));
    }
    saveReplacing(m_path, content(), QStringLiteral("ウィンドウ状態ファイル"));
    m_stamp = stamp();
    m_unsaved = false;
}

double WindowStateFile::readNumber(const QString& section, const QString& key) const
{
    try {
        return textToNumber(readWindowState(section, key));
    } catch (const Error&) {
        return 0;
    }
}

std::optional<qint16> WindowStateFile::readInt16(const QString& section, const QString& key) const
{
    try {
        return textToInt16(readWindowState(section, key), key);
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::optional<qint32> WindowStateFile::readInt32(const QString& section, const QString& key) const
{
    try {
        return textToInt32(readWindowState(section, key), key);
    } catch (const Error&) {
        return std::nullopt;
    }
}

} // namespace tavrune

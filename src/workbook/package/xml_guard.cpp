#include "workbook/package/xml_guard.h"

#include "workbook/package/zip_archive.h"

#include <QRegularExpression>
#include <array>
#include <cstring>

namespace tavrune {

namespace {

constexpr int kMaxNameLength = 1000;
constexpr int kMaxDeclarationLength = 512;

bool isSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// Bytes that end a name: spaces, "=", ">", "/" and quotes.
constexpr std::array<bool, 256> kEndsName = [] {
    std::array<bool, 256> table{};
    for (const unsigned char c : {' ', '\t', '\n', '\r', '=', '>', '/', '"', '\''}) {
        table[c] = true;
    }
    return table;
}();

// Bytes that begin the name of a start tag after "<" and make it plain: not the
// "/", "!" or "?" of other markup, nor a byte that would end the name at once.
constexpr std::array<bool, 256> kStartsPlainTag = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[c] = !kEndsName[c] && c != '!' && c != '?' && c != '<';
    }
    return table;
}();

// The first byte c from p on, or end. Most texts and values are a few bytes long,
// shorter than a library call is worth.
const char* findByte(const char* p, const char* end, char c)
{
    const char* shortEnd = end - p > 16 ? p + 16 : end;
    for (; p < shortEnd; ++p) {
        if (*p == c) {
            return p;
        }
    }
    if (p == end) {
        return end;
    }
    const void* found = std::memchr(p, c, static_cast<size_t>(end - p));
    return found != nullptr ? static_cast<const char*>(found) : end;
}

} // namespace

XmlGuard::XmlGuard(ZipEntryDevice& source, const QString& part) : m_source(source), m_part(part)
{
    m_namespaces.reserve(kMaxDepth);
}

XmlGuard::~XmlGuard()
{
    m_source.archive().giveBackElements(m_elementsReserved);
}

QString XmlGuard::failure() const
{
    return m_failure.isEmpty() ? m_source.failure() : m_failure;
}

bool XmlGuard::failed() const
{
    return !m_failure.isEmpty() || !m_source.failure().isEmpty();
}

qint64 XmlGuard::read(char* data, qint64 maxSize)
{
    if (!m_failure.isEmpty()) {
        return -1;
    }
    const qint64 got = m_source.read(data, maxSize);
    if (got < 0) {
        return -1;
    }
    if (!m_source.archive().takeXmlBytes(static_cast<quint64>(got))) {
        stop(QStringLiteral("%1 で XML の量が、読み取った値に見合う上限 (%2 バイト) を超えています")
                 .arg(m_part)
                 .arg(m_source.archive().xmlBytesRead()));
        return -1;
    }
    const char* rest = data;
    qint64 restSize = got;
    if (m_encoding == Encoding::Unknown) {
        // The encoding shows in the first four bytes; until then the bytes are
        // kept and scanned once it is known.
        const qint64 take = std::min<qint64>(restSize, 4 - m_head.size());
        m_head.append(rest, take);
        rest += take;
        restSize -= take;
        if (m_head.size() == 4 || got == 0) {
            if (!detectEncoding(m_head.constData(), m_head.size())) {
                return -1;
            }
        }
    }
    if (restSize > 0 && !scan(rest, restSize)) {
        return -1;
    }
    return got;
}

bool XmlGuard::detectEncoding(const char* data, qint64 size)
{
    const auto starts = [data, size](std::initializer_list<int> bytes) {
        if (size < static_cast<qint64>(bytes.size())) {
            return false;
        }
        qint64 i = 0;
        for (int byte : bytes) {
            if (static_cast<uchar>(data[i++]) != byte) {
                return false;
            }
        }
        return true;
    };
    // As the XML parser tells them: by a byte order mark, else by the form the
    // first "<" takes.
    qint64 skip = 0;
    if (starts({0xEF, 0xBB, 0xBF})) {
        m_encoding = Encoding::Bytes;
        skip = 3;
    } else if (starts({0xFF, 0xFE, 0x00, 0x00}) || starts({0x00, 0x00, 0xFE, 0xFF}) ||
               starts({0x3C, 0x00, 0x00, 0x00}) || starts({0x00, 0x00, 0x00, 0x3C})) {
        return stop(QStringLiteral("%1 の文字コード UTF-32 には対応していません").arg(m_part));
    } else if (starts({0xFF, 0xFE})) {
        m_encoding = Encoding::Utf16LittleEndian;
        skip = 2;
    } else if (starts({0xFE, 0xFF})) {
        m_encoding = Encoding::Utf16BigEndian;
        skip = 2;
    } else if (starts({0x3C, 0x00})) {
        m_encoding = Encoding::Utf16LittleEndian;
    } else if (starts({0x00, 0x3C})) {
        m_encoding = Encoding::Utf16BigEndian;
    } else {
        m_encoding = Encoding::Bytes;
    }
    return scan(data + skip, size - skip);
}

bool XmlGuard::scan(const char* data, qint64 size)
{
    if (m_encoding == Encoding::Bytes) {
        return scanBytes(data, data + size);
    }
    const bool little = m_encoding == Encoding::Utf16LittleEndian;
    for (qint64 i = 0; i < size; ++i) {
        const uchar byte = static_cast<uchar>(data[i]);
        if (m_pendingByte < 0) {
            m_pendingByte = byte;
            continue;
        }
        const char16_t unit = little ? static_cast<char16_t>(m_pendingByte | byte << 8)
                                     : static_cast<char16_t>(m_pendingByte << 8 | byte);
        m_pendingByte = -1;
        if (!step(unit)) {
            return false;
        }
    }
    return true;
}

// The same checks as step() byte by byte, with the runs that make up most of a
// part (texts, values, names, the spaces between attributes) taken at once, and
// plain start and end tags taken from text to text without going through the
// states one byte at a time.
bool XmlGuard::scanBytes(const char* p, const char* end)
{
    while (p < end) {
        switch (m_state) {
        case State::Text:
            if (!scanTextAndTags(p, end)) {
                return false;
            }
            break;
        case State::Value:
            if (!takeValue(p, end)) {
                return false;
            }
            continue;
        case State::TagName:
        case State::InTag:
        case State::AttributeName:
            if (!scanStartTag(p, end)) {
                return false;
            }
            break;
        case State::EndTag:
            if (!takeName(p, end)) {
                return false;
            }
            break;
        default:
            break;
        }
        if (p == end) {
            return true;
        }
        if (!step(static_cast<uchar>(*p++))) {
            return false;
        }
    }
    return true;
}

// Text and the plain tags between texts, as step() would take them. Returns with p
// at the end of the bytes or at a byte step() has to take.
bool XmlGuard::scanTextAndTags(const char*& p, const char* end)
{
    while (p < end) {
        const char* until = findByte(p, end, '<');
        m_tokenLength += until - p;
        m_position += until - p;
        if (m_tokenLength > kMaxTokenLength) {
            return grow(m_tokenLength, "文字列");
        }
        p = until;
        if (p == end) {
            return true;
        }
        ++p;
        ++m_position;
        m_state = State::TagOpen;
        if (p == end) {
            return true;
        }
        if (*p == '/') {
            ++p;
            ++m_position;
            m_state = State::EndTag;
            m_tokenLength = 0;
            if (!takeName(p, end)) {
                return false;
            }
            if (p == end || *p != '>') {
                return true;
            }
            ++p;
            ++m_position;
            m_state = State::Text;
            m_tokenLength = 0;
            if (!closeElement()) {
                return false;
            }
            continue;
        }
        if (!kStartsPlainTag[static_cast<uchar>(*p)]) {
            return true;
        }
        ++p;
        ++m_position;
        m_state = State::TagName;
        m_tokenLength = 1;
        if (!openElement() || !scanStartTag(p, end)) {
            return false;
        }
        if (p == end || (m_state != State::TagName && m_state != State::InTag)) {
            return true;
        }
        if (*p == '>') {
            ++p;
            ++m_position;
        } else if (*p == '/' && end - p >= 2 && p[1] == '>') {
            p += 2;
            m_position += 2;
            if (!closeElement()) {
                return false;
            }
        } else {
            return true;
        }
        m_state = State::Text;
        m_tokenLength = 0;
    }
    return true;
}

// A start tag from its name, an attribute name or the space between attributes
// on, with the checks step() makes, in one loop rather than one state at a time:
// most of a worksheet is start tags with a few short attributes. Returns with p
// at the end of the bytes or at a byte step() has to take (the ">" or "/" that
// ends the tag, or markup that is not well-formed).
bool XmlGuard::scanStartTag(const char*& p, const char* end)
{
    while (p < end) {
        switch (m_state) {
        case State::TagName:
        case State::AttributeName: {
            if (!takeName(p, end)) {
                return false;
            }
            if (p == end) {
                return true;
            }
            if (m_state == State::TagName) {
                if (!isSpace(static_cast<uchar>(*p))) {
                    return true;
                }
                ++p;
                ++m_position;
            }
            m_state = State::InTag;
            break;
        }
        case State::InTag: {
            while (p < end && isSpace(static_cast<uchar>(*p))) {
                ++p;
                ++m_position;
            }
            if (p == end) {
                return true;
            }
            const char c = *p;
            if (c == '>' || c == '/') {
                return true;
            }
            ++p;
            ++m_position;
            if (c == '"' || c == '\'') {
                m_quote = static_cast<uchar>(c);
                m_state = State::Value;
                if (!startValue() || !takeValue(p, end)) {
                    return false;
                }
            } else if (c != '=') {
                m_state = State::AttributeName;
                m_nameLength = 1;
                m_namePrefix[0] = static_cast<uchar>(c);
            }
            break;
        }
        default:
            return true;
        }
    }
    return true;
}

// The bytes of the name being read (of a tag or an attribute) from p on, up to
// the byte that ends it or the end of the bytes, counted as step() would count
// them one by one.
[[gnu::always_inline]] inline bool XmlGuard::takeName(const char*& p, const char* end)
{
    const char* start = p;
    while (p < end && !kEndsName[static_cast<uchar>(*p)]) {
        ++p;
    }
    const qint64 count = p - start;
    m_position += count;
    if (m_state != State::AttributeName) {
        m_tokenLength += count;
        if (m_tokenLength > kMaxNameLength) {
            return nameTooLong("要素名");
        }
        return true;
    }
    for (const char* q = start; q < p && m_nameLength + (q - start) < 6; ++q) {
        m_namePrefix[m_nameLength + (q - start)] = static_cast<uchar>(*q);
    }
    m_nameLength += static_cast<int>(std::min<qint64>(count, kMaxNameLength + 1));
    if (m_nameLength > kMaxNameLength) {
        return nameTooLong("属性名");
    }
    return true;
}

// The bytes of an attribute value from p on, up to its closing quote (taken too,
// back between attributes) or the end of the bytes.
[[gnu::always_inline]] inline bool XmlGuard::takeValue(const char*& p, const char* end)
{
    const char* until = findByte(p, end, static_cast<char>(m_quote));
    m_tokenLength += until - p;
    m_position += until - p;
    if (m_tokenLength > kMaxTokenLength) {
        return grow(m_tokenLength, "属性値");
    }
    p = until;
    if (p < end) {
        ++p;
        ++m_position;
        m_state = State::InTag;
        m_nameLength = 0;
    }
    return true;
}

// Inlined into the scanning loops: it runs for most bytes of markup.
[[gnu::always_inline]] inline bool XmlGuard::step(char16_t c)
{
    const qint64 position = m_position++;
    switch (m_state) {
    case State::Text:
        if (c == u'<') {
            m_state = State::TagOpen;
            return true;
        }
        return grow(m_tokenLength, "文字列");
    case State::TagOpen:
        m_tokenLength = 0;
        if (c == u'/') {
            m_state = State::EndTag;
        } else if (c == u'!') {
            m_state = State::Bang;
        } else if (c == u'?') {
            m_state = State::Instruction;
            m_marks = 0;
            m_inDeclaration = position == 1;
        } else {
            m_state = State::TagName;
            m_tokenLength = 1;
            return openElement();
        }
        return true;
    case State::TagName:
    case State::EndTag:
        if (c == u'>') {
            const bool end = m_state == State::EndTag;
            m_state = State::Text;
            m_tokenLength = 0;
            return !end || closeElement();
        }
        if (m_state == State::TagName && (isSpace(c) || c == u'/')) {
            m_state = c == u'/' ? State::SlashInTag : State::InTag;
            return true;
        }
        if (++m_tokenLength > kMaxNameLength) {
            return nameTooLong("要素名");
        }
        return true;
    case State::AttributeName:
        if (!isSpace(c) && c != u'=' && c != u'>' && c != u'/' && c != u'"' && c != u'\'') {
            if (m_nameLength < 6) {
                m_namePrefix[m_nameLength] = c;
            }
            if (++m_nameLength > kMaxNameLength) {
                return nameTooLong("属性名");
            }
            return true;
        }
        m_state = State::InTag;
        [[fallthrough]];
    case State::InTag:
        if (c == u'>') {
            m_state = State::Text;
            m_tokenLength = 0;
        } else if (c == u'/') {
            m_state = State::SlashInTag;
        } else if (c == u'"' || c == u'\'') {
            m_quote = c;
            m_state = State::Value;
            return startValue();
        } else if (!isSpace(c) && c != u'=') {
            m_state = State::AttributeName;
            m_nameLength = 1;
            m_namePrefix[0] = c;
        }
        return true;
    case State::Value:
        if (c == m_quote) {
            m_state = State::InTag;
            m_nameLength = 0;
            return true;
        }
        return grow(m_tokenLength, "属性値");
    case State::SlashInTag:
        if (c == u'>') {
            m_state = State::Text;
            m_tokenLength = 0;
            return closeElement();
        }
        m_state = State::InTag; // malformed; the XML parser says so
        return true;
    case State::Bang:
        if (c == u'-') {
            m_state = State::BangDash;
            return true;
        }
        if (c == u'[') {
            m_state = State::CData;
            m_marks = 0;
            return true;
        }
        return stop(QStringLiteral("%1 に文書型宣言があります").arg(m_part));
    case State::BangDash:
        m_state = State::Comment; // "<!-" without a second dash is malformed
        m_marks = 0;
        return true;
    case State::Comment:
    case State::CData: {
        const char16_t mark = m_state == State::Comment ? u'-' : u']';
        if (c == u'>' && m_marks >= 2) {
            m_state = State::Text;
            m_tokenLength = 0;
            return true;
        }
        m_marks = c == mark ? m_marks + 1 : 0;
        return grow(m_tokenLength, m_state == State::Comment ? "コメント" : "CDATA セクション");
    }
    case State::Instruction:
        if (c == u'>' && m_marks > 0) {
            m_state = State::Text;
            m_tokenLength = 0;
            if (m_inDeclaration) {
                m_inDeclaration = false;
                return checkDeclaration();
            }
            return true;
        }
        m_marks = c == u'?' ? 1 : 0;
        if (m_inDeclaration) {
            if (m_declaration.size() >= kMaxDeclarationLength) {
                return stop(QStringLiteral("%1 の XML 宣言が長すぎます").arg(m_part));
            }
            m_declaration.append(QChar(c));
        }
        return grow(m_tokenLength, "処理命令");
    }
    return true;
}

bool XmlGuard::openElement()
{
    if (static_cast<int>(m_namespaces.size()) >= kMaxDepth) {
        return stop(
            QStringLiteral("%1 の要素の入れ子が上限 %2 を超えています").arg(m_part).arg(kMaxDepth));
    }
    if (!charge(1)) {
        return false;
    }
    m_namespaces.push_back(0);
    m_attributes = 0;
    m_nameLength = 0;
    return true;
}

bool XmlGuard::closeElement()
{
    // More end tags than start tags are malformed; the XML parser says so.
    if (!m_namespaces.empty()) {
        m_namespacesInScope -= m_namespaces.back();
        m_namespaces.pop_back();
    }
    return true;
}

bool XmlGuard::charge(quint64 elements)
{
    // Elements are taken from the file's budget in blocks, since the budget is
    // shared by the threads reading parts; what a part leaves is given back.
    if (elements <= m_elementsReserved) {
        m_elementsReserved -= elements;
        return true;
    }
    const quint64 needed = elements - m_elementsReserved;
    const quint64 taken =
        m_source.archive().takeElementsUpTo(std::max(needed, kElementBlock), needed);
    if (taken >= needed) {
        m_elementsReserved = taken - needed;
    } else {
        return stop(QStringLiteral("%1 で XML 要素の数が、読み取った値に見合う上限 (%2 個) を"
                                   "超えています")
                        .arg(m_part)
                        .arg(m_source.archive().elementsRead()));
    }
    return true;
}

bool XmlGuard::startValue()
{
    m_tokenLength = 0;
    if (++m_attributes > kMaxAttributes) {
        return stop(QStringLiteral("%1 の要素の属性の数が上限 %2 を超えています")
                        .arg(m_part)
                        .arg(kMaxAttributes));
    }
    // The XML parser compares each attribute with those before it in its tag:
    // the n-th attribute costs about n / 32 elements.
    if (m_attributes >= 32 && !charge(static_cast<quint64>(m_attributes / 32))) {
        return false;
    }
    const auto prefixIs = [this](QStringView text) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (m_namePrefix[i] != text[i].unicode()) {
                return false;
            }
        }
        return true;
    };
    const bool declaration =
        (m_nameLength == 5 && prefixIs(u"xmlns")) || (m_nameLength >= 6 && prefixIs(u"xmlns:"));
    m_nameLength = 0;
    if (declaration && !m_namespaces.empty()) {
        if (!charge(1)) {
            return false;
        }
        ++m_namespaces.back();
        if (++m_namespacesInScope > kMaxNamespaces) {
            return stop(QStringLiteral("%1 の名前空間の宣言が上限 %2 を超えています")
                            .arg(m_part)
                            .arg(kMaxNamespaces));
        }
    }
    return true;
}

bool XmlGuard::nameTooLong(const char* what)
{
    return stop(QStringLiteral("%1 の%2が上限 %3 文字を超えています")
                    .arg(m_part, QString::fromUtf8(what))
                    .arg(kMaxNameLength));
}

bool XmlGuard::grow(qint64& length, const char* what)
{
    if (++length > kMaxTokenLength) {
        return stop(QStringLiteral("%1 の%2が上限 %3 文字を超えています")
                        .arg(m_part, QString::fromUtf8(what))
                        .arg(kMaxTokenLength));
    }
    return true;
}

bool XmlGuard::checkDeclaration()
{
    static const QRegularExpression encodingPattern(
        QStringLiteral("\\bencoding\\s*=\\s*[\"']([^\"']*)[\"']"));
    const QRegularExpressionMatch match = encodingPattern.match(m_declaration);
    if (!match.hasMatch()) {
        return true;
    }
    const QString name = match.captured(1).toLower();
    const bool ok = m_encoding == Encoding::Bytes
                        ? name == u"utf-8" || name == u"us-ascii" || name == u"iso-8859-1"
                        : name == u"utf-16" || name == u"utf-16le" || name == u"utf-16be";
    if (!ok) {
        return stop(QStringLiteral("%1 の文字コード %2 には対応していません")
                        .arg(m_part, match.captured(1).left(40)));
    }
    return true;
}

bool XmlGuard::stop(const QString& why)
{
    m_failure = why;
    return false;
}

} // namespace tavrune

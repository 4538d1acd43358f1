#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace tavrune {

class ZipEntryDevice;

// Passes the bytes of an XML part on to the XML parser after checking them with a
// small scanner of its own, so that the parser never sees markup whose parsing
// costs more than its size: elements nested too deep, start tags with too many
// attributes or namespace declarations, and text, attribute values, names,
// comments or processing instructions too long to hold. Parts in encodings other
// than UTF-8, UTF-16 and Latin-1 are refused, as is any document type declaration.
// Every element, and the attributes and namespace declarations that make a tag
// costly, and every byte are charged to the file's budget of XML work
// (ZipArchive::takeElementsUpTo, takeXmlBytes).
// Reading stops at the first piece that breaks a bound; failure() then says why.
class XmlGuard
{
public:
    static constexpr int kMaxDepth = 256;
    static constexpr int kMaxAttributes = 128;         // per start tag
    static constexpr int kMaxNamespaces = 128;         // declarations in scope
    static constexpr qint64 kMaxTokenLength = 8 << 20; // characters as stored
    static constexpr quint64 kElementBlock = 4096;     // taken from the budget at once

    XmlGuard(ZipEntryDevice& source, const QString& part);
    ~XmlGuard();
    XmlGuard(const XmlGuard&) = delete;
    XmlGuard& operator=(const XmlGuard&) = delete;

    // Up to maxSize checked bytes, as many as the entry gives in one read: 0 at
    // its end, -1 once reading stopped.
    qint64 read(char* data, qint64 maxSize);
    // Empty unless reading stopped at a bound, a damaged entry or a refused construct.
    QString failure() const;
    bool failed() const;

private:
    enum class State : quint8
    {
        Text,
        TagOpen, // after "<"
        TagName, // the name of a start tag
        InTag,   // between attributes
        AttributeName,
        Value,      // an attribute value
        SlashInTag, // after "/" in a start tag
        EndTag,
        Bang,     // after "<!"
        BangDash, // after "<!-"
        Comment,
        CData,
        Instruction, // after "<?"
    };
    enum class Encoding : quint8
    {
        Unknown,
        Bytes, // UTF-8 or Latin-1: markup characters are single bytes
        Utf16LittleEndian,
        Utf16BigEndian,
    };

    bool detectEncoding(const char* data, qint64 size);
    bool scan(const char* data, qint64 size);
    bool scanBytes(const char* p, const char* end);
    bool scanTextAndTags(const char*& p, const char* end);
    bool scanStartTag(const char*& p, const char* end);
    bool step(char16_t c);
    bool takeName(const char*& p, const char* end);
    bool takeValue(const char*& p, const char* end);
    bool openElement();
    bool closeElement();
    bool startValue();
    bool grow(qint64& length, const char* what);
    bool nameTooLong(const char* what);
    bool charge(quint64 elements);
    bool checkDeclaration();
    bool stop(const QString& why);

    ZipEntryDevice& m_source;
    QString m_part;
    QString m_failure;
    Encoding m_encoding = Encoding::Unknown;
    QByteArray m_head;      // the first bytes, until the encoding is known
    int m_pendingByte = -1; // half of a UTF-16 unit split between reads
    State m_state = State::Text;
    char16_t m_quote = 0;
    int m_marks = 0; // "-" in a comment, "]" in CDATA, "?" in an instruction
    int m_attributes = 0;
    bool m_namespaceName = false; // the current attribute name may be "xmlns" or "xmlns:..."
    int m_nameLength = 0;
    char16_t m_namePrefix[6] = {};
    std::vector<int> m_namespaces; // declarations of each open element
    int m_namespacesInScope = 0;
    qint64 m_tokenLength = 0;
    bool m_inDeclaration = false; // inside the XML declaration at the very start
    QString m_declaration;
    qint64 m_position = 0;
    quint64 m_elementsReserved = 0; // taken from the budget, not yet used
};

} // namespace tavrune

#pragma once

#include "workbook/package/xml_namespace.h"

#include <QString>
#include <array>
#include <exception>
#include <memory>
#include <string_view>

struct _xmlParserCtxt;
struct _xmlError;

namespace tavrune {

class ReadAhead;
class XmlGuard;
class ZipArchive;
class ZipEntryDevice;

// The number of UTF-16 code units the UTF-8 bytes of a callback decode to.
qsizetype utf16Length(std::string_view utf8);

// The UTF-8 bytes of a callback as text.
QString utf8Text(std::string_view utf8);

// One attribute as the parser reports it: the local name, its namespace, and the
// value with references decoded, all UTF-8 and valid only during the callback.
struct XmlAttribute
{
    std::string_view name;
    bool plain = true; // in no namespace
    XmlNamespace ns = XmlNamespace::Other;
    std::string_view value;
};

// The value of the attribute in no namespace called name among count attributes;
// empty when there is none.
std::string_view plainAttribute(const XmlAttribute* attributes, int count, std::string_view name);

// What a streaming reader of one part does with what the parser finds. Callbacks
// may throw; the parser stops and rethrows once control is back in C++ code.
class XmlPartHandler
{
public:
    virtual ~XmlPartHandler() = default;
    // ns is the element's namespace; attributes are count entries.
    virtual void startElement(XmlNamespace ns, std::string_view name,
                              const XmlAttribute* attributes, int count) = 0;
    virtual void endElement(XmlNamespace ns, std::string_view name) = 0;
    // Character data, possibly in several pieces per text.
    virtual void characters(std::string_view text) = 0;
};

// Streams one XML part of a package through libxml2's SAX parser, behind the same
// XmlGuard in front, and hands what it finds to a handler. Every part a reader
// reads goes through it, the small ones (relationships, workbook, styles) as the
// large ones (worksheets, shared strings, OpenDocument content): no token is copied
// into a QString unless the handler keeps it. The parser pulls the bytes as it needs
// them, so a part is never held whole. Every failure throws an error naming the file
// and the part.
class SaxPartParser
{
public:
    // Attribute arrays longer than this are refused before the handler sees them;
    // the guard in front refuses such tags already.
    static constexpr int kMaxAttributes = 128;

    // How the bytes reach the parser: read when it asks for them, or read ahead on
    // a thread of the budget from when it has one, which pays for a large part
    // parsed while no other is.
    enum class Input : quint8
    {
        OnDemand,
        ReadAhead,
    };

    // Throws when the part is missing.
    SaxPartParser(ZipArchive& archive, const QString& part, Input input = Input::OnDemand);
    ~SaxPartParser();
    SaxPartParser(const SaxPartParser&) = delete;
    SaxPartParser& operator=(const SaxPartParser&) = delete;

    // Parses the whole part.
    void parse(XmlPartHandler& handler);

    // Ends parsing after the current callback, as complete: the reader has what it
    // needs. The rest of the part is neither read nor checked.
    void finishEarly();

    const QString& part() const { return m_part; } // quoted for messages
    // The part's inflated size as the archive states it.
    quint64 statedSize() const;
    const QString& file() const { return m_file; }
    [[noreturn]] void fail(const QString& why) const;

private:
    static int readInput(void* self, char* buffer, int length);
    static void onStart(void* self, const unsigned char* name, const unsigned char* prefix,
                        const unsigned char* uri, int namespaceCount,
                        const unsigned char** namespaces, int count, int defaulted,
                        const unsigned char** attributes);
    static void onEnd(void* self, const unsigned char* name, const unsigned char* prefix,
                      const unsigned char* uri);
    static void onCharacters(void* self, const unsigned char* text, int length);
    static void onDoctype(void* self, const unsigned char*, const unsigned char*,
                          const unsigned char*);
    static void onError(void* self, _xmlError* error);
    XmlNamespace namespaceOf(const unsigned char* uri);
    // Starts reading ahead when it is wanted and the budget has a thread.
    void startReadAhead();
    void stopWith(std::exception_ptr error);

    std::unique_ptr<ZipEntryDevice> m_device;
    std::unique_ptr<XmlGuard> m_guard;
    std::unique_ptr<ReadAhead> m_readAhead; // null when reading on demand
    _xmlParserCtxt* m_context = nullptr;
    XmlPartHandler* m_handler = nullptr;
    std::array<XmlAttribute, kMaxAttributes> m_attributes; // reused from tag to tag
    // The parser keeps one copy of each namespace URI, so the URIs classified last
    // are recognised by their address. Elements and attributes of a few namespaces
    // alternate, so several are kept.
    struct ClassifiedUri
    {
        const unsigned char* uri = nullptr;
        XmlNamespace ns = XmlNamespace::Other;
    };
    static constexpr size_t kClassifiedUris = 8;
    std::array<ClassifiedUri, kClassifiedUris> m_classifiedUris;
    size_t m_nextClassified = 0; // replaced next, round robin
    std::exception_ptr m_error;
    QString m_firstError; // where and what, of the first syntax error
    bool m_finishedEarly = false;
    bool m_inputFailed = false;
    bool m_readAheadWanted = false; // and not started yet
    QString m_file;
    QString m_part;
};

} // namespace tavrune

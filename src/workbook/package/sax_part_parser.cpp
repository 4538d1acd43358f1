#include "workbook/package/sax_part_parser.h"

#include "common/thread_budget.h"
#include "workbook/package/read_ahead.h"
#include "workbook/package/xml_guard.h"
#include "workbook/package/zip_archive.h"
#include "workbook/quoted_text.h"
#include "workbook/unreadable_file.h"

#include <climits>
#include <cstring>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <system_error>

namespace tavrune {

qsizetype utf16Length(std::string_view utf8)
{
    qsizetype length = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<uchar>(c);
        // Lead bytes start a character; four-byte ones need a surrogate pair.
        length += (byte & 0xC0) != 0x80 ? 1 : 0;
        length += byte >= 0xF0 ? 1 : 0;
    }
    return length;
}

QString utf8Text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string_view plainAttribute(const XmlAttribute* attributes, int count, std::string_view name)
{
    for (int i = 0; i < count; ++i) {
        if (attributes[i].plain && attributes[i].name == name) {
            return attributes[i].value;
        }
    }
    return {};
}

namespace {

std::string_view viewOf(const unsigned char* text)
{
    return std::string_view(reinterpret_cast<const char*>(text));
}

// libxml2 wants one initialisation before parsers are used on several threads.
void initialiseParserOnce()
{
    static const bool initialised = [] {
        xmlInitParser();
        return true;
    }();
    (void)initialised;
}

xmlSAXHandler makeHandler()
{
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    return sax;
}

// "line L column C: message" of a parser error. Only the first line of the
// message is kept (a second one dumps raw bytes), and the names it quotes are
// shortened as every message shortens what a file holds.
QString describeXmlError(const xmlError& error)
{
    QString message = QString::fromUtf8(error.message != nullptr ? error.message : "");
    if (const qsizetype lineEnd = message.indexOf(u'\n'); lineEnd >= 0) {
        message.truncate(lineEnd);
    }
    for (const char* quoted : {error.str1, error.str2, error.str3}) {
        if (quoted == nullptr) {
            continue;
        }
        const QString text = QString::fromUtf8(quoted);
        if (text.size() > kMaxQuotedLength) {
            message.replace(text, quotedText(text));
        }
    }
    return QStringLiteral("%1 行 %2: %3").arg(error.line).arg(error.int2).arg(message.trimmed());
}

} // namespace

SaxPartParser::SaxPartParser(ZipArchive& archive, const QString& part, Input input)
    : m_device(archive.open(part)), m_file(archive.path()), m_part(quotedText(part))
{
    if (!m_device) {
        fail(QStringLiteral("%1 がありません").arg(m_part));
    }
    m_guard = std::make_unique<XmlGuard>(*m_device, m_part);
    m_readAheadWanted = input == Input::ReadAhead;
    startReadAhead();
    initialiseParserOnce();
    xmlSAXHandler sax = makeHandler();
    sax.startElementNs = &SaxPartParser::onStart;
    sax.endElementNs = &SaxPartParser::onEnd;
    sax.characters = &SaxPartParser::onCharacters;
    sax.ignorableWhitespace = &SaxPartParser::onCharacters;
    sax.cdataBlock = &SaxPartParser::onCharacters;
    sax.internalSubset = &SaxPartParser::onDoctype;
    sax.serror = &SaxPartParser::onError;
    m_context = xmlCreateIOParserCtxt(&sax, this, &SaxPartParser::readInput, nullptr, this,
                                      XML_CHAR_ENCODING_NONE);
    if (m_context == nullptr) {
        throw std::bad_alloc();
    }
    // No network, no external entities or DTD loading, and the parser's own size
    // limits kept (no XML_PARSE_HUGE). XML_PARSE_NOENT makes attribute values come
    // with "&amp;" and "&#38;" decoded (otherwise they read "&#38;"); no entity can
    // be declared, as the document type declaration is refused and no declaration
    // handler is set.
    xmlCtxtUseOptions(m_context, XML_PARSE_NONET | XML_PARSE_NOENT);
}

SaxPartParser::~SaxPartParser()
{
    if (m_context != nullptr) {
        xmlFreeParserCtxt(m_context);
    }
}

void SaxPartParser::parse(XmlPartHandler& handler)
{
    m_handler = &handler;
    xmlParseDocument(m_context);
    if (m_readAhead) {
        m_readAhead->stop();
    }
    if (m_error) {
        std::rethrow_exception(m_error);
    }
    if (m_finishedEarly) {
        return;
    }
    // The guard stops for a bound or a damaged entry, possibly only at the end (a
    // CRC), so it is asked before the document counts as complete.
    if (m_inputFailed || m_guard->failed()) {
        const QString failure = m_guard->failure();
        fail(failure.isEmpty() ? QStringLiteral("%1 を読めません").arg(m_part) : failure);
    }
    if (!m_context->wellFormed || !m_context->nsWellFormed) {
        QString where = m_firstError;
        if (where.isEmpty()) {
            const xmlError* error = xmlCtxtGetLastError(m_context);
            where = error != nullptr ? describeXmlError(*error) : QStringLiteral("0 行 0: ");
        }
        fail(QStringLiteral("%1 の XML が不正です (%2)").arg(m_part, where));
    }
}

quint64 SaxPartParser::statedSize() const
{
    return m_device->statedSize();
}

void SaxPartParser::finishEarly()
{
    m_finishedEarly = true;
    xmlStopParser(m_context);
}

void SaxPartParser::fail(const QString& why) const
{
    failUnreadable(m_file, why);
}

void SaxPartParser::stopWith(std::exception_ptr error)
{
    if (!m_error) {
        m_error = std::move(error);
    }
    xmlStopParser(m_context);
}

XmlNamespace SaxPartParser::namespaceOf(const unsigned char* uri)
{
    for (const ClassifiedUri& known : m_classifiedUris) {
        if (known.uri == uri) {
            return known.ns;
        }
    }
    ClassifiedUri& added = m_classifiedUris[m_nextClassified];
    m_nextClassified = (m_nextClassified + 1) % kClassifiedUris;
    added = {uri, classifyXmlNamespace(viewOf(uri))};
    return added.ns;
}

void SaxPartParser::startReadAhead()
{
    if (!m_readAheadWanted || !ThreadBudget::hasSpare()) {
        return;
    }
    m_readAheadWanted = false;
    try {
        m_readAhead = std::make_unique<ReadAhead>(*m_guard);
    } catch (const std::system_error&) {
        // Another took the thread, or none is to be had: the bytes are read when
        // the parser asks.
    }
}

int SaxPartParser::readInput(void* self, char* buffer, int length)
{
    auto* parser = static_cast<SaxPartParser*>(self);
    try {
        // A thread the budget frees while the part is read on demand reads the
        // rest ahead.
        parser->startReadAhead();
        // Reading ahead gives -1 from the read on which the guard stopped.
        const qint64 got = parser->m_readAhead ? parser->m_readAhead->read(buffer, length)
                                               : parser->m_guard->read(buffer, length);
        if (got < 0 || (!parser->m_readAhead && parser->m_guard->failed())) {
            parser->m_inputFailed = true;
            return -1;
        }
        return static_cast<int>(got);
    } catch (...) {
        parser->stopWith(std::current_exception());
        return -1;
    }
}

void SaxPartParser::onStart(void* self, const unsigned char* name, const unsigned char*,
                            const unsigned char* uri, int, const unsigned char**, int count, int,
                            const unsigned char** attributes)
{
    auto* parser = static_cast<SaxPartParser*>(self);
    try {
        if (count > kMaxAttributes) {
            parser->fail(QStringLiteral("%1 の要素の属性の数が上限 %2 を超えています")
                             .arg(parser->m_part)
                             .arg(kMaxAttributes));
        }
        // Each attribute comes as local name, prefix, URI, value start and value end.
        XmlAttribute* list = parser->m_attributes.data();
        for (int i = 0; i < count; ++i) {
            const unsigned char* const* a = attributes + 5 * i;
            XmlAttribute& attribute = list[i];
            attribute.name = viewOf(a[0]);
            attribute.plain = a[2] == nullptr;
            attribute.ns = attribute.plain ? XmlNamespace::Other : parser->namespaceOf(a[2]);
            attribute.value = std::string_view(reinterpret_cast<const char*>(a[3]),
                                               static_cast<size_t>(a[4] - a[3]));
        }
        const XmlNamespace ns = uri == nullptr ? XmlNamespace::Other : parser->namespaceOf(uri);
        parser->m_handler->startElement(ns, viewOf(name), list, count);
    } catch (...) {
        parser->stopWith(std::current_exception());
    }
}

void SaxPartParser::onEnd(void* self, const unsigned char* name, const unsigned char*,
                          const unsigned char* uri)
{
    auto* parser = static_cast<SaxPartParser*>(self);
    try {
        const XmlNamespace ns = uri == nullptr ? XmlNamespace::Other : parser->namespaceOf(uri);
        parser->m_handler->endElement(ns, viewOf(name));
    } catch (...) {
        parser->stopWith(std::current_exception());
    }
}

void SaxPartParser::onCharacters(void* self, const unsigned char* text, int length)
{
    auto* parser = static_cast<SaxPartParser*>(self);
    try {
        parser->m_handler->characters(
            std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(length)));
    } catch (...) {
        parser->stopWith(std::current_exception());
    }
}

void SaxPartParser::onDoctype(void* self, const unsigned char*, const unsigned char*,
                              const unsigned char*)
{
    // The guard refuses a document type declaration before the parser sees one;
    // this stays as the second line of defence against entity expansion.
    auto* parser = static_cast<SaxPartParser*>(self);
    try {
        parser->fail(QStringLiteral("%1 に文書型宣言があります").arg(parser->m_part));
    } catch (...) {
        parser->stopWith(std::current_exception());
    }
}

void SaxPartParser::onError(void* self, _xmlError* error)
{
    // The first error is the one that names the fault: the parser goes on reading
    // after it and later ones only follow from it (an unclosed tag at the end).
    auto* parser = static_cast<SaxPartParser*>(self);
    if (error == nullptr || error->level < XML_ERR_ERROR || !parser->m_firstError.isEmpty()) {
        return;
    }
    try {
        parser->m_firstError = describeXmlError(*error);
    } catch (...) {
        // Out of memory: the error is described from the context afterwards.
    }
}

} // namespace tavrune

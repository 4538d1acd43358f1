#include "workbook/expat_part_parser.h"

#include "workbook/quoted_text.h"
#include "workbook/xml_guard.h"
#include "workbook/zip_archive.h"

#include <expat.h>

namespace tavrune {

namespace {

// Separates a namespace URI from the local name in the names the parser reports. It
// cannot occur in XML text, so no URI can hold it.
constexpr char kNamespaceSeparator = '\x01';
constexpr int kChunkSize = 64 * 1024;

// Splits "uri\x01local" into the namespace and the local name.
std::string_view splitName(const char* name, XlsxNamespace& ns, bool& plain)
{
    const std::string_view full(name);
    const size_t separator = full.find(kNamespaceSeparator);
    if (separator == std::string_view::npos) {
        ns = XlsxNamespace::Other;
        plain = true;
        return full;
    }
    ns = classifyXlsxNamespace(full.substr(0, separator));
    plain = false;
    return full.substr(separator + 1);
}

} // namespace

ExpatPartParser::ExpatPartParser(ZipArchive& archive, const QString& part)
    : m_device(archive.open(part)), m_file(archive.path()), m_part(quotedText(part))
{
    if (!m_device) {
        fail(QStringLiteral("%1 がありません").arg(m_part));
    }
    m_guard = std::make_unique<XmlGuard>(*m_device, m_part);
    m_parser = XML_ParserCreateNS(nullptr, kNamespaceSeparator);
    if (m_parser == nullptr) {
        throw std::bad_alloc();
    }
    XML_SetUserData(m_parser, this);
    XML_SetElementHandler(m_parser, &ExpatPartParser::onStart, &ExpatPartParser::onEnd);
    XML_SetCharacterDataHandler(m_parser, &ExpatPartParser::onCharacters);
    XML_SetStartDoctypeDeclHandler(m_parser, &ExpatPartParser::onDoctype);
}

ExpatPartParser::~ExpatPartParser()
{
    if (m_parser != nullptr) {
        XML_ParserFree(m_parser);
    }
}

void ExpatPartParser::parse(XmlPartHandler& handler)
{
    m_handler = &handler;
    for (;;) {
        void* buffer = XML_GetBuffer(m_parser, kChunkSize);
        if (buffer == nullptr) {
            throw std::bad_alloc();
        }
        const qint64 got = m_guard->read(static_cast<char*>(buffer), kChunkSize);
        // The guard stops for a bound or a damaged entry, possibly only at the end
        // (a CRC), so it is asked before the document counts as complete.
        if (got < 0 || m_guard->failed()) {
            const QString failure = m_guard->failure();
            fail(failure.isEmpty() ? QStringLiteral("%1 を読めません").arg(m_part) : failure);
        }
        const bool last = got == 0;
        const XML_Status status = XML_ParseBuffer(m_parser, static_cast<int>(got), last);
        if (m_error) {
            std::rethrow_exception(m_error);
        }
        if (m_finishedEarly) {
            return;
        }
        if (status != XML_STATUS_OK) {
            fail(QStringLiteral("%1 の XML が不正です (%2 行 %3: %4)")
                     .arg(m_part)
                     .arg(XML_GetCurrentLineNumber(m_parser))
                     .arg(XML_GetCurrentColumnNumber(m_parser))
                     .arg(QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(m_parser)))));
        }
        if (last) {
            return;
        }
    }
}

void ExpatPartParser::finishEarly()
{
    m_finishedEarly = true;
    XML_StopParser(m_parser, XML_FALSE);
}

void ExpatPartParser::fail(const QString& why) const
{
    failXlsx(m_file, why);
}

void ExpatPartParser::stopWith(std::exception_ptr error)
{
    if (!m_error) {
        m_error = std::move(error);
    }
    XML_StopParser(m_parser, XML_FALSE);
}

void ExpatPartParser::onStart(void* self, const char* name, const char** attributes)
{
    auto* parser = static_cast<ExpatPartParser*>(self);
    try {
        XmlAttribute* list = parser->m_attributes.data();
        int count = 0;
        for (const char** a = attributes; a[0] != nullptr; a += 2) {
            if (count == kMaxAttributes) {
                parser->fail(QStringLiteral("%1 の要素の属性の数が上限 %2 を超えています")
                                 .arg(parser->m_part)
                                 .arg(kMaxAttributes));
            }
            XlsxNamespace ns;
            XmlAttribute& attribute = list[count++];
            attribute.name = splitName(a[0], ns, attribute.plain);
            attribute.value = a[1];
        }
        XlsxNamespace ns;
        bool plain;
        const std::string_view local = splitName(name, ns, plain);
        parser->m_handler->startElement(ns, local, list, count);
    } catch (...) {
        parser->stopWith(std::current_exception());
    }
}

void ExpatPartParser::onEnd(void* self, const char* name)
{
    auto* parser = static_cast<ExpatPartParser*>(self);
    try {
        XlsxNamespace ns;
        bool plain;
        const std::string_view local = splitName(name, ns, plain);
        parser->m_handler->endElement(ns, local);
    } catch (...) {
        parser->stopWith(std::current_exception());
    }
}

void ExpatPartParser::onCharacters(void* self, const char* text, int length)
{
    auto* parser = static_cast<ExpatPartParser*>(self);
    try {
        parser->m_handler->characters(std::string_view(text, static_cast<size_t>(length)));
    } catch (...) {
        parser->stopWith(std::current_exception());
    }
}

void ExpatPartParser::onDoctype(void* self, const char*, const char*, const char*, int)
{
    // The guard refuses a document type declaration before the parser sees one;
    // this stays as the second line of defence against entity expansion.
    auto* parser = static_cast<ExpatPartParser*>(self);
    try {
        parser->fail(QStringLiteral("%1 に文書型宣言があります").arg(parser->m_part));
    } catch (...) {
        parser->stopWith(std::current_exception());
    }
}

} // namespace tavrune

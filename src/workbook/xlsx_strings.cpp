#include "workbook/xlsx_strings.h"

#include "workbook/sax_part_parser.h"
#include "workbook/workbook_data.h"
#include "workbook/zip_archive.h"

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

void XlsxStringItem::open(int depth)
{
    m_itemDepth = depth;
    m_textDepth = 0;
    m_skipDepth = 0;
    m_bytes.clear();
    m_length = 0;
}

void XlsxStringItem::startElement(XmlNamespace ns, std::string_view name, int depth)
{
    // Inside a phonetic run, or inside a <t> whose own text alone counts.
    if (m_skipDepth != 0 || m_textDepth != 0 || ns != XmlNamespace::Spreadsheet) {
        return;
    }
    // <t> directly in the item or in a run <r>.
    if (name == "t") {
        m_textDepth = depth;
    } else if (name == "rPh" || name == "phoneticPr") {
        m_skipDepth = depth; // the reading aid, not part of the text
    }
}

bool XlsxStringItem::endElement(int depth)
{
    if (depth == m_skipDepth) {
        m_skipDepth = 0;
    }
    if (depth == m_textDepth) {
        m_textDepth = 0;
    }
    if (depth == m_itemDepth) {
        m_itemDepth = 0;
        return true;
    }
    return false;
}

void XlsxStringItem::characters(std::string_view text, int depth, const SaxPartParser& parser)
{
    if (m_textDepth == 0 || depth != m_textDepth) {
        return;
    }
    // Checked as the text grows, so that a text in many pieces cannot grow past the
    // bound before it is checked.
    m_length += utf16Length(text);
    if (m_length > WorkbookData::kMaxTextLength) {
        failXlsxTextTooLong(parser);
    }
    m_bytes.append(text);
}

QString XlsxStringItem::text() const
{
    return decodeXlsxEscapes(
        QString::fromUtf8(m_bytes.data(), static_cast<qsizetype>(m_bytes.size())));
}

void failXlsxTextTooLong(const SaxPartParser& parser)
{
    parser.fail(QStringLiteral("%1 の文字列が上限 %2 文字を超えています")
                    .arg(parser.part())
                    .arg(WorkbookData::kMaxTextLength));
}

namespace {

class SharedStringsHandler : public XmlPartHandler
{
public:
    SharedStringsHandler(SaxPartParser& parser, ZipArchive& archive, WorkbookData& workbook)
        : m_parser(parser), m_archive(archive), m_workbook(workbook)
    {
    }

    void startElement(XmlNamespace ns, std::string_view name, const XmlAttribute*, int) override
    {
        ++m_depth;
        if (m_item.isOpen()) {
            m_item.startElement(ns, name, m_depth);
        } else if (ns == XmlNamespace::Spreadsheet && name == "si") {
            m_item.open(m_depth);
        }
    }

    void endElement(XmlNamespace, std::string_view) override
    {
        if (m_item.isOpen() && m_item.endElement(m_depth)) {
            const QString text = m_item.text();
            m_workbook.addString(text);
            m_archive.grantForText(text.size(), true);
            ++count;
        }
        --m_depth;
    }

    void characters(std::string_view text) override
    {
        if (m_item.isOpen()) {
            m_item.characters(text, m_depth, m_parser);
        }
    }

    quint32 count = 0;

private:
    SaxPartParser& m_parser;
    ZipArchive& m_archive;
    WorkbookData& m_workbook;
    XlsxStringItem m_item;
    int m_depth = 0;
};

} // namespace

XlsxSharedStrings readXlsxSharedStrings(ZipArchive& archive, const QString& part,
                                        WorkbookData& workbook)
{
    // The shared strings are read before any sheet, while the other cores are
    // idle: one of them inflates and checks the bytes ahead of the parser.
    SaxPartParser parser(archive, part, SaxPartParser::Input::ReadAhead);
    XlsxSharedStrings strings;
    strings.first = static_cast<quint32>(workbook.stringCount());
    SharedStringsHandler handler(parser, archive, workbook);
    parser.parse(handler);
    strings.count = handler.count;
    return strings;
}

} // namespace tavrune

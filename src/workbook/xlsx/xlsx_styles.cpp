#include "workbook/xlsx/xlsx_styles.h"

#include "workbook/number_format.h"
#include "workbook/package/sax_part_parser.h"
#include "workbook/quoted_text.h"
#include "workbook/strict_number.h"

#include <QHash>
#include <climits>

namespace tavrune {

namespace {

// Reads the number formats (<numFmt> of <numFmts>) and the number format of each
// cell format (<xf> of <cellXfs>).
class StylesHandler : public XmlPartHandler
{
public:
    explicit StylesHandler(const SaxPartParser& parser) : m_parser(parser) {}

    void startElement(XmlNamespace ns, std::string_view name, const XmlAttribute* attributes,
                      int count) override;
    void endElement(XmlNamespace ns, std::string_view name) override;
    void characters(std::string_view) override {}

    std::vector<NumberStyle> styles() const;

private:
    void checkCount(qsizetype count) const;
    int formatId(const XmlAttribute* attributes, int count) const;

    const SaxPartParser& m_parser;
    QHash<int, NumberStyle> m_customFormats; // numFmtId -> style of its format code
    std::vector<int> m_formatIds;            // numFmtId of each cell format
    bool m_inNumFmts = false; // <numFmt> also appears in differential formats (<dxfs>)
    bool m_inCellXfs = false;
};

void StylesHandler::startElement(XmlNamespace ns, std::string_view name,
                                 const XmlAttribute* attributes, int count)
{
    if (ns != XmlNamespace::Spreadsheet) {
        return;
    }
    if (name == "numFmts") {
        m_inNumFmts = true;
    } else if (m_inNumFmts && name == "numFmt") {
        checkCount(m_customFormats.size());
        const int id = formatId(attributes, count);
        m_customFormats.insert(
            id, classifyFormatCode(utf8Text(plainAttribute(attributes, count, "formatCode"))));
    } else if (name == "cellXfs") {
        m_inCellXfs = true;
    } else if (m_inCellXfs && name == "xf") {
        checkCount(static_cast<qsizetype>(m_formatIds.size()));
        m_formatIds.push_back(formatId(attributes, count));
    }
}

void StylesHandler::endElement(XmlNamespace ns, std::string_view name)
{
    if (ns != XmlNamespace::Spreadsheet) {
        return;
    }
    if (name == "numFmts") {
        m_inNumFmts = false;
    } else if (name == "cellXfs") {
        m_inCellXfs = false;
    }
}

void StylesHandler::checkCount(qsizetype count) const
{
    if (count >= kMaxXlsxCellFormats) {
        m_parser.fail(QStringLiteral("%1 の書式の数が上限 %2 を超えています")
                          .arg(m_parser.part())
                          .arg(kMaxXlsxCellFormats));
    }
}

// The numFmtId of an element: missing is General (0); anything but a number is damage.
int StylesHandler::formatId(const XmlAttribute* attributes, int count) const
{
    const std::string_view value = plainAttribute(attributes, count, "numFmtId");
    if (value.empty()) {
        return 0;
    }
    const QString text = utf8Text(value);
    const std::optional<quint64> id = parseDecimal(text, INT_MAX);
    if (!id) {
        m_parser.fail(QStringLiteral("%1 の書式番号 \"%2\" が不正です")
                          .arg(m_parser.part(), quotedText(text)));
    }
    return static_cast<int>(*id);
}

// Formats may follow the cell formats in a part, so they are classified once all
// are read.
std::vector<NumberStyle> StylesHandler::styles() const
{
    std::vector<NumberStyle> styles;
    styles.reserve(m_formatIds.size());
    for (int id : m_formatIds) {
        const auto custom = m_customFormats.constFind(id);
        styles.push_back(custom != m_customFormats.constEnd() ? custom.value()
                                                              : classifyBuiltinFormat(id));
    }
    return styles;
}

} // namespace

std::vector<NumberStyle> readXlsxCellStyles(ZipArchive& archive, const QString& part)
{
    SaxPartParser parser(archive, part);
    StylesHandler handler(parser);
    parser.parse(handler);
    return handler.styles();
}

} // namespace tavrune

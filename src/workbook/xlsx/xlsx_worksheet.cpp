#include "workbook/xlsx/xlsx_worksheet.h"

#include "common/parallel_pieces.h"
#include "workbook/cell_address.h"
#include "workbook/package/sax_part_parser.h"
#include "workbook/package/zip_archive.h"
#include "workbook/quoted_text.h"
#include "workbook/strict_number.h"
#include "workbook/xlsx/xlsx_package.h"

#include <QDate>
#include <QTime>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>

namespace tavrune {

namespace {

// The t attribute of a cell.
enum class ValueType : quint8
{
    Number,
    SharedString,
    InlineString,
    FormulaString,
    Boolean,
    Error,
    Date,
};

ValueType parseValueType(std::string_view t)
{
    if (t == "s") {
        return ValueType::SharedString;
    }
    if (t == "inlineStr") {
        return ValueType::InlineString;
    }
    if (t == "str") {
        return ValueType::FormulaString;
    }
    if (t == "b") {
        return ValueType::Boolean;
    }
    if (t == "e") {
        return ValueType::Error;
    }
    if (t == "d") {
        return ValueType::Date;
    }
    return ValueType::Number;
}

// An ISO 8601 date, date and time, or time ("2024-01-31", "2024-01-31T12:30:00.5Z",
// "T12:30:00" or "12:30:00") as a date serial of the workbook's date system.
std::optional<double> isoDateSerial(QStringView text, bool date1904)
{
    text = text.trimmed();
    const qsizetype zone = text.indexOf(u'Z');
    if (zone >= 0) {
        text = text.left(zone); // the serial carries no zone
    }
    QStringView datePart = text;
    QStringView timePart;
    const qsizetype t = text.indexOf(u'T');
    if (t >= 0) {
        datePart = text.left(t);
        timePart = text.mid(t + 1);
    } else if (text.contains(u':')) {
        datePart = {};
        timePart = text;
    }
    double serial = 0;
    if (!datePart.isEmpty()) {
        const QDate date = QDate::fromString(datePart.toString(), Qt::ISODate);
        if (!date.isValid()) {
            return std::nullopt;
        }
        const QDate epoch = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
        serial = static_cast<double>(epoch.daysTo(date));
        // The 1900 system counts a 29 February 1900 that never was.
        if (!date1904 && serial < 61) {
            serial -= 1;
        }
    }
    if (!timePart.isEmpty()) {
        const QTime time = QTime::fromString(timePart.toString(), Qt::ISODateWithMs);
        if (!time.isValid()) {
            return std::nullopt;
        }
        serial += time.msecsSinceStartOfDay() / 86'400'000.0;
    }
    return serial;
}

// Small decimal numbers make up most numeric cells; they are read here without
// building a QString. nullopt when the text needs the general parser.
std::optional<double> quickNumber(std::string_view text)
{
    if (text.empty() || text.size() > 15 || text.front() == '+') {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Plain decimal digits read straight from the bytes; ok is false for anything
// else, which then goes through the general parser.
quint32 quickUnsigned(std::string_view text, bool& ok)
{
    quint32 value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    ok = !text.empty() && error == std::errc() && end == text.data() + text.size();
    return value;
}

std::string_view trimmedBytes(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// An A1 reference of plain ASCII ("B12") read straight from the bytes; anything
// else goes through the general parser.
std::optional<CellAddress> quickCellAddress(std::string_view text)
{
    size_t i = 0;
    quint32 column = 0;
    while (i < text.size() && i < 3 && text[i] >= 'A' && text[i] <= 'Z') {
        column = column * 26 + static_cast<quint32>(text[i] - 'A' + 1);
        ++i;
    }
    const size_t digits = i;
    quint32 row = 0;
    while (i < text.size() && i - digits < 7 && text[i] >= '0' && text[i] <= '9') {
        row = row * 10 + static_cast<quint32>(text[i] - '0');
        ++i;
    }
    if (digits == 0 || i == digits || i != text.size() || text[digits] == '0' || row > kMaxRow ||
        column > kMaxColumn) {
        return parseCellAddress(utf8Text(text));
    }
    return CellAddress{row, static_cast<quint16>(column)};
}

// Worksheet parts from this size on have room for their cells made at once.
constexpr quint64 kReserveFromPartSize = 4 << 20;

// Reads one worksheet part from the parser's events: the rows and cells of
// <sheetData>, each cell's cached value <v>, formula mark <f> and inline string <is>.
class WorksheetHandler : public XmlPartHandler
{
public:
    WorksheetHandler(SaxPartParser& parser, ZipArchive& archive, const XlsxSheetContext& context,
                     XlsxWorkbookSink& sink, SheetData& sheet)
        : m_parser(parser), m_archive(archive), m_context(context), m_sink(sink), m_sheet(sheet)
    {
    }
    ~WorksheetHandler() override { m_archive.grant(m_grantedElements, m_grantedBytes); }

    // Counts the cells not counted yet; call once the part is read.
    void finish() { flush(); }

    void startElement(XmlNamespace ns, std::string_view name, const XmlAttribute* attributes,
                      int count) override;
    void endElement(XmlNamespace ns, std::string_view name) override;
    void characters(std::string_view text) override;

private:
    void startRow(const XmlAttribute* attributes, int count);
    void startCell(const XmlAttribute* attributes, int count);
    void finishCell();
    void addText(quint32 text);
    void addCell(const Cell& cell);
    // Adds a text of a cell to the workbook's pool.
    quint32 keep(const QString& text);
    quint32 emptyText();
    [[noreturn]] void fail(const QString& why) const;
    void flush();

    // Cells gathered before they are counted and granted their work in the budget.
    static constexpr qsizetype kCellBatch = 256;

    SaxPartParser& m_parser;
    ZipArchive& m_archive;
    const XlsxSheetContext& m_context;
    XlsxWorkbookSink& m_sink;
    SheetData& m_sheet;
    qsizetype m_uncountedCells = 0;
    quint64 m_grantedElements = 0;
    quint64 m_grantedBytes = 0;
    int m_depth = 0;
    bool m_inSheetData = false;
    int m_skipDepth = 0;  // of an element inside a cell whose content does not count
    int m_cellDepth = 0;  // of the <c> being read
    int m_valueDepth = 0; // of its <v> being read
    quint32 m_row = 0;    // the current row
    quint16 m_column = 0; // the previous cell's column in the row
    // The cell being read.
    CellAddress m_address;
    ValueType m_type = ValueType::Number;
    NumberStyle m_style = NumberStyle::General;
    bool m_hasValue = false;
    bool m_hasFormula = false;
    bool m_hasInline = false;
    std::string m_value; // the bytes of <v>, reused from cell to cell
    qsizetype m_valueLength = 0;
    XlsxStringItem m_inline;
    QString m_inlineText;
    std::optional<quint32> m_emptyText;
};

void WorksheetHandler::startElement(XmlNamespace ns, std::string_view name,
                                    const XmlAttribute* attributes, int count)
{
    ++m_depth;
    if (m_skipDepth != 0) {
        return;
    }
    if (m_inline.isOpen()) {
        m_inline.startElement(ns, name, m_depth);
        return;
    }
    if (m_cellDepth != 0) {
        // Children of a cell: the cached value, the formula, the inline string; the
        // content of anything else does not count.
        if (ns == XmlNamespace::Spreadsheet && m_valueDepth == 0 && m_depth == m_cellDepth + 1) {
            if (name == "v") {
                m_hasValue = true;
                m_valueDepth = m_depth;
                return;
            }
            if (name == "is") {
                m_inline.open(m_depth);
                return;
            }
            m_hasFormula = m_hasFormula || name == "f";
        }
        m_skipDepth = m_depth;
        return;
    }
    if (ns != XmlNamespace::Spreadsheet) {
        return;
    }
    if (name == "sheetData") {
        m_inSheetData = true;
    } else if (m_inSheetData && name == "row") {
        startRow(attributes, count);
    } else if (m_inSheetData && name == "c") {
        startCell(attributes, count);
    }
}

void WorksheetHandler::endElement(XmlNamespace ns, std::string_view name)
{
    if (m_skipDepth != 0) {
        if (m_depth == m_skipDepth) {
            m_skipDepth = 0;
        }
    } else if (m_inline.isOpen()) {
        if (m_inline.endElement(m_depth)) {
            m_inlineText = m_inline.text();
            m_hasInline = true;
        }
    } else if (m_depth == m_valueDepth) {
        m_valueDepth = 0;
    } else if (m_depth == m_cellDepth) {
        m_cellDepth = 0;
        finishCell();
    } else if (ns == XmlNamespace::Spreadsheet && name == "sheetData") {
        m_inSheetData = false;
    }
    --m_depth;
}

void WorksheetHandler::characters(std::string_view text)
{
    if (m_skipDepth != 0) {
        return;
    }
    if (m_inline.isOpen()) {
        m_inline.characters(text, m_depth, m_parser);
    } else if (m_valueDepth != 0 && m_depth == m_valueDepth) {
        m_valueLength += utf16Length(text);
        if (m_valueLength > WorkbookData::kMaxTextLength) {
            failXlsxTextTooLong(m_parser);
        }
        m_value.append(text);
    }
}

void WorksheetHandler::startRow(const XmlAttribute* attributes, int count)
{
    std::string_view r;
    for (int i = 0; i < count; ++i) {
        if (attributes[i].plain && attributes[i].name == "r") {
            r = attributes[i].value;
        }
    }
    if (r.empty()) {
        // A row without a number follows the previous one.
        if (m_row >= kMaxRow) {
            fail(QStringLiteral("行 %1 の次の行が範囲外です").arg(m_row));
        }
        ++m_row;
    } else {
        bool ok = false;
        quint32 row = quickUnsigned(r, ok);
        if (!ok) {
            row = utf8Text(r).toUInt(&ok);
        }
        if (!ok || row < 1 || row > kMaxRow) {
            fail(QStringLiteral("行番号 \"%1\" が範囲外です").arg(quotedText(utf8Text(r))));
        }
        m_row = row;
    }
    m_column = 0;
    if (m_row > m_context.lastRow) {
        m_parser.finishEarly();
    }
}

void WorksheetHandler::startCell(const XmlAttribute* attributes, int count)
{
    std::string_view ref;
    std::string_view type;
    std::string_view styleIndex;
    bool hasStyle = false;
    for (int i = 0; i < count; ++i) {
        const XmlAttribute& attribute = attributes[i];
        if (!attribute.plain) {
            continue;
        }
        if (attribute.name == "r") {
            ref = attribute.value;
        } else if (attribute.name == "t") {
            type = attribute.value;
        } else if (attribute.name == "s") {
            styleIndex = attribute.value;
            hasStyle = !styleIndex.empty();
        }
    }

    if (!ref.empty()) {
        const std::optional<CellAddress> parsed = quickCellAddress(ref);
        if (!parsed) {
            fail(QStringLiteral("セル参照 \"%1\" が不正か範囲外です")
                     .arg(quotedText(utf8Text(ref))));
        }
        m_address = *parsed;
    } else {
        // A cell without a reference follows the previous cell of its row.
        if (m_row == 0) {
            fail(QStringLiteral("行の外にセルがあります"));
        }
        if (m_column >= kMaxColumn) {
            fail(QStringLiteral("行 %1 の列 %2 の次のセルが範囲外です")
                     .arg(m_row)
                     .arg(columnLetters(m_column)));
        }
        m_address = CellAddress{m_row, static_cast<quint16>(m_column + 1)};
    }
    m_row = m_address.row;
    m_column = m_address.column;
    if (m_row > m_context.lastRow) {
        m_parser.finishEarly();
        return;
    }
    m_type = parseValueType(type);
    m_style = NumberStyle::General;
    if (hasStyle) {
        // An index past the cell formats reads as General; one that is no number
        // is damage, not format 0 (which may be a date).
        const std::optional<quint64> index = parseDecimal(utf8Text(styleIndex), UINT32_MAX);
        if (!index) {
            fail(QStringLiteral("セル %1 のスタイル番号 \"%2\" が不正です")
                     .arg(formatCellAddress(m_address), quotedText(utf8Text(styleIndex))));
        }
        if (*index < m_context.cellStyles.size()) {
            m_style = m_context.cellStyles[static_cast<size_t>(*index)];
        }
    }
    m_cellDepth = m_depth;
    m_value.clear();
    m_valueLength = 0;
    m_hasValue = false;
    m_hasFormula = false;
    m_hasInline = false;
}

void WorksheetHandler::finishCell()
{
    if (!m_hasValue && !m_hasInline) {
        // A formula without a cached result reads as empty text; it still holds
        // something, so it counts for the used rows. Otherwise there is no value.
        if (m_hasFormula) {
            addText(emptyText());
        }
        return;
    }

    Cell cell;
    cell.row = m_address.row;
    cell.column = m_address.column;
    const std::string_view trimmed = trimmedBytes(m_value);
    switch (m_type) {
    case ValueType::SharedString: {
        bool ok = false;
        quint32 index = quickUnsigned(trimmed, ok);
        if (!ok) {
            index = utf8Text(m_value).trimmed().toUInt(&ok);
        }
        const std::optional<quint32> text =
            ok ? m_context.sharedStrings->poolIndex(index) : std::nullopt;
        if (!text) {
            fail(QStringLiteral("セル %1 の共有文字列番号 \"%2\" が範囲外です (共有文字列 %3 個)")
                     .arg(formatCellAddress(m_address), quotedText(utf8Text(m_value)))
                     .arg(m_context.sharedStrings->count()));
        }
        addText(*text);
        return;
    }
    case ValueType::InlineString:
        addText(keep(m_hasInline ? m_inlineText : decodeXlsxEscapes(utf8Text(m_value))));
        return;
    case ValueType::FormulaString:
        addText(keep(decodeXlsxEscapes(utf8Text(m_value))));
        return;
    case ValueType::Error:
        cell.kind = CellKind::Error;
        cell.text = keep(utf8Text(m_value).trimmed());
        break;
    case ValueType::Boolean: {
        const QString value = utf8Text(trimmed);
        cell.kind = CellKind::Boolean;
        cell.number = value == u"1" || value.compare(u"true", Qt::CaseInsensitive) == 0 ? 1 : 0;
        break;
    }
    case ValueType::Date: {
        const QString value = utf8Text(m_value);
        const std::optional<double> serial = isoDateSerial(value, m_context.date1904);
        if (!serial) {
            fail(QStringLiteral("セル %1 の日付 \"%2\" が不正です")
                     .arg(formatCellAddress(m_address), quotedText(value)));
        }
        cell.kind = CellKind::Number;
        cell.style = NumberStyle::Date;
        cell.number = *serial;
        break;
    }
    case ValueType::Number: {
        if (const std::optional<double> quick = quickNumber(trimmed)) {
            cell.number = *quick;
        } else {
            const QString value = utf8Text(m_value).trimmed();
            if (value.isEmpty()) {
                if (m_hasFormula) {
                    addText(emptyText());
                }
                return;
            }
            bool ok = false;
            cell.number = value.toDouble(&ok);
            if (!ok) {
                fail(QStringLiteral("セル %1 の数値 \"%2\" が不正です")
                         .arg(formatCellAddress(m_address), quotedText(value)));
            }
        }
        cell.kind = CellKind::Number;
        cell.style = m_style;
        break;
    }
    }
    addCell(cell);
}

void WorksheetHandler::addText(quint32 text)
{
    Cell cell;
    cell.row = m_address.row;
    cell.column = m_address.column;
    cell.kind = CellKind::Text;
    cell.text = text;
    addCell(cell);
}

void WorksheetHandler::addCell(const Cell& cell)
{
    m_sheet.addCell(cell);
    m_grantedElements += ZipArchive::kElementsPerCell;
    m_grantedBytes += ZipArchive::kXmlBytesPerCell;
    if (++m_uncountedCells == kCellBatch) {
        flush();
    }
}

quint32 WorksheetHandler::keep(const QString& text)
{
    const quint32 index = m_sink.addString(text);
    m_grantedBytes += ZipArchive::kXmlBytesPerCharacter * static_cast<quint64>(text.size());
    return index;
}

quint32 WorksheetHandler::emptyText()
{
    if (!m_emptyText) {
        m_emptyText = m_sink.addString(QString());
    }
    return *m_emptyText;
}

void WorksheetHandler::flush()
{
    m_archive.grant(m_grantedElements, m_grantedBytes);
    m_grantedElements = 0;
    m_grantedBytes = 0;
    m_sink.countCells(m_uncountedCells);
    m_uncountedCells = 0;
}

void WorksheetHandler::fail(const QString& why) const
{
    m_parser.fail(
        QStringLiteral("シート \"%1\" (%2) の%3").arg(m_sheet.name(), m_parser.part(), why));
}

} // namespace

void readXlsxWorksheets(ZipArchive& archive, const std::vector<XlsxSheetPart>& parts,
                        const XlsxSheetContext& context, XlsxWorkbookSink& sink)
{
    // A thread of the budget left over once the sheets have theirs inflates and
    // checks a sheet's bytes ahead of its parser.
    runInParallel(parts.size(), parts.size(), [&](size_t i, size_t) {
        SaxPartParser parser(archive, parts[i].part, SaxPartParser::Input::ReadAhead);
        // A large sheet gets room for its cells at once instead of being copied as
        // it grows: a cell takes 20 bytes of XML at least, and the room that stays
        // unused in so large a block is never touched.
        if (parser.statedSize() >= kReserveFromPartSize) {
            parts[i].sheet->reserveCells(static_cast<qsizetype>(
                std::min<quint64>(parser.statedSize() / 20, WorkbookData::kMaxCells)));
        }
        WorksheetHandler handler(parser, archive, context, sink, *parts[i].sheet);
        parser.parse(handler);
        handler.finish();
        parts[i].sheet->finish();
    });
}

} // namespace tavrune

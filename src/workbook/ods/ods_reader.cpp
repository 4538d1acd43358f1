#include "workbook/ods/ods_reader.h"

#include "common/error.h"
#include "workbook/allocation_failure.h"
#include "workbook/package/sax_part_parser.h"
#include "workbook/package/zip_archive.h"
#include "workbook/quoted_text.h"
#include "workbook/strict_number.h"
#include "workbook/unreadable_file.h"

#include <QDate>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavrune {

namespace {

constexpr QByteArrayView kSpreadsheetMimeType = "application/vnd.oasis.opendocument.spreadsheet";

// Larger repeat counts are refused as damaged, so that counters never overflow;
// anything this large already runs past the sheet's last row or column.
constexpr qint64 kMaxRepeat = qint64(1) << 31;
constexpr qint64 kSecondsPerDay = 86400;

// A count of plain ASCII digits read straight from the bytes; anything else goes
// through the general parser, with the same result.
std::optional<quint64> parseCount(std::string_view text, quint64 max)
{
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return parseDecimal(utf8Text(text), max);
    }
    quint64 value = 0;
    for (const char c : text) {
        const auto digit = static_cast<quint64>(c - '0');
        if (value > (max - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

// A number as the applications write it ("-12.5", "1E-05") read straight from the
// bytes; nullopt when the text needs the general parser (blanks, a plus sign, a
// value out of range). Both round correctly, so they agree.
std::optional<double> quickNumber(std::string_view text)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const size_t digits = !text.empty() && text.front() == '-' ? 1 : 0;
    if (text.size() <= digits || text.size() > 32 || !isDigit(text[digits]) ||
        !isDigit(text.back())) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// "2024-01-05" or "2024-01-05T09:05:03[.fff]" (a trailing zone is ignored) as a
// 1900-system serial. Before 1900-03-01 that system counts from 1899-12-31, as it
// takes 1900 for a leap year.
std::optional<double> parseDateValue(QStringView text)
{
    const qsizetype t = text.indexOf(u'T');
    const QStringView datePart = t < 0 ? text : text.left(t);
    const qsizetype dash1 = datePart.indexOf(u'-');
    const qsizetype dash2 = datePart.indexOf(u'-', dash1 + 1);
    if (dash1 <= 0 || dash2 < 0) {
        return std::nullopt;
    }
    bool okYear = false;
    bool okMonth = false;
    bool okDay = false;
    const QDate date(datePart.left(dash1).toInt(&okYear),
                     datePart.mid(dash1 + 1, dash2 - dash1 - 1).toInt(&okMonth),
                     datePart.mid(dash2 + 1).toInt(&okDay));
    if (!okYear || !okMonth || !okDay || !date.isValid()) {
        return std::nullopt;
    }
    double serial = date >= QDate(1900, 3, 1) ? QDate(1899, 12, 30).daysTo(date)
                                              : QDate(1899, 12, 31).daysTo(date);
    if (t < 0) {
        return serial;
    }
    QStringView timePart = text.mid(t + 1);
    if (timePart.endsWith(u'Z')) {
        timePart.chop(1);
    }
    const qsizetype zone = std::max(timePart.indexOf(u'+'), timePart.indexOf(u'-'));
    if (zone >= 0) {
        timePart.truncate(zone);
    }
    const auto parts = timePart.split(u':');
    if (parts.size() != 3) {
        return std::nullopt;
    }
    bool okHours = false;
    bool okMinutes = false;
    bool okSeconds = false;
    const double seconds = parts[0].toInt(&okHours) * 3600.0 + parts[1].toInt(&okMinutes) * 60.0 +
                           parts[2].toDouble(&okSeconds);
    if (!okHours || !okMinutes || !okSeconds) {
        return std::nullopt;
    }
    return serial + seconds / kSecondsPerDay;
}

// An ISO 8601 duration such as "PT09H05M03S", "PT36H00M00.5S" or "-P1DT2H" as a
// fraction of a day: weeks and days, then "T" and hours, minutes and seconds, each
// at most once and in that order, a fraction only on the last. Years and months
// have no fixed length and are refused.
std::optional<double> parseDuration(QStringView text)
{
    const bool negative = text.startsWith(u'-');
    if (negative) {
        text = text.mid(1);
    }
    if (!text.startsWith(u'P')) {
        return std::nullopt;
    }
    struct Unit
    {
        char16_t letter;
        bool inTime;
        double seconds;
    };
    static constexpr Unit kUnits[] = {
        {u'W', false, 7.0 * kSecondsPerDay},
        {u'D', false, double(kSecondsPerDay)},
        {u'H', true, 3600},
        {u'M', true, 60},
        {u'S', true, 1},
    };
    double seconds = 0;
    bool inTime = false;
    bool timeComponent = false;
    int next = 0; // the first unit still allowed
    qsizetype i = 1;
    while (i < text.size()) {
        if (text[i] == u'T') {
            if (inTime) {
                return std::nullopt;
            }
            inTime = true;
            ++i;
            continue;
        }
        const qsizetype start = i;
        bool fraction = false;
        while (i < text.size() && (text[i].isDigit() || (text[i] == u'.' && !fraction))) {
            fraction = fraction || text[i] == u'.';
            ++i;
        }
        if (i == start || i == text.size()) {
            return std::nullopt;
        }
        bool ok = false;
        const double value = text.mid(start, i - start).toDouble(&ok);
        const QChar letter = text[i++];
        int unit = next;
        while (unit < int(std::size(kUnits)) &&
               (kUnits[unit].letter != letter || kUnits[unit].inTime != inTime)) {
            ++unit;
        }
        if (!ok || unit == int(std::size(kUnits)) || (fraction && i != text.size())) {
            return std::nullopt;
        }
        seconds += value * kUnits[unit].seconds;
        timeComponent = timeComponent || inTime;
        next = unit + 1;
    }
    if (next == 0 || (inTime && !timeComponent)) {
        return std::nullopt; // "P", "PT" or "P1DT": nothing, or nothing after "T"
    }
    return (negative ? -seconds : seconds) / kSecondsPerDay;
}

// The office:value-type of a cell, as far as it tells how the cell reads.
enum class ValueType : quint8
{
    None, // absent or unknown: the cell's paragraphs, if any
    Number,
    Date,
    Time,
    Boolean,
    String,
};

ValueType parseValueType(std::string_view type)
{
    if (type == "float" || type == "percentage" || type == "currency") {
        return ValueType::Number;
    }
    if (type == "date") {
        return ValueType::Date;
    }
    if (type == "time") {
        return ValueType::Time;
    }
    if (type == "boolean") {
        return ValueType::Boolean;
    }
    if (type == "string") {
        return ValueType::String;
    }
    return ValueType::None;
}

// The first attribute ns:name of a start tag; null when the tag has none.
const XmlAttribute* findAttribute(const XmlAttribute* attributes, int count, XmlNamespace ns,
                                  std::string_view name)
{
    for (int i = 0; i < count; ++i) {
        if (attributes[i].ns == ns && attributes[i].name == name) {
            return &attributes[i];
        }
    }
    return nullptr;
}

// Reads content.xml from the parser's events into the workbook, in one pass: the
// tables of office:spreadsheet, their rows (also inside header rows and row
// groups), and each cell's value or paragraphs.
class ContentHandler : public XmlPartHandler
{
public:
    ContentHandler(SaxPartParser& parser, ZipArchive& archive, WorkbookData& workbook,
                   quint32 lastRow)
        : m_parser(parser), m_archive(archive), m_workbook(workbook), m_lastRow(lastRow)
    {
    }

    bool foundSpreadsheet() const { return m_foundSpreadsheet; }

    void startElement(XmlNamespace ns, std::string_view name, const XmlAttribute* attributes,
                      int count) override;
    void endElement(XmlNamespace ns, std::string_view name) override;
    void characters(std::string_view text) override;

private:
    // The innermost element read, as far as it matters.
    enum class Level : quint8
    {
        Document, // outside office:spreadsheet
        Spreadsheet,
        Table,
        Row,
        Cell,
        Paragraph,
    };

    void startTable(const XmlAttribute* attributes, int count);
    void startRow(const XmlAttribute* attributes, int count);
    void finishRow();
    void startCell(const XmlAttribute* attributes, int count);
    void finishCell();
    bool startInParagraph(XmlNamespace ns, std::string_view name, const XmlAttribute* attributes,
                          int count);
    qint64 repeatCount(const XmlAttribute* attribute) const;
    void growText(qint64 adding) const;
    void appendText(char c, qint64 count);
    QString text() const { return utf8Text(m_text); }
    Cell makeCell();
    void emitRow(qint64 repeat);
    quint32 addString(const QString& text);
    [[noreturn]] void failAtCell(const QString& what, std::string_view value) const;

    SaxPartParser& m_parser;
    ZipArchive& m_archive;
    WorkbookData& m_workbook;
    const qint64 m_lastRow; // rows below are skipped
    bool m_foundSpreadsheet = false;
    Level m_level = Level::Document;
    int m_depth = 0;     // elements open
    int m_skipDepth = 0; // of an element whose content does not count
    // The depth at which each level's element opened.
    int m_spreadsheetDepth = 0;
    int m_tableDepth = 0;
    int m_rowDepth = 0;
    int m_cellDepth = 0;
    int m_paragraphDepth = 0;

    SheetData* m_sheet = nullptr;
    qint64 m_row = 1;             // the row the next table:table-row starts at
    qint64 m_column = 1;          // the column the next cell starts at
    qint64 m_rowRepeat = 1;       // of the current row
    std::vector<Cell> m_rowCells; // value cells of the current row, row not yet set
    // Characters of the current row's texts, repeated cells counted each time, and
    // of the copies among them.
    qint64 m_rowCharacters = 0;
    qint64 m_rowCopiedCharacters = 0;
    qint64 m_cellCount = 0;
    qint64 m_repeatedRows = 0; // copies of rows holding a value

    // The cell being read: its attributes, and its paragraphs as UTF-8.
    qint64 m_cellRepeat = 1;
    ValueType m_type = ValueType::None;
    bool m_error = false;    // calcext:value-type="error"
    bool m_hasValue = false; // the value attribute of the type is present
    std::string m_value;
    std::string m_text;
    qint64 m_textLength = 0; // in UTF-16 code units, as the bound counts
    bool m_hasText = false;  // the cell has a paragraph, possibly empty
};

void ContentHandler::startElement(XmlNamespace ns, std::string_view name,
                                  const XmlAttribute* attributes, int count)
{
    ++m_depth;
    if (m_skipDepth != 0) {
        return;
    }
    switch (m_level) {
    case Level::Document:
        // Descend through the document and its body only; styles, scripts and
        // font declarations are skipped whole.
        if (ns == XmlNamespace::Office) {
            if (name == "document-content" || name == "body") {
                return;
            }
            if (name == "spreadsheet") {
                m_foundSpreadsheet = true;
                m_level = Level::Spreadsheet;
                m_spreadsheetDepth = m_depth;
                return;
            }
        }
        break;
    case Level::Spreadsheet:
        if (ns == XmlNamespace::Table && name == "table") {
            startTable(attributes, count);
            return;
        }
        break;
    case Level::Table:
        if (ns == XmlNamespace::Table) {
            if (name == "table-row") {
                if (m_row > m_lastRow) {
                    break;
                }
                startRow(attributes, count);
                return;
            }
            // Header rows, row groups (nested) and table:table-rows only wrap rows;
            // they are entered rather than skipped.
            if (name == "table-header-rows" || name == "table-row-group" || name == "table-rows") {
                return;
            }
        }
        break;
    case Level::Row:
        // A cell covered by a merge keeps the value stored in it, as in the other
        // formats.
        if (ns == XmlNamespace::Table && (name == "table-cell" || name == "covered-table-cell")) {
            startCell(attributes, count);
            return;
        }
        break;
    case Level::Cell:
        // The cell's own paragraphs; annotations, shapes and anything else inside
        // the cell are skipped.
        if (ns == XmlNamespace::Text && name == "p") {
            if (m_hasText) {
                appendText('\n', 1);
            }
            m_hasText = true;
            m_level = Level::Paragraph;
            m_paragraphDepth = m_depth;
            return;
        }
        break;
    case Level::Paragraph:
        if (!startInParagraph(ns, name, attributes, count)) {
            return;
        }
        break;
    }
    m_skipDepth = m_depth;
}

void ContentHandler::endElement(XmlNamespace, std::string_view)
{
    if (m_skipDepth != 0) {
        if (m_depth == m_skipDepth) {
            m_skipDepth = 0;
        }
    } else if (m_level == Level::Paragraph && m_depth == m_paragraphDepth) {
        m_level = Level::Cell;
    } else if (m_level == Level::Cell && m_depth == m_cellDepth) {
        finishCell();
    } else if (m_level == Level::Row && m_depth == m_rowDepth) {
        finishRow();
    } else if (m_level == Level::Table && m_depth == m_tableDepth) {
        m_sheet->finish();
        m_sheet = nullptr;
        m_level = Level::Spreadsheet;
    } else if (m_level == Level::Spreadsheet && m_depth == m_spreadsheetDepth) {
        m_level = Level::Document;
    }
    --m_depth;
}

void ContentHandler::characters(std::string_view text)
{
    if (m_skipDepth != 0 || m_level != Level::Paragraph) {
        return;
    }
    const qsizetype length = utf16Length(text);
    growText(length);
    m_text.append(text);
    m_textLength += length;
}

void ContentHandler::startTable(const XmlAttribute* attributes, int count)
{
    const XmlAttribute* name = findAttribute(attributes, count, XmlNamespace::Table, "name");
    m_sheet = &m_workbook.addSheet(name != nullptr ? utf8Text(name->value) : QString());
    m_row = 1;
    m_level = Level::Table;
    m_tableDepth = m_depth;
}

void ContentHandler::startRow(const XmlAttribute* attributes, int count)
{
    m_rowRepeat =
        repeatCount(findAttribute(attributes, count, XmlNamespace::Table, "number-rows-repeated"));
    m_column = 1;
    m_rowCells.clear();
    m_rowCharacters = 0;
    m_rowCopiedCharacters = 0;
    m_level = Level::Row;
    m_rowDepth = m_depth;
}

void ContentHandler::finishRow()
{
    if (!m_rowCells.empty()) {
        emitRow(m_rowRepeat);
    }
    // Empty rows, however many, only move the position on.
    m_row = std::min<qint64>(m_row + m_rowRepeat, qint64(kMaxRow) + 1);
    m_level = Level::Table;
}

qint64 ContentHandler::repeatCount(const XmlAttribute* attribute) const
{
    if (attribute == nullptr) {
        return 1;
    }
    const std::optional<quint64> count = parseCount(attribute->value, kMaxRepeat);
    if (!count || *count == 0) {
        failAtCell(QStringLiteral("繰り返し数"), attribute->value);
    }
    return static_cast<qint64>(*count);
}

void ContentHandler::startCell(const XmlAttribute* attributes, int count)
{
    const XmlAttribute* repeat = nullptr;
    const XmlAttribute* type = nullptr;
    const XmlAttribute* calcType = nullptr;
    // The value attributes of the types, by ValueType.
    const XmlAttribute* values[int(ValueType::String) + 1] = {};
    const auto keepFirst = [](const XmlAttribute*& kept, const XmlAttribute& attribute) {
        if (kept == nullptr) {
            kept = &attribute;
        }
    };
    for (int i = 0; i < count; ++i) {
        const XmlAttribute& attribute = attributes[i];
        const std::string_view name = attribute.name;
        if (attribute.ns == XmlNamespace::Office) {
            if (name == "value-type") {
                keepFirst(type, attribute);
            } else if (name == "value") {
                keepFirst(values[int(ValueType::Number)], attribute);
            } else if (name == "string-value") {
                keepFirst(values[int(ValueType::String)], attribute);
            } else if (name == "date-value") {
                keepFirst(values[int(ValueType::Date)], attribute);
            } else if (name == "time-value") {
                keepFirst(values[int(ValueType::Time)], attribute);
            } else if (name == "boolean-value") {
                keepFirst(values[int(ValueType::Boolean)], attribute);
            }
        } else if (attribute.ns == XmlNamespace::Table && name == "number-columns-repeated") {
            keepFirst(repeat, attribute);
        } else if (attribute.ns == XmlNamespace::CalcExtension && name == "value-type") {
            keepFirst(calcType, attribute);
        }
    }
    m_cellRepeat = repeatCount(repeat);
    m_type = type != nullptr ? parseValueType(type->value) : ValueType::None;
    m_error = calcType != nullptr && calcType->value == "error";
    // The value is checked when the cell ends, after its paragraphs, so that a
    // text past its bound is reported first.
    const XmlAttribute* value = values[int(m_type)];
    m_hasValue = value != nullptr;
    m_value.assign(value != nullptr ? value->value : std::string_view());
    m_text.clear();
    m_textLength = 0;
    m_hasText = false;
    m_level = Level::Cell;
    m_cellDepth = m_depth;
}

void ContentHandler::finishCell()
{
    m_level = Level::Row;
    const qint64 first = m_column;
    Cell cell = makeCell();
    // Empty cells, however many, only move the position on.
    m_column = std::min<qint64>(m_column + m_cellRepeat, qint64(kMaxColumn) + 1);
    if (cell.kind == CellKind::Empty) {
        return;
    }
    // Granted once per cell element: repeats cost no parsing.
    m_archive.grantForCell();
    if (first + m_cellRepeat - 1 > kMaxColumn) {
        m_parser.fail(
            QStringLiteral("シート \"%1\" の %2 行目 %3 列目に値があり、列の上限 %4 を超えています")
                .arg(m_sheet->name())
                .arg(m_row)
                .arg(std::max<qint64>(first, qint64(kMaxColumn) + 1))
                .arg(kMaxColumn));
    }
    if (cell.kind == CellKind::Text || cell.kind == CellKind::Error) {
        const qint64 length = m_workbook.string(cell.text).size();
        m_rowCharacters += length * m_cellRepeat;
        m_rowCopiedCharacters += length * (m_cellRepeat - 1);
    }
    for (qint64 column = first; column < first + m_cellRepeat; ++column) {
        cell.column = static_cast<quint16>(column);
        m_rowCells.push_back(cell);
    }
}

Cell ContentHandler::makeCell()
{
    Cell cell;
    if (m_error) {
        cell.kind = CellKind::Error;
        cell.text = addString(text());
        return cell;
    }
    switch (m_type) {
    case ValueType::Number: {
        const std::optional<double> quick = quickNumber(m_value);
        bool ok = quick.has_value();
        cell.number = ok ? *quick : utf8Text(m_value).toDouble(&ok);
        if (!ok || !std::isfinite(cell.number)) {
            failAtCell(QStringLiteral("数値"), m_value);
        }
        cell.kind = CellKind::Number;
        break;
    }
    case ValueType::Date: {
        const std::optional<double> serial = parseDateValue(utf8Text(m_value));
        if (!serial) {
            failAtCell(QStringLiteral("日付"), m_value);
        }
        cell.kind = CellKind::Number;
        cell.style = NumberStyle::Date;
        cell.number = *serial;
        break;
    }
    case ValueType::Time: {
        const std::optional<double> days = parseDuration(utf8Text(m_value));
        if (!days) {
            failAtCell(QStringLiteral("時刻"), m_value);
        }
        cell.kind = CellKind::Number;
        cell.style = NumberStyle::Time;
        cell.number = *days;
        break;
    }
    case ValueType::Boolean:
        if (m_value != "true" && m_value != "false" && m_value != "1" && m_value != "0") {
            failAtCell(QStringLiteral("真偽値"), m_value);
        }
        cell.kind = CellKind::Boolean;
        cell.number = m_value == "true" || m_value == "1" ? 1 : 0;
        break;
    case ValueType::String:
        // An explicit string value wins over the displayed paragraphs.
        cell.kind = CellKind::Text;
        cell.text = addString(m_hasValue ? utf8Text(m_value) : text());
        break;
    case ValueType::None:
        if (m_textLength > 0) {
            cell.kind = CellKind::Text;
            cell.text = addString(text());
        }
        break;
    }
    return cell;
}

bool ContentHandler::startInParagraph(XmlNamespace ns, std::string_view name,
                                      const XmlAttribute* attributes, int count)
{
    if (ns == XmlNamespace::Text) {
        if (name == "s") {
            const XmlAttribute* c = findAttribute(attributes, count, XmlNamespace::Text, "c");
            const std::optional<quint64> spaces =
                c == nullptr ? 1 : parseCount(c->value, kMaxRepeat);
            if (!spaces) {
                failAtCell(QStringLiteral("空白の数"), c->value);
            }
            appendText(' ', std::max<qint64>(1, static_cast<qint64>(*spaces)));
            return true;
        }
        if (name == "tab" || name == "line-break") {
            appendText(name == "tab" ? '\t' : '\n', 1);
            return true;
        }
    }
    // Spans, links and other inline elements keep their text.
    return (ns == XmlNamespace::Office && name == "annotation") || ns == XmlNamespace::Drawing;
}

void ContentHandler::growText(qint64 adding) const
{
    // Checked before growing, so that a space count in the file cannot make a
    // huge text.
    if (adding > WorkbookData::kMaxTextLength ||
        m_textLength + adding > WorkbookData::kMaxTextLength) {
        m_parser.fail(
            QStringLiteral("シート \"%1\" の %2 行目 %3 列目の文字列が上限 %4 文字を超えています")
                .arg(m_sheet->name())
                .arg(m_row)
                .arg(m_column)
                .arg(WorkbookData::kMaxTextLength));
    }
}

void ContentHandler::appendText(char c, qint64 count)
{
    growText(count);
    m_text.append(static_cast<size_t>(count), c);
    m_textLength += count;
}

void ContentHandler::emitRow(qint64 repeat)
{
    if (m_row + repeat - 1 > kMaxRow) {
        m_parser.fail(
            QStringLiteral("シート \"%1\" の %2 行目に値があり、行の上限 %3 を超えています")
                .arg(m_sheet->name())
                .arg(std::max<qint64>(m_row, qint64(kMaxRow) + 1))
                .arg(kMaxRow));
    }
    // Checked before expanding, so that a small file repeating many values is
    // refused at once.
    const qint64 adding = static_cast<qint64>(m_rowCells.size()) * repeat;
    if (m_cellCount + adding > WorkbookData::kMaxCells) {
        m_parser.fail(QStringLiteral("シート \"%1\" の %2 行目でセルの数が上限 %3 を超えています")
                          .arg(m_sheet->name())
                          .arg(m_row)
                          .arg(WorkbookData::kMaxCells));
    }
    m_cellCount += adding;
    // Empty rows cost nothing however often they repeat, but each copy of a row
    // holding a value costs the later commands what a row written out would.
    m_repeatedRows += repeat - 1;
    if (m_repeatedRows > WorkbookData::kMaxRepeatedRows) {
        m_parser.fail(QStringLiteral("シート \"%1\" の %2 行目で、値のある行の繰り返しが上限 %3 "
                                     "行を超えています")
                          .arg(m_sheet->name())
                          .arg(m_row)
                          .arg(WorkbookData::kMaxRepeatedRows));
    }
    // Cannot overflow: after the checks above, at most kMaxRepeatedRows copies of
    // 16,384 texts of at most a million characters.
    m_workbook.countTextLength(m_rowCopiedCharacters + m_rowCharacters * (repeat - 1));
    const qint64 end = std::min(m_row + repeat, m_lastRow + 1);
    for (qint64 row = m_row; row < end; ++row) {
        for (Cell cell : m_rowCells) {
            cell.row = static_cast<quint32>(row);
            m_workbook.addCell(*m_sheet, cell);
        }
    }
}

quint32 ContentHandler::addString(const QString& text)
{
    const quint32 index = m_workbook.addString(text);
    m_archive.grantForText(text.size(), false);
    return index;
}

void ContentHandler::failAtCell(const QString& what, std::string_view value) const
{
    m_parser.fail(QStringLiteral("シート \"%1\" の %2 行目 %3 列目の%4 \"%5\" が不正です")
                      .arg(m_sheet->name())
                      .arg(m_row)
                      .arg(m_column)
                      .arg(what, quotedText(utf8Text(value))));
}

WorkbookData readOdsPackage(const QString& path, quint32 lastRow)
{
    ZipArchive archive(path);
    // The mimetype entry is optional; when present it must name a spreadsheet.
    // Only its start is read: a longer entry cannot match anyway.
    if (std::unique_ptr<ZipEntryDevice> entry = archive.open(QStringLiteral("mimetype"))) {
        const QByteArray mimeType = entry->read(256).trimmed();
        if (mimeType != kSpreadsheetMimeType) {
            failUnreadable(
                path, QStringLiteral("OpenDocument の表計算ファイルではありません (mimetype: %1)")
                          .arg(quotedText(QString::fromUtf8(mimeType))));
        }
    }
    // All sheets are in this one part, so reading ahead gains a thread's work.
    SaxPartParser parser(archive, QStringLiteral("content.xml"), SaxPartParser::Input::ReadAhead);
    WorkbookData workbook(path);
    ContentHandler handler(parser, archive, workbook, lastRow);
    parser.parse(handler);
    if (!handler.foundSpreadsheet()) {
        parser.fail(
            QStringLiteral("content.xml に表計算のデータ (office:spreadsheet) がありません"));
    }
    return workbook;
}

} // namespace

WorkbookData readOdsWorkbook(const QString& path)
{
    return readOdsWorkbookUpToRow(path, kMaxRow);
}

WorkbookData readOdsWorkbookUpToRow(const QString& path, quint32 lastRow)
{
    return readReportingAllocationFailure(path, [&] { return readOdsPackage(path, lastRow); });
}

} // namespace tavrune

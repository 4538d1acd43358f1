#include "workbook/ods_reader.h"

#include "common/error.h"
#include "workbook/allocation_failure.h"
#include "workbook/quoted_text.h"
#include "workbook/strict_number.h"
#include "workbook/xml_guard.h"
#include "workbook/zip_archive.h"

#include <QDate>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace tavrune {

namespace {

constexpr QStringView kOfficeNs = u"urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr QStringView kTableNs = u"urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr QStringView kTextNs = u"urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr QStringView kDrawNs = u"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0";
constexpr QStringView kCalcExtNs =
    u"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0";
constexpr QByteArrayView kSpreadsheetMimeType = "application/vnd.oasis.opendocument.spreadsheet";

// Larger repeat counts are refused as damaged, so that counters never overflow;
// anything this large already runs past the sheet's last row or column.
constexpr qint64 kMaxRepeat = qint64(1) << 31;
constexpr qint64 kSecondsPerDay = 86400;

[[noreturn]] void fail(const QString& path, const QString& why)
{
    throw Error(ErrorNumber::ApplicationDefined,
                QStringLiteral("ファイル \"%1\" を読み込めません: %2").arg(path, why));
}

// The value of an attribute matched by namespace URI and local name, whatever its
// prefix; null when the element has no such attribute.
QStringView attributeValue(const QXmlStreamAttributes& attributes, QStringView ns, QStringView name)
{
    for (const QXmlStreamAttribute& attribute : attributes) {
        if (attribute.name() == name && attribute.namespaceUri() == ns) {
            // Never null, so that a present but empty value differs from none.
            return attribute.value().isNull() ? QStringView(u"") : attribute.value();
        }
    }
    return {};
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

// Reads content.xml in one streaming pass into the workbook.
class ContentReader
{
public:
    ContentReader(const QString& path, ZipEntryDevice& device, WorkbookData& workbook)
        : m_path(path), m_archive(device.archive()), m_guard(device, m_part), m_xml(&m_guard),
          m_workbook(workbook)
    {
    }

    void read();

private:
    QXmlStreamReader::TokenType next() { return readNextToken(m_xml, m_guard, m_path, m_part); }
    bool isElement(QStringView ns, QStringView name) const
    {
        return m_xml.name() == name && m_xml.namespaceUri() == ns;
    }
    void skipElement();
    void readSpreadsheet();
    void readTable();
    void readRow();
    void readCell();
    qint64 repeatCount(const QXmlStreamAttributes& attributes, QStringView name) const;
    void readParagraph(QString& text);
    void appendText(QString& text, QStringView more, qsizetype count = 1);
    Cell makeCell(const QXmlStreamAttributes& attributes, const QString& text, bool hasText);
    void emitRow(qint64 repeat);
    quint32 addString(const QString& text);
    [[noreturn]] void failAtCell(const QString& what, QStringView value) const;

    const QString& m_path;
    ZipArchive& m_archive;
    const QString m_part = QStringLiteral("content.xml");
    XmlGuard m_guard;
    QXmlStreamReader m_xml;
    WorkbookData& m_workbook;
    SheetData* m_sheet = nullptr;
    qint64 m_row = 1;             // the row the next table:table-row starts at
    qint64 m_column = 1;          // the column the next cell starts at
    std::vector<Cell> m_rowCells; // value cells of the current row, row not yet set
    qint64 m_cellCount = 0;
};

void ContentReader::read()
{
    bool found = false;
    for (;;) {
        const QXmlStreamReader::TokenType token = next();
        if (token == QXmlStreamReader::EndDocument) {
            break;
        }
        if (token != QXmlStreamReader::StartElement) {
            continue;
        }
        // Descend through the document and its body only; styles, scripts and
        // font declarations are skipped whole.
        if (isElement(kOfficeNs, u"document-content") || isElement(kOfficeNs, u"body")) {
            continue;
        }
        if (isElement(kOfficeNs, u"spreadsheet")) {
            found = true;
            readSpreadsheet();
        } else {
            skipElement();
        }
    }
    if (!found) {
        fail(m_path,
             QStringLiteral("content.xml に表計算のデータ (office:spreadsheet) がありません"));
    }
}

void ContentReader::skipElement()
{
    for (int depth = 1; depth > 0;) {
        const QXmlStreamReader::TokenType token = next();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
}

void ContentReader::readSpreadsheet()
{
    for (;;) {
        const QXmlStreamReader::TokenType token = next();
        if (token == QXmlStreamReader::EndElement) {
            return;
        }
        if (token == QXmlStreamReader::StartElement) {
            if (isElement(kTableNs, u"table")) {
                readTable();
            } else {
                skipElement();
            }
        }
    }
}

void ContentReader::readTable()
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    m_sheet = &m_workbook.addSheet(attributeValue(attributes, kTableNs, u"name").toString());
    m_row = 1;
    // Header rows, row groups (nested) and table:table-rows only wrap rows; they
    // are entered rather than skipped.
    int containers = 0;
    for (;;) {
        const QXmlStreamReader::TokenType token = next();
        if (token == QXmlStreamReader::EndElement) {
            if (containers == 0) {
                break;
            }
            --containers;
        } else if (token == QXmlStreamReader::StartElement) {
            if (m_xml.namespaceUri() != kTableNs) {
                skipElement();
                continue;
            }
            const QStringView element = m_xml.name();
            if (element == u"table-row") {
                readRow();
            } else if (element == u"table-header-rows" || element == u"table-row-group" ||
                       element == u"table-rows") {
                ++containers;
            } else {
                skipElement();
            }
        }
    }
    m_sheet->finish();
    m_sheet = nullptr;
}

void ContentReader::readRow()
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    const qint64 repeat = repeatCount(attributes, u"number-rows-repeated");
    m_column = 1;
    m_rowCells.clear();
    for (;;) {
        const QXmlStreamReader::TokenType token = next();
        if (token == QXmlStreamReader::EndElement) {
            break;
        }
        if (token != QXmlStreamReader::StartElement) {
            continue;
        }
        // A cell covered by a merge keeps the value stored in it, as in the other
        // formats.
        if (isElement(kTableNs, u"table-cell") || isElement(kTableNs, u"covered-table-cell")) {
            readCell();
        } else {
            skipElement();
        }
    }
    if (!m_rowCells.empty()) {
        emitRow(repeat);
    }
    // Empty rows, however many, only move the position on.
    m_row = std::min<qint64>(m_row + repeat, qint64(kMaxRow) + 1);
}

qint64 ContentReader::repeatCount(const QXmlStreamAttributes& attributes, QStringView name) const
{
    const QStringView value = attributeValue(attributes, kTableNs, name);
    if (value.isNull()) {
        return 1;
    }
    const std::optional<quint64> count = parseDecimal(value, kMaxRepeat);
    if (!count || *count == 0) {
        failAtCell(QStringLiteral("繰り返し数"), value);
    }
    return static_cast<qint64>(*count);
}

void ContentReader::readCell()
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    const qint64 repeat = repeatCount(attributes, u"number-columns-repeated");

    // The cell's own paragraphs; annotations, shapes and anything else inside the
    // cell are skipped.
    QString text;
    bool hasText = false;
    for (;;) {
        const QXmlStreamReader::TokenType token = next();
        if (token == QXmlStreamReader::EndElement) {
            break;
        }
        if (token != QXmlStreamReader::StartElement) {
            continue;
        }
        if (isElement(kTextNs, u"p")) {
            if (hasText) {
                appendText(text, u"\n");
            }
            hasText = true;
            readParagraph(text);
        } else {
            skipElement();
        }
    }

    const qint64 first = m_column;
    Cell cell = makeCell(attributes, text, hasText);
    // Empty cells, however many, only move the position on.
    m_column = std::min<qint64>(m_column + repeat, qint64(kMaxColumn) + 1);
    if (cell.kind == CellKind::Empty) {
        return;
    }
    // Granted once per cell element: repeats cost no parsing.
    m_archive.grantForCell();
    if (first + repeat - 1 > kMaxColumn) {
        fail(m_path, QStringLiteral(
                         "シート \"%1\" の %2 行目 %3 列目に値があり、列の上限 %4 を超えています")
                         .arg(m_sheet->name())
                         .arg(m_row)
                         .arg(std::max<qint64>(first, qint64(kMaxColumn) + 1))
                         .arg(kMaxColumn));
    }
    for (qint64 column = first; column < first + repeat; ++column) {
        cell.column = static_cast<quint16>(column);
        m_rowCells.push_back(cell);
    }
}

Cell ContentReader::makeCell(const QXmlStreamAttributes& attributes, const QString& text,
                             bool hasText)
{
    Cell cell;
    const QStringView type = attributeValue(attributes, kOfficeNs, u"value-type");
    if (attributeValue(attributes, kCalcExtNs, u"value-type") == u"error") {
        cell.kind = CellKind::Error;
        cell.text = addString(text);
    } else if (type == u"float" || type == u"percentage" || type == u"currency") {
        const QStringView value = attributeValue(attributes, kOfficeNs, u"value");
        bool ok = false;
        cell.number = value.toDouble(&ok);
        if (!ok || !std::isfinite(cell.number)) {
            failAtCell(QStringLiteral("数値"), value);
        }
        cell.kind = CellKind::Number;
    } else if (type == u"date") {
        const QStringView value = attributeValue(attributes, kOfficeNs, u"date-value");
        const std::optional<double> serial = parseDateValue(value);
        if (!serial) {
            failAtCell(QStringLiteral("日付"), value);
        }
        cell.kind = CellKind::Number;
        cell.style = NumberStyle::Date;
        cell.number = *serial;
    } else if (type == u"time") {
        const QStringView value = attributeValue(attributes, kOfficeNs, u"time-value");
        const std::optional<double> days = parseDuration(value);
        if (!days) {
            failAtCell(QStringLiteral("時刻"), value);
        }
        cell.kind = CellKind::Number;
        cell.style = NumberStyle::Time;
        cell.number = *days;
    } else if (type == u"boolean") {
        const QStringView value = attributeValue(attributes, kOfficeNs, u"boolean-value");
        if (value != u"true" && value != u"false" && value != u"1" && value != u"0") {
            failAtCell(QStringLiteral("真偽値"), value);
        }
        cell.kind = CellKind::Boolean;
        cell.number = value == u"true" || value == u"1" ? 1 : 0;
    } else if (type == u"string") {
        // An explicit string value wins over the displayed paragraphs.
        const QStringView stringValue = attributeValue(attributes, kOfficeNs, u"string-value");
        cell.kind = CellKind::Text;
        cell.text = addString(stringValue.isNull() ? text : stringValue.toString());
    } else if (hasText && !text.isEmpty()) {
        cell.kind = CellKind::Text;
        cell.text = addString(text);
    }
    return cell;
}

void ContentReader::readParagraph(QString& text)
{
    int depth = 0; // inline elements open inside the paragraph
    for (;;) {
        switch (next()) {
        case QXmlStreamReader::StartElement:
            if (m_xml.namespaceUri() == kTextNs) {
                const QStringView element = m_xml.name();
                if (element == u"s") {
                    const QXmlStreamAttributes attributes = m_xml.attributes();
                    const QStringView value = attributeValue(attributes, kTextNs, u"c");
                    const std::optional<quint64> count =
                        value.isNull() ? 1 : parseDecimal(value, kMaxRepeat);
                    if (!count) {
                        failAtCell(QStringLiteral("空白の数"), value);
                    }
                    appendText(text, u" ", std::max<qint64>(1, static_cast<qint64>(*count)));
                    skipElement();
                    break;
                }
                if (element == u"tab" || element == u"line-break") {
                    appendText(text, element == u"tab" ? u"\t" : u"\n");
                    skipElement();
                    break;
                }
            }
            if (isElement(kOfficeNs, u"annotation") || m_xml.namespaceUri() == kDrawNs) {
                skipElement();
                break;
            }
            ++depth; // spans, links and other inline elements keep their text
            break;
        case QXmlStreamReader::EndElement:
            if (depth == 0) {
                return;
            }
            --depth;
            break;
        case QXmlStreamReader::Characters:
            appendText(text, m_xml.text());
            break;
        default:
            break;
        }
    }
}

void ContentReader::appendText(QString& text, QStringView more, qsizetype count)
{
    // Checked before growing, so that a space count in the file cannot make a
    // huge text.
    if (count > WorkbookData::kMaxTextLength ||
        text.size() + more.size() * count > WorkbookData::kMaxTextLength) {
        fail(m_path,
             QStringLiteral("シート \"%1\" の %2 行目 %3 列目の文字列が上限 %4 文字を超えています")
                 .arg(m_sheet->name())
                 .arg(m_row)
                 .arg(m_column)
                 .arg(WorkbookData::kMaxTextLength));
    }
    for (qsizetype i = 0; i < count; ++i) {
        text += more;
    }
}

void ContentReader::emitRow(qint64 repeat)
{
    if (m_row + repeat - 1 > kMaxRow) {
        fail(m_path,
             QStringLiteral("シート \"%1\" の %2 行目に値があり、行の上限 %3 を超えています")
                 .arg(m_sheet->name())
                 .arg(std::max<qint64>(m_row, qint64(kMaxRow) + 1))
                 .arg(kMaxRow));
    }
    // Checked before expanding, so that a small file repeating many values is
    // refused at once.
    const qint64 adding = static_cast<qint64>(m_rowCells.size()) * repeat;
    if (m_cellCount + adding > WorkbookData::kMaxCells) {
        fail(m_path, QStringLiteral("シート \"%1\" の %2 行目でセルの数が上限 %3 を超えています")
                         .arg(m_sheet->name())
                         .arg(m_row)
                         .arg(WorkbookData::kMaxCells));
    }
    m_cellCount += adding;
    for (qint64 row = m_row; row < m_row + repeat; ++row) {
        for (Cell cell : m_rowCells) {
            cell.row = static_cast<quint32>(row);
            m_workbook.addCell(*m_sheet, cell);
        }
    }
}

quint32 ContentReader::addString(const QString& text)
{
    const quint32 index = m_workbook.addString(text);
    m_archive.grantForText(text.size(), false);
    return index;
}

void ContentReader::failAtCell(const QString& what, QStringView value) const
{
    fail(m_path, QStringLiteral("シート \"%1\" の %2 行目 %3 列目の%4 \"%5\" が不正です")
                     .arg(m_sheet->name())
                     .arg(m_row)
                     .arg(m_column)
                     .arg(what, quotedText(value)));
}

WorkbookData readOdsPackage(const QString& path)
{
    ZipArchive archive(path);
    // The mimetype entry is optional; when present it must name a spreadsheet.
    // Only its start is read: a longer entry cannot match anyway.
    if (std::unique_ptr<ZipEntryDevice> entry = archive.open(QStringLiteral("mimetype"))) {
        const QByteArray mimeType = entry->read(256).trimmed();
        if (mimeType != kSpreadsheetMimeType) {
            fail(path, QStringLiteral("OpenDocument の表計算ファイルではありません (mimetype: %1)")
                           .arg(quotedText(QString::fromUtf8(mimeType))));
        }
    }
    std::unique_ptr<ZipEntryDevice> content = archive.open(QStringLiteral("content.xml"));
    if (!content) {
        fail(path, QStringLiteral("content.xml がありません"));
    }
    WorkbookData workbook(path);
    ContentReader(path, *content, workbook).read();
    return workbook;
}

} // namespace

WorkbookData readOdsWorkbook(const QString& path)
{
    return readReportingAllocationFailure(path, [&path] { return readOdsPackage(path); });
}

} // namespace tavrune

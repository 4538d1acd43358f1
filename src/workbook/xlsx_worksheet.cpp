#include "workbook/xlsx_worksheet.h"

#include "workbook/cell_address.h"
#include "workbook/quoted_text.h"
#include "workbook/strict_number.h"
#include "workbook/xlsx_package.h"
#include "workbook/zip_archive.h"

#include <QDate>
#include <QTime>
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

ValueType parseValueType(QStringView t)
{
    if (t == u"s") {
        return ValueType::SharedString;
    }
    if (t == u"inlineStr") {
        return ValueType::InlineString;
    }
    if (t == u"str") {
        return ValueType::FormulaString;
    }
    if (t == u"b") {
        return ValueType::Boolean;
    }
    if (t == u"e") {
        return ValueType::Error;
    }
    if (t == u"d") {
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

class WorksheetReader
{
public:
    WorksheetReader(ZipArchive& archive, const QString& part, const XlsxSheetContext& context,
                    WorkbookData& workbook, SheetData& sheet)
        : m_reader(archive, part), m_archive(archive), m_context(context), m_workbook(workbook),
          m_sheet(sheet)
    {
    }

    void read();

private:
    void startRow();
    void readCell();
    void addText(CellAddress address, quint32 text);
    void addCell(const Cell& cell);
    // Adds a text of a cell to the workbook's pool.
    quint32 keep(const QString& text);
    quint32 emptyText();
    [[noreturn]] void fail(const QString& why) const;

    XlsxPartReader m_reader;
    ZipArchive& m_archive;
    const XlsxSheetContext& m_context;
    WorkbookData& m_workbook;
    SheetData& m_sheet;
    quint32 m_row = 0;    // the current row
    quint16 m_column = 0; // the previous cell's column in the row
    QString m_value;      // the text of <v>, reused from cell to cell
    std::optional<quint32> m_emptyText;
};

void WorksheetReader::read()
{
    bool inSheetData = false;
    while (m_reader.next() != QXmlStreamReader::EndDocument) {
        const QXmlStreamReader::TokenType token = m_reader.xml().tokenType();
        if (token == QXmlStreamReader::StartElement) {
            if (m_reader.elementNamespace() != XlsxNamespace::Main) {
                continue;
            }
            const QStringView name = m_reader.xml().name();
            if (name == u"sheetData") {
                inSheetData = true;
            } else if (inSheetData && name == u"row") {
                startRow();
            } else if (inSheetData && name == u"c") {
                readCell();
            }
        } else if (token == QXmlStreamReader::EndElement &&
                   m_reader.isEnd(XlsxNamespace::Main, u"sheetData")) {
            inSheetData = false;
        }
    }
}

void WorksheetReader::startRow()
{
    const QStringView r = m_reader.xml().attributes().value(QLatin1String("r"));
    if (r.isEmpty()) {
        // A row without a number follows the previous one.
        if (m_row >= kMaxRow) {
            fail(QStringLiteral("行 %1 の次の行が範囲外です").arg(m_row));
        }
        ++m_row;
    } else {
        bool ok = false;
        const quint32 row = r.toUInt(&ok);
        if (!ok || row < 1 || row > kMaxRow) {
            fail(QStringLiteral("行番号 \"%1\" が範囲外です").arg(quotedText(r)));
        }
        m_row = row;
    }
    m_column = 0;
}

void WorksheetReader::readCell()
{
    QStringView ref;
    QStringView type;
    QStringView styleIndex;
    const QXmlStreamAttributes attributes = m_reader.xml().attributes();
    for (const QXmlStreamAttribute& attribute : attributes) {
        if (!attribute.namespaceUri().isEmpty()) {
            continue;
        }
        const QStringView name = attribute.name();
        if (name == u"r") {
            ref = attribute.value();
        } else if (name == u"t") {
            type = attribute.value();
        } else if (name == u"s") {
            styleIndex = attribute.value();
        }
    }

    CellAddress address;
    if (!ref.isEmpty()) {
        const std::optional<CellAddress> parsed = parseCellAddress(ref);
        if (!parsed) {
            fail(QStringLiteral("セル参照 \"%1\" が不正か範囲外です").arg(quotedText(ref)));
        }
        address = *parsed;
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
        address = CellAddress{m_row, static_cast<quint16>(m_column + 1)};
    }
    m_row = address.row;
    m_column = address.column;
    const ValueType valueType = parseValueType(type);
    NumberStyle style = NumberStyle::General;
    if (!styleIndex.isEmpty()) {
        // An index past the cell formats reads as General; one that is no number
        // is damage, not format 0 (which may be a date).
        const std::optional<quint64> index = parseDecimal(styleIndex, UINT32_MAX);
        if (!index) {
            fail(QStringLiteral("セル %1 のスタイル番号 \"%2\" が不正です")
                     .arg(formatCellAddress(address), quotedText(styleIndex)));
        }
        if (*index < m_context.cellStyles.size()) {
            style = m_context.cellStyles[static_cast<size_t>(*index)];
        }
    }

    // Children: the cached value <v>, the formula <f>, the inline string <is>.
    m_value.resize(0);
    bool hasValue = false;
    bool hasFormula = false;
    std::optional<QString> inlineText;
    while (m_reader.next() != QXmlStreamReader::EndElement) {
        if (m_reader.xml().tokenType() != QXmlStreamReader::StartElement) {
            continue;
        }
        const QStringView name = m_reader.xml().name();
        if (m_reader.elementNamespace() != XlsxNamespace::Main) {
            m_reader.skipElement();
        } else if (name == u"v") {
            hasValue = true;
            m_reader.appendElementText(m_value);
        } else if (name == u"is") {
            inlineText = readXlsxStringItem(m_reader);
        } else {
            hasFormula = hasFormula || name == u"f";
            m_reader.skipElement();
        }
    }

    if (!hasValue && !inlineText) {
        // A formula without a cached result reads as empty text; it still holds
        // something, so it counts for the used rows. Otherwise there is no value.
        if (hasFormula) {
            addText(address, emptyText());
        }
        return;
    }

    Cell cell;
    cell.row = address.row;
    cell.column = address.column;
    switch (valueType) {
    case ValueType::SharedString: {
        bool ok = false;
        const quint32 index = QStringView(m_value).trimmed().toUInt(&ok);
        if (!ok || index >= m_context.sharedStrings.count) {
            fail(QStringLiteral("セル %1 の共有文字列番号 \"%2\" が範囲外です (共有文字列 %3 個)")
                     .arg(formatCellAddress(address), quotedText(m_value))
                     .arg(m_context.sharedStrings.count));
        }
        addText(address, m_context.sharedStrings.first + index);
        return;
    }
    case ValueType::InlineString:
        addText(address, keep(inlineText ? *inlineText : decodeXlsxEscapes(m_value)));
        return;
    case ValueType::FormulaString:
        addText(address, keep(decodeXlsxEscapes(m_value)));
        return;
    case ValueType::Error:
        cell.kind = CellKind::Error;
        cell.text = keep(m_value.trimmed());
        break;
    case ValueType::Boolean: {
        const QStringView value = QStringView(m_value).trimmed();
        cell.kind = CellKind::Boolean;
        cell.number = value == u"1" || value.compare(u"true", Qt::CaseInsensitive) == 0 ? 1 : 0;
        break;
    }
    case ValueType::Date: {
        const std::optional<double> serial = isoDateSerial(m_value, m_context.date1904);
        if (!serial) {
            fail(QStringLiteral("セル %1 の日付 \"%2\" が不正です")
                     .arg(formatCellAddress(address), quotedText(m_value)));
        }
        cell.kind = CellKind::Number;
        cell.style = NumberStyle::Date;
        cell.number = *serial;
        break;
    }
    case ValueType::Number: {
        const QStringView value = QStringView(m_value).trimmed();
        if (value.isEmpty()) {
            if (hasFormula) {
                addText(address, emptyText());
            }
            return;
        }
        bool ok = false;
        cell.number = value.toDouble(&ok);
        if (!ok) {
            fail(QStringLiteral("セル %1 の数値 \"%2\" が不正です")
                     .arg(formatCellAddress(address), quotedText(value)));
        }
        cell.kind = CellKind::Number;
        cell.style = style;
        break;
    }
    }
    addCell(cell);
}

void WorksheetReader::addText(CellAddress address, quint32 text)
{
    Cell cell;
    cell.row = address.row;
    cell.column = address.column;
    cell.kind = CellKind::Text;
    cell.text = text;
    addCell(cell);
}

void WorksheetReader::addCell(const Cell& cell)
{
    m_workbook.addCell(m_sheet, cell);
    m_archive.grantForCell();
}

quint32 WorksheetReader::keep(const QString& text)
{
    const quint32 index = m_workbook.addString(text);
    m_archive.grantForText(text.size(), false);
    return index;
}

quint32 WorksheetReader::emptyText()
{
    if (!m_emptyText) {
        m_emptyText = m_workbook.addString(QString());
    }
    return *m_emptyText;
}

void WorksheetReader::fail(const QString& why) const
{
    m_reader.fail(
        QStringLiteral("シート \"%1\" (%2) の%3").arg(m_sheet.name(), m_reader.part(), why));
}

} // namespace

void readXlsxWorksheet(ZipArchive& archive, const QString& part, const XlsxSheetContext& context,
                       WorkbookData& workbook, SheetData& sheet)
{
    WorksheetReader reader(archive, part, context, workbook, sheet);
    reader.read();
    sheet.finish();
}

} // namespace tavrune

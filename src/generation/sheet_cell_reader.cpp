#include "generation/sheet_cell_reader.h"

#include "common/error.h"
#include "workbook/cell_address.h"

#include <algorithm>

namespace tavrune {

namespace {

// A failed read, told with the format field that named the cell.
Error fieldError(const Error& error, FormatField field)
{
    return Error(error.number(), QStringLiteral("書式の「%1」から読めません: %2")
                                     .arg(formatFieldName(field), error.description()));
}

} // namespace

SheetCellReader::SheetCellReader(WorkbookConnection& connection, const WorksheetHandle& sheet,
                                 const Observer* observer)
    : m_connection(connection), m_sheet(sheet), m_observer(observer)
{
}

QString SheetCellReader::cell(const QString& reference, FormatField field)
{
    try {
        QString value = m_connection.cellValue(m_sheet, reference);
        if (m_observer) {
            (*m_observer)(reference, value);
        }
        return value;
    } catch (const Error& error) {
        throw fieldError(error, field);
    }
}

QString SheetCellReader::columnCell(const QString& columnLetters, qint64 row, FormatField field)
{
    // Plain letters and a row in range read the cell by its numbers; anything else
    // goes through the A1 reference, which reports what is wrong with it. A
    // preview observing the reads is told the reference as written.
    if (m_observer == nullptr && row >= 1 && row <= kMaxRow) {
        if (const std::optional<quint16> column = columnOf(columnLetters)) {
            try {
                return m_connection.cellValueAt(m_sheet,
                                                CellAddress{static_cast<quint32>(row), *column});
            } catch (const Error& error) {
                throw fieldError(error, field);
            }
        }
    }
    return cell(columnLetters + QString::number(row), field);
}

std::optional<quint16> SheetCellReader::columnOf(const QString& letters)
{
    // The format's fields are passed for every row: the same shared text, found by
    // its address before any text is compared.
    for (const auto& [known, column] : m_columns) {
        if (known.constData() == letters.constData() && known.size() == letters.size()) {
            return column;
        }
    }
    for (const auto& [known, column] : m_columns) {
        if (known == letters) {
            return column;
        }
    }
    std::optional<quint16> column;
    if (!letters.isEmpty() && letters.size() <= 3 &&
        std::all_of(letters.begin(), letters.end(),
                    [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); })) {
        if (const std::optional<CellAddress> address = parseCellAddress(letters + u'1')) {
            column = address->column;
        }
    }
    m_columns.emplace_back(letters, column);
    return column;
}

std::unique_ptr<WorkbookConnection> SheetCellReader::connectionForThread() const
{
    if (m_observer != nullptr) {
        return nullptr;
    }
    return m_connection.sheetReader();
}

qint32 SheetCellReader::lastUsedRow()
{
    return m_connection.lastUsedRow(m_sheet);
}

} // namespace tavrune

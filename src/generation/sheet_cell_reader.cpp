#include "generation/sheet_cell_reader.h"

#include "common/error.h"

namespace tavrune {

SheetCellReader::SheetCellReader(WorkbookConnection& connection, const WorksheetHandle& sheet,
                                 const Observer* observer)
    : m_connection(connection), m_sheet(sheet), m_observer(observer)
{
}

QString SheetCellReader::cell(const QString& reference, FormatField field)
{
    try {
        QString value = m_connection.CellValue(m_sheet, reference);
        if (m_observer) {
            (*m_observer)(reference, value);
        }
        return value;
    } catch (const Error& error) {
        throw Error(error.number(), QStringLiteral("書式の「%1」から読めません: %2")
                                        .arg(formatFieldName(field), error.description()));
    }
}

QString SheetCellReader::columnCell(const QString& columnLetters, qint64 row, FormatField field)
{
    return cell(columnLetters + QString::number(row), field);
}

qint32 SheetCellReader::lastUsedRow()
{
    return m_connection.LastUsedRow(m_sheet);
}

} // namespace tavrune

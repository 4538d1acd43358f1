#include "generation/sheet_cell_reader.h"

#include "common/error.h"

namespace tavrune {

QString formatFieldCaption(FormatField field)
{
    switch (field) {
    case FormatField::TableName:
        return QStringLiteral("ﾃｰﾌﾞﾙ名称のｾﾙ");
    case FormatField::TableTitle:
        return QStringLiteral("ﾃｰﾌﾞﾙﾀｲﾄﾙのｾﾙ");
    case FormatField::RowTitle:
        return QStringLiteral("項目ﾀｲﾄﾙの列");
    case FormatField::RowType:
        return QStringLiteral("ﾃﾞｰﾀ型の列");
    case FormatField::RowLength:
        return QStringLiteral("Length の列");
    case FormatField::RowScale:
        return QStringLiteral("Scale の列");
    case FormatField::Index:
        return QStringLiteral("Index の列");
    case FormatField::NotNull:
        return QStringLiteral("NOT NULL の列");
    case FormatField::Default:
        return QStringLiteral("Default の列");
    case FormatField::Comment:
        return QStringLiteral("Comment の列");
    case FormatField::Etc1:
        return QStringLiteral("その他1のｾﾙ");
    case FormatField::Etc2:
        return QStringLiteral("その他2のｾﾙ");
    case FormatField::Etc3:
        return QStringLiteral("その他3のｾﾙ");
    case FormatField::Etc4:
        return QStringLiteral("その他4のｾﾙ");
    }
    return {};
}

SheetCellReader::SheetCellReader(WorkbookConnection& connection, const WorksheetHandle& sheet)
    : m_connection(connection), m_sheet(sheet)
{
}

QString SheetCellReader::cell(const QString& reference, FormatField field)
{
    try {
        return m_connection.CellValue(m_sheet, reference);
    } catch (const Error& error) {
        throw Error(error.number(), QStringLiteral("書式の「%1」から読めません: %2")
                                        .arg(formatFieldCaption(field), error.description()));
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

#include "schema/table_definition.h"

#include "generation/generation_run.h"
#include "generation/row_lines.h"
#include "generation/text_rules.h"
#include "settings/setting_fields.h"

#include <QFileInfo>

namespace tavrune {

QStringList TableDefinition::key() const
{
    QStringList titles;
    for (const ColumnDefinition& column : columns) {
        if (column.key) {
            titles.append(column.title);
        }
    }
    return titles;
}

QString TableDefinition::place(FormatField field, qint64 row) const
{
    QString cell = formatFieldText(format, field);
    if (row > 0) {
        cell += QString::number(row);
    }
    return sheet + u'!' + cell;
}

TableDefinition readTableDefinition(WorkbookConnection& connection, const WorksheetHandle& sheet,
                                    const FormatSetting& format)
{
    SheetCellReader cells(connection, sheet);
    TableDefinition table;
    table.sheet = connection.sheetName(sheet);
    table.format = format;
    table.name = cells.cell(format.TableName, FormatField::TableName);
    table.title = cells.cell(format.TableTitle, FormatField::TableTitle);
    // The rows are walked as the column lines walk them, one after the other.
    makeRowLines(
        cells, format, false,
        [&](SheetCellReader& reader) -> RowLineMaker {
            return [&](qint64 row) -> std::optional<QString> {
                ColumnDefinition column;
                column.row = row;
                column.title = reader.columnCell(format.RowTitle, row, FormatField::RowTitle);
                column.type = readColumnType(reader, format, row);
                column.notNull =
                    markMatches(reader.columnCell(format.NotNull, row, FormatField::NotNull),
                                format.StrNotNull);
                column.defaultValue = reader.columnCell(format.Default, row, FormatField::Default);
                column.comment = reader.columnCell(format.Comment, row, FormatField::Comment);
                column.key = markMatches(reader.columnCell(format.Index, row, FormatField::Index),
                                         format.StrIndex);
                table.columns.push_back(std::move(column));
                return std::nullopt;
            };
        },
        nullptr);
    constexpr FormatField kEtcFields[] = {FormatField::Etc1, FormatField::Etc2, FormatField::Etc3,
                                          FormatField::Etc4};
    for (size_t n = 0; n < table.extra.size(); ++n) {
        table.extra[n] = cells.cell(format.Etc[n], kEtcFields[n]);
    }
    return table;
}

std::vector<TableDefinition> readWorkbookDefinitions(WorkbookConnection& connection,
                                                     const FormatSetting& format)
{
    std::vector<TableDefinition> tables;
    for (const WorksheetHandle& sheet : connection.activeWorkbookSheets()) {
        tables.push_back(readTableDefinition(connection, sheet, format));
    }
    return tables;
}

std::vector<TableDefinition> readWorkbookFileDefinitions(const QString& path,
                                                         const FormatSetting& typed,
                                                         const FileWorkbookSource::Reader& reader)
{
    FileWorkbookSource files(reader);
    files.attach()->openWorkbook(QFileInfo(path).absoluteFilePath());
    return readWorkbookDefinitions(*files.snapshot()->attach(), workingFormat(typed));
}

} // namespace tavrune

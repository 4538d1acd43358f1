#pragma once

#include "generation/column_type.h"
#include "settings/settings_records.h"
#include "workbook/file_workbook_source.h"
#include "workbook/workbook_source.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace tavrune {

// One column row of a definition sheet, each value the cell text a run puts in.
struct ColumnDefinition
{
    qint64 row = 0; // the sheet row, to name its cells
    QString title;
    ColumnType type;
    bool key = false;     // the index mark matches
    bool notNull = false; // the NOT NULL mark matches
    QString defaultValue; // the default cell as it stands
    QString comment;

    bool operator==(const ColumnDefinition&) const = default;
};

// The table a definition sheet describes, read as a run reads it.
struct TableDefinition
{
    QString sheet; // the sheet's name
    QString name;
    QString title;
    std::array<QString, 4> extra; // the four extra cells
    std::vector<ColumnDefinition> columns;
    FormatSetting format; // the one it was read through, to name its cells

    bool operator==(const TableDefinition&) const = default;

    // The titles of the key columns, in sheet order.
    QStringList key() const;
    // "sheet!cell" of a field: its own cell, or for a column field the cell of row.
    QString place(FormatField field, qint64 row = 0) const;
};

// Reads the definition on sheet through format (the run's working copy): the
// table's cells, then the column rows from the start row down to the first empty
// title, as the column and index lines take them. A cell that cannot be read
// throws the run's error, naming the field, the sheet and the cell.
TableDefinition readTableDefinition(WorkbookConnection& connection, const WorksheetHandle& sheet,
                                    const FormatSetting& format);

// Every worksheet of the active workbook, in workbook order.
std::vector<TableDefinition> readWorkbookDefinitions(WorkbookConnection& connection,
                                                     const FormatSetting& format);

// Every worksheet of the workbook file at path, read whole with reader (the
// program's own when none) through the format as typed (its working copy taken).
std::vector<TableDefinition>
readWorkbookFileDefinitions(const QString& path, const FormatSetting& typed,
                            const FileWorkbookSource::Reader& reader = {});

} // namespace tavrune

#pragma once

#include "generation/sheet_cell_reader.h"
#include "settings/settings_records.h"

#include <QString>

namespace tavrune {

// The type of a column row as "[%RowType]" puts it in: the type cell, followed by
// the length cell (and the scale cell) in parentheses when the length counts as a
// number. length and scale are the cells read for it, empty when not read.
struct ColumnType
{
    QString name; // the type cell, blanks trimmed
    QString length;
    QString scale;
    QString text;

    bool operator==(const ColumnType&) const = default;
};

// Reads a row's type: the type cell, then the length cell unless the type is empty
// or the length shares the type's column, then the scale cell when the length
// counts and has a column of its own.
ColumnType readColumnType(SheetCellReader& cells, const FormatSetting& format, qint64 row);

// The default as "[%Default]" puts it in: nothing for a blank cell, else the
// format's default keyword and the value, in apostrophes for a column whose type
// name holds "CHAR".
QString defaultText(const FormatSetting& format, const QString& typeName, const QString& value);

} // namespace tavrune

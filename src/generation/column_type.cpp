#include "generation/column_type.h"

#include "generation/text_rules.h"

namespace tavrune {

ColumnType readColumnType(SheetCellReader& cells, const FormatSetting& format, qint64 row)
{
    ColumnType type;
    type.name = trimSpaces(cells.columnCell(format.RowType, row, FormatField::RowType));
    type.text = type.name;
    if (type.name.isEmpty() || format.RowLength == format.RowType) {
        return type;
    }
    type.length = cells.columnCell(format.RowLength, row, FormatField::RowLength);
    if (!isNumericLength(type.length)) {
        return type;
    }
    if (!type.length.startsWith(u'(')) {
        type.text += u'(';
    }
    type.text += type.length;
    if (format.RowScale != format.RowLength) {
        type.scale = cells.columnCell(format.RowScale, row, FormatField::RowScale);
        if (!type.scale.isEmpty()) {
            type.text += u',' + type.scale;
        }
    }
    if (!trimSpaces(type.text).endsWith(u')')) {
        type.text += u')';
    }
    return type;
}

QString defaultText(const FormatSetting& format, const QString& typeName, const QString& value)
{
    if (trimSpaces(value).isEmpty()) {
        return {};
    }
    if (containsIgnoringAsciiCase(typeName, QStringLiteral("CHAR"))) {
        return format.SetDefault + QStringLiteral(" '") + value + u'\'';
    }
    return format.SetDefault + u' ' + value;
}

} // namespace tavrune

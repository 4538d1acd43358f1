#include "generation/column_lines.h"

#include "generation/text_rules.h"

namespace tavrune {

namespace {

const QString kRowTitle = QStringLiteral("[%RowTitle]");
const QString kRowType = QStringLiteral("[%RowType]");
const QString kNotNull = QStringLiteral("[%NotNull]");
const QString kDefault = QStringLiteral("[%Default]");
const QString kComment = QStringLiteral("[%Comment]");

class ColumnLineBuilder
{
public:
    ColumnLineBuilder(SheetCellReader& cells, const FormatSetting& format)
        : m_cells(cells), m_format(format)
    {
    }

    QString typeText(qint64 row)
    {
        QString type = trimSpaces(m_cells.columnCell(m_format.RowType, row, FormatField::RowType));
        m_typeName = type;
        if (type.isEmpty() || m_format.RowLength == m_format.RowType) {
            return type;
        }
        const QString length = m_cells.columnCell(m_format.RowLength, row, FormatField::RowLength);
        if (!isNumericLength(length)) {
            return type;
        }
        if (!length.startsWith(u'(')) {
            type += u'(';
        }
        type += length;
        if (m_format.RowScale != m_format.RowLength) {
            const QString scale = m_cells.columnCell(m_format.RowScale, row, FormatField::RowScale);
            if (!scale.isEmpty()) {
                type += u',' + scale;
            }
        }
        if (!trimSpaces(type).endsWith(u')')) {
            type += u')';
        }
        return type;
    }

    QString defaultText(const QString& value) const
    {
        if (trimSpaces(value).isEmpty()) {
            return {};
        }
        if (containsIgnoringAsciiCase(m_typeName, QStringLiteral("CHAR"))) {
            return m_format.SetDefault + QStringLiteral(" '") + value + u'\'';
        }
        return m_format.SetDefault + u' ' + value;
    }

    QString rowLine(const QString& pattern, qint64 row)
    {
        QString line = pattern;
        ReplaceAll(line, kRowTitle,
                   m_cells.columnCell(m_format.RowTitle, row, FormatField::RowTitle));
        QString type;
        if (containsIgnoringAsciiCase(line, kRowType)) {
            type = typeText(row);
        }
        ReplaceAll(line, kRowType, type);
        const QString mark = m_cells.columnCell(m_format.NotNull, row, FormatField::NotNull);
        ReplaceAll(line, kNotNull,
                   markMatches(mark, m_format.StrNotNull) ? m_format.SetNotNull : QString());
        ReplaceAll(line, kDefault,
                   defaultText(m_cells.columnCell(m_format.Default, row, FormatField::Default)));
        ReplaceAll(line, kComment, m_cells.columnCell(m_format.Comment, row, FormatField::Comment));
        return cleanUpLine(line);
    }

private:
    SheetCellReader& m_cells;
    const FormatSetting& m_format;
    // The type of the last row that took the type rule; decides apostrophes
    // around defaults.
    QString m_typeName;
};

} // namespace

void ExpandColumnLines(QString& text, SheetCellReader& cells, const FormatSetting& format)
{
    if (!containsIgnoringAsciiCase(text, kRowTitle)) {
        return;
    }
    const qint64 lastRow = cells.lastUsedRow();
    ColumnLineBuilder builder(cells, format);
    QStringList lines;
    for (qint64 row = format.RowStart; row <= lastRow; ++row) {
        if (cells.columnCell(format.RowTitle, row, FormatField::RowTitle).isEmpty()) {
            break;
        }
        lines.append(builder.rowLine(text, row));
    }
    text = joinLines(lines);
}

} // namespace tavrune

#include "generation/index_lines.h"

#include "generation/text_rules.h"

namespace tavrune {

void ExpandIndexLines(QString& text, SheetCellReader& cells, const FormatSetting& format)
{
    const QString placeholder = QStringLiteral("[%Index]");
    if (!containsIgnoringAsciiCase(text, placeholder)) {
        return;
    }
    const qint64 lastRow = cells.lastUsedRow();
    QStringList lines;
    for (qint64 row = format.RowStart; row <= lastRow; ++row) {
        if (cells.columnCell(format.RowTitle, row, FormatField::RowTitle).isEmpty()) {
            break;
        }
        const QString mark = cells.columnCell(format.Index, row, FormatField::Index);
        if (!markMatches(mark, format.StrIndex)) {
            continue;
        }
        QString line = text;
        ReplaceAll(line, placeholder,
                   cells.columnCell(format.RowTitle, row, FormatField::RowTitle));
        lines.append(cleanUpLine(line));
    }
    text = joinLines(lines);
}

} // namespace tavrune

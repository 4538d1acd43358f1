#include "generation/index_lines.h"

#include "generation/row_lines.h"
#include "generation/text_rules.h"

namespace tavrune {

void expandIndexLines(QString& text, SheetCellReader& cells, const FormatSetting& format,
                      ExpansionLimit* limit)
{
    const QString placeholder = QStringLiteral("[%Index]");
    if (!containsIgnoringAsciiCase(text, placeholder)) {
        return;
    }
    text = makeRowLines(
        cells, format, true,
        [&](SheetCellReader& reader) -> RowLineMaker {
            return [&reader, &format, &text, &placeholder](qint64 row) -> std::optional<QString> {
                const QString mark = reader.columnCell(format.Index, row, FormatField::Index);
                if (!markMatches(mark, format.StrIndex)) {
                    return std::nullopt;
                }
                QString line = text;
                replaceAll(line, placeholder,
                           reader.columnCell(format.RowTitle, row, FormatField::RowTitle));
                return cleanUpLine(line);
            };
        },
        limit);
}

} // namespace tavrune

#include "generation/table_text_expander.h"

#include "generation/column_lines.h"
#include "generation/index_lines.h"
#include "generation/text_rules.h"

namespace tavrune {

TableTextExpander::TableTextExpander(WorkbookConnection& connection, const FormatSetting& format,
                                     ExpansionLimit* limit)
    : m_connection(connection), m_format(format), m_limit(limit)
{
}

QString TableTextExpander::expandLine(const WorksheetHandle& sheet, const QString& line) const
{
    SheetCellReader cells(m_connection, sheet);
    return expand(cells, line);
}

QString TableTextExpander::cellHolding(const WorksheetHandle& sheet, const QString& line,
                                       char32_t codePoint) const
{
    const QString character = QString::fromUcs4(&codePoint, 1);
    QString found;
    const SheetCellReader::Observer observer = [&](const QString& address, const QString& value) {
        if (found.isEmpty() && value.contains(character)) {
            found = address;
        }
    };
    SheetCellReader cells(m_connection, sheet, &observer);
    expand(cells, line);
    return found;
}

QString TableTextExpander::expand(SheetCellReader& cells, const QString& line) const
{
    QString text = line;
    // The order matters: name and title go in before the column and index lines
    // are made, so every generated line carries them; the extra cells go in after.
    replaceAll(text, QStringLiteral("[%TableName]"),
               cells.cell(m_format.TableName, FormatField::TableName));
    replaceAll(text, QStringLiteral("[%TableTitle]"),
               cells.cell(m_format.TableTitle, FormatField::TableTitle));
    expandColumnLines(text, cells, m_format, m_limit);
    expandIndexLines(text, cells, m_format, m_limit);
    constexpr FormatField kEtcFields[] = {FormatField::Etc1, FormatField::Etc2, FormatField::Etc3,
                                          FormatField::Etc4};
    for (int n = 1; n <= 4; ++n) {
        replaceAll(text, QStringLiteral("[%Etc%1]").arg(n),
                   cells.cell(m_format.Etc[n - 1], kEtcFields[n - 1]));
    }
    return text;
}

} // namespace tavrune

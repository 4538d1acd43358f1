#pragma once

#include "generation/expansion_limit.h"
#include "generation/sheet_cell_reader.h"
#include "settings/settings_records.h"
#include "workbook/workbook_source.h"

#include <QString>

namespace tavrune {

// Expands template lines for table-definition sheets: the table-level
// placeholders, column lines and index lines. format is the run's working copy of
// the format setting (texts trimmed); it must outlive the expander, as must limit,
// which, when given, bounds the column and index lines made (see makeRowLines).
class TableTextExpander
{
public:
    TableTextExpander(WorkbookConnection& connection, const FormatSetting& format,
                      ExpansionLimit* limit = nullptr);

    // The text of one template line (without line break) for the sheet; it may
    // span several lines joined by CR LF. The table name and title cells and the
    // four extra cells are read for every line, in that order, so an invalid
    // reference in any of them fails every line. Errors are thrown to the caller.
    QString expandLine(const WorksheetHandle& sheet, const QString& line) const;
    // The address of the first cell read for the line whose text holds
    // codePoint; empty when none does. Reads the cells again.
    QString cellHolding(const WorksheetHandle& sheet, const QString& line,
                        char32_t codePoint) const;

private:
    QString expand(SheetCellReader& cells, const QString& line) const;

    WorkbookConnection& m_connection;
    const FormatSetting& m_format;
    ExpansionLimit* m_limit;
};

} // namespace tavrune

#pragma once

#include "generation/expansion_limit.h"
#include "generation/sheet_cell_reader.h"
#include "settings/settings_records.h"

#include <QString>

namespace tavrune {

// Turns a line holding "[%RowTitle]" into one line per column row of the sheet,
// from the format's start row down to the first empty title cell, with the
// column's title, type, not-null mark, default and comment put in, joined one per
// line with commas between them. A text without "[%RowTitle]" is left as it is and
// no cell is read. limit, when given, bounds the lines (see makeRowLines).
void expandColumnLines(QString& text, SheetCellReader& cells, const FormatSetting& format,
                       ExpansionLimit* limit);

} // namespace tavrune

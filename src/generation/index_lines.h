#pragma once

#include "generation/expansion_limit.h"
#include "generation/sheet_cell_reader.h"
#include "settings/settings_records.h"

#include <QString>

namespace tavrune {

// Turns a text holding "[%Index]" into one copy per column whose index mark
// matches the format's match string, with the column's title put in, joined one
// per line with commas between them. A text without "[%Index]" is left as it is
// and no cell is read. limit, when given, bounds the lines (see makeRowLines).
void expandIndexLines(QString& text, SheetCellReader& cells, const FormatSetting& format,
                      ExpansionLimit* limit);

} // namespace tavrune

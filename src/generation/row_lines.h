#pragma once

#include "generation/expansion_limit.h"
#include "generation/sheet_cell_reader.h"
#include "settings/settings_records.h"

#include <QString>
#include <functional>
#include <optional>

namespace tavrune {

// Makes the line of one row; none for a row that makes no line. A maker reads
// through one reader, on one thread.
using RowLineMaker = std::function<std::optional<QString>(qint64 row)>;
// Makes a maker reading through the reader it is given.
using RowLineMakerFactory = std::function<RowLineMaker(SheetCellReader& cells)>;

// The lines of the rows from the format's start row down to the first row whose
// title is empty, or to the sheet's last used row, joined. When the rows do not
// depend on each other and the sheet is long, runs of rows are made on several
// threads; the text, and the first failure in order, are those of going down the
// rows one by one. Under a limit (none: nullptr) the rows go one by one, the flag
// looked at before each, and the lines end before the first that does not fit.
// split, when given, tells whether they were made on several threads.
QString makeRowLines(SheetCellReader& cells, const FormatSetting& format, bool independentRows,
                     const RowLineMakerFactory& makerFor, ExpansionLimit* limit,
                     bool* split = nullptr);

} // namespace tavrune

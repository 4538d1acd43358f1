#pragma once

#include "schema/table_definition.h"

#include <QString>
#include <vector>

namespace tavrune {

// The definitions as text that line tools compare well (git's textconv): a line
// per table, "TABLE name title", then a line per column, "  title type", each
// followed by what it has of "KEY", "NOT NULL", "DEFAULT value" and
// "COMMENT text", in sheet order. A table line ends with its sheet, "(sheet
// name)", and the extra cells that are not empty, "ETC1 value" and so on. Cell
// texts are written as listings write them (listingText), so every line stays one.
QString definitionText(const std::vector<TableDefinition>& tables);

} // namespace tavrune

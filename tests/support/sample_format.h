#pragma once

#include "settings/settings_records.h"

namespace tavrune::test {

// The format of the usual table-definition sheet: table name in C3, title in C4,
// extra cells in E1 to E4, columns from row 7 with title B, type C, length D,
// scale E, index F (any mark), not-null G (○), default H, comment I.
FormatSetting sampleFormat();

} // namespace tavrune::test

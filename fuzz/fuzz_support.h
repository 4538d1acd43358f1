#pragma once

#include "workbook/workbook_data.h"

#include <QString>
#include <cstddef>
#include <cstdint>

namespace tavrune::fuzz {

// Writes the input to this process's scratch file (in memory under /dev/shm when
// there is one) and returns its path. The same file is reused for every input.
QString writeScratchFile(const uint8_t* data, size_t size, const char* suffix);

// Reads everything a command would read from a workbook: every sheet's name and
// last used row, and the text of every stored cell.
void touchWorkbook(const WorkbookData& workbook);

} // namespace tavrune::fuzz

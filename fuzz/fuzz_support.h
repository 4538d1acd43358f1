#pragma once

#include "workbook/workbook_data.h"

#include <QString>
#include <cstddef>
#include <cstdint>

namespace tavrune::fuzz {

// The path of this process's scratch file with suffix (in memory under /dev/shm
// when there is one). The same path is reused for every input.
QString scratchPath(const char* suffix);

// Writes the input to the scratch file with suffix and returns its path.
QString writeScratchFile(const uint8_t* data, size_t size, const char* suffix);

// Reads everything a command would read from a workbook: every sheet's name and
// last used row, and the text of every stored cell.
void touchWorkbook(const WorkbookData& workbook);

} // namespace tavrune::fuzz

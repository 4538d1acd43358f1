#pragma once

#include "workbook/workbook_load.h"

#include <memory>
#include <vector>

namespace tavrune {

using WorkbookLoads = std::vector<std::shared_ptr<WorkbookLoad>>;

// Where the workbook lists wait while workbook files are read: the windows read
// them on another thread, showing the progress window, while their event loop
// goes on.
class ReadingHost
{
public:
    virtual ~ReadingHost() = default;

    // Reads the loads one after another. False when the user cancelled: then none
    // of them may be installed, and a reading still going on is left to end on its
    // own.
    virtual bool read(const WorkbookLoads& loads) = 0;
};

} // namespace tavrune

#pragma once

#include "workbook/workbook_data.h"

#include <QString>
#include <functional>

namespace tavrune {

// Runs read, which reads the workbook file at path, and turns running out of
// memory on the way into the usual error naming the file, so that neither tool
// ends in an abort without a word. Every reader's entry goes through here.
WorkbookData readReportingAllocationFailure(const QString& path,
                                            const std::function<WorkbookData()>& read);

} // namespace tavrune

#pragma once

#include "workbook/file_workbook_source.h"

#include <QIODevice>
#include <QStringList>
#include <QTextStream>

namespace tavrune {

// The batch tool's command line: parses arguments (argv[0] included), runs the
// command and returns the exit status: 0 when the run finished, 1 when it stopped
// (an error, a workbook that cannot be read, an existing file without
// --overwrite), 2 for a usage error. Generated text and listings go to out,
// messages to err. Workbooks are read through reader (by default
// readWorkbookFile).
int runBatchCommand(const QStringList& arguments, QIODevice& out, QTextStream& err,
                    const FileWorkbookSource::Reader& reader = {});

} // namespace tavrune

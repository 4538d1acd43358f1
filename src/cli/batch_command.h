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
// messages to err. The workbook is read once, through reader (by default
// readWorkbookFile), and that version is used to the end.
int runBatchCommand(const QStringList& arguments, QIODevice& out, QTextStream& err,
                    const FileWorkbookSource::Reader& reader = {});

} // namespace tavrune

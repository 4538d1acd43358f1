#pragma once

#include <QStringList>
#include <QTextStream>

namespace tavrune {

// The batch tool's command line: parses arguments (argv[0] included), runs the
// command and returns the exit status: 0 done, 1 stopped by an error, 2 usage error.
// Output goes to out, messages to err.
int runBatchCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace tavrune

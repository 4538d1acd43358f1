#include "cli/batch_command.h"
#include "cli/termination_cleanup.h"

#include <QCoreApplication>
#include <QFile>
#include <csignal>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    tavrune::removeTemporaryFilesOnTermination();
    // Past a file size limit (ulimit -f) a write then fails and the run reports
    // it and removes its temporary file, instead of the signal ending the tool.
    std::signal(SIGXFSZ, SIG_IGN);
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly)) {
        return 1;
    }
    QTextStream err(stderr);
    const int status = tavrune::runBatchCommand(QCoreApplication::arguments(), out, err);
    err.flush();
    out.flush();
    return status;
}

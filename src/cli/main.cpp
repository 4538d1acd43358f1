#include "cli/batch_command.h"
#include "cli/termination_cleanup.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    tavrune::removeTemporaryFilesOnTermination();
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

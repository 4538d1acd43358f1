#include "cli/batch_command.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return tavrune::runBatchCommand(QCoreApplication::arguments(), out, err);
}

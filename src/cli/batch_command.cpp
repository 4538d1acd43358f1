#include "cli/batch_command.h"

#include "common/error.h"
#include "workbook/file_workbook_source.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace tavrune {

namespace {

constexpr int kExitDone = 0;
constexpr int kExitStopped = 1;
constexpr int kExitUsage = 2;

// Lists the worksheets of the workbook: number, sheet name and table name.
int listSheets(const QString& path, const QString& tableNameCell, QTextStream& out)
{
    FileWorkbookSource source;
    auto connection = source.Attach();
    connection->OpenWorkbook(QFileInfo(path).absoluteFilePath());
    const QList<WorksheetHandle> sheets = connection->ActiveWorkbookSheets();
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        out << (i + 1) << '\t' << connection->SheetName(sheets[i]) << '\t'
            << connection->CellValue(sheets[i], tableNameCell) << '\n';
    }
    return kExitDone;
}

} // namespace

int runBatchCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tavrune for Excel: table-definition workbooks to text files."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version."));
    const QCommandLineOption list(
        QStringLiteral("list"),
        QStringLiteral("List the workbook's worksheets (number, sheet name, table name)."));
    const QCommandLineOption tableNameCell(
        QStringLiteral("table-name-cell"),
        QStringLiteral("The cell holding each sheet's table name (default C3)."),
        QStringLiteral("CELL"), QStringLiteral("C3"));
    parser.addOptions({help, version, list, tableNameCell});
    parser.addPositionalArgument(QStringLiteral("WORKBOOK"),
                                 QStringLiteral("The workbook (.xlsx, .xlsm, .xls, .ods)."));

    if (!parser.parse(arguments)) {
        err << parser.errorText() << '\n';
        return kExitUsage;
    }
    if (parser.isSet(help)) {
        out << parser.helpText();
        return kExitDone;
    }
    if (parser.isSet(version)) {
        out << "tavrune-batch " << TAVRUNE_VERSION << '\n';
        return kExitDone;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1 || !parser.isSet(list)) {
        err << parser.helpText();
        return kExitUsage;
    }
    try {
        return listSheets(positional.first(), parser.value(tableNameCell), out);
    } catch (const Error& error) {
        err << error.description() << '\n';
        return kExitStopped;
    }
}

} // namespace tavrune

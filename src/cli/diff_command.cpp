#include "cli/diff_command.h"

#include "cli/terminal_text.h"
#include "common/error.h"
#include "database/database_catalog.h"
#include "generation/generation_run.h"
#include "schema/change_script_file.h"

#include <QFileInfo>

namespace tavrune {

namespace {

// A workbook file read whole, with the connection its sheets are read through.
struct ReadWorkbook
{
    std::unique_ptr<WorkbookSource> source;
    std::unique_ptr<WorkbookConnection> connection;
    std::vector<TableDefinition> tables;
};

ReadWorkbook readDefinitions(const QString& path, const FormatSetting& format,
                             const FileWorkbookSource::Reader& reader)
{
    FileWorkbookSource files(reader);
    files.attach()->openWorkbook(QFileInfo(path).absoluteFilePath());
    ReadWorkbook read;
    read.source = files.snapshot();
    read.connection = read.source->attach();
    read.tables = readWorkbookDefinitions(*read.connection, workingFormat(format));
    return read;
}

} // namespace

bool runDiff(const DiffRequest& request, const FileWorkbookSource::Reader& reader, QIODevice& out,
             QTextStream& err, OutputTarget& output, UserInteraction& interaction)
{
    ReadWorkbook newer;
    ReadWorkbook older;
    if (request.newerDatabase) {
        if (request.change) {
            throw Error(ErrorNumber::ApplicationDefined,
                        QStringLiteral("変更スクリプトは、新しい側がブックのときだけ作れます。"));
        }
        older.tables =
            readWorkbookFileDefinitions(request.olderWorkbook, request.olderFormat, reader);
        newer.tables = readDatabaseDefinitions(*request.newerDatabase);
        matchWhatTheDatabaseKeeps(newer.tables, older.tables, request.newerDatabase->kind);
    } else if (request.olderDatabase) {
        newer = readDefinitions(request.newerWorkbook, request.newerFormat, reader);
        older.tables = readDatabaseDefinitions(*request.olderDatabase);
        matchWhatTheDatabaseKeeps(older.tables, newer.tables, request.olderDatabase->kind);
    } else {
        newer = readDefinitions(request.newerWorkbook, request.newerFormat, reader);
        older.tables =
            readWorkbookFileDefinitions(request.olderWorkbook, request.olderFormat, reader);
    }
    if (!request.change) {
        const std::vector<Difference> differences = compareDefinitions(older.tables, newer.tables);
        out.write(differenceReport(differences, request.reportFormat).toUtf8());
        return !differences.empty();
    }
    // Added and rebuilt tables are written as a run of the create file setting
    // writes their sheets.
    const CreateTableText create =
        createTablesBy(*newer.connection, workingFormat(request.newerFormat), request.createFile);
    const ChangeScript script = makeChangeScript(older.tables, newer.tables, *request.change,
                                                 create, request.leaveOutDestructive);
    writeChangeScript(script.text(), changeScriptPath(*request.change, request.createFile),
                      request.createFile, output, interaction, request.overwrite);
    if (!script.leftOut.isEmpty()) {
        err << terminalMessage(QStringLiteral("データを失うおそれのある変更を書きませんでした: %1")
                                   .arg(script.leftOut.join(QStringLiteral(", "))))
            << '\n';
    }
    return !compareDefinitions(older.tables, newer.tables).empty();
}

} // namespace tavrune

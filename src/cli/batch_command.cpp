#include "cli/batch_command.h"

#include "cli/batch_run_host.h"
#include "cli/diff_command.h"
#include "cli/stream_output_target.h"
#include "cli/terminal_text.h"
#include "cli/write_workbook_command.h"
#include "common/error.h"
#include "generation/file_output_target.h"
#include "generation/generation_run.h"
#include "generation/sheet_checks.h"
#include "generation/text_rules.h"
#include "schema/definition_differences.h"
#include "schema/definition_text.h"
#include "schema/difference_report.h"
#include "settings/connection_settings.h"
#include "settings/settings_file.h"
#include "settings/settings_paths.h"
#include "settings/window_state.h"
#include "workbook/cell_address.h"
#include "workbook/file_workbook_source.h"
#include "workbook/workbook_file_reader.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>
#include <new>
#include <optional>

namespace tavrune {

namespace {

constexpr int kExitDone = 0;
constexpr int kExitStopped = 1;
constexpr int kExitUsage = 2;
// --diff answers like diff: 1 for differences, so trouble is 2; --write-workbook
// answers 2 for trouble too, its one answer besides success.
constexpr int kExitDiffTrouble = 2;

// A usage error: printed with a pointer to --help, exit status 2.
struct UsageError
{
    QString message;
};

// The database --database names: a URL, or a connection registered in the windows
// (its password, as for a URL, from the client's own files).
DatabaseUrl databaseNamed(const QString& text, const QString& settingsFile)
{
    const std::optional<DatabaseTarget> target = databaseTarget(
        text, text.contains(QStringLiteral("://"))
                  ? ConnectionSettings{}
                  : loadConnectionSettings(connectionSettingsPathBeside(settingsFile)));
    if (!target) {
        throw Error(ErrorNumber::SubscriptOutOfRange,
                    QStringLiteral("--database \"%1\" は、データベースの URL でも、登録された"
                                   "接続設定の名前でもありません。")
                        .arg(text));
    }
    return target->url;
}

struct BatchOptions
{
    QString workbook;
    QString olderWorkbook; // --diff: the first workbook
    QString settingsFile;
    bool settingsGiven = false;
    QString windowStateFile;
    QString formatName;
    QString fileName;
    QStringList sheetSelections;
    QString outputDir;
    bool overwrite = false;
    bool toStdout = false;
    bool list = false;
    bool check = false;
    bool textconv = false;
    bool diff = false;
    QString olderFormatName;
    QString changeName;
    QString databaseUrl;
    QString newerDatabaseUrl; // --diff: a URL in place of NEW
    QString writeWorkbook;    // --write-workbook: the workbook to write from the database
    DefinitionWorkbookLayout layout;
    QStringList tables;
    bool leaveOutDestructive = false;
    bool listSettings = false;
    DifferenceFormat diffFormat = DifferenceFormat::Text;
    std::optional<OutputEncoding> encoding;
    std::optional<LineEnd> lineEnd;
};

// The registered setting of that name, or the one chosen last in the GUI, or the
// first; nothing when none is registered.
template <typename Record>
std::optional<Record> chooseSetting(const QList<Record>& list, const QString& name,
                                    std::optional<qsizetype> chosenPosition, const char* kind)
{
    if (!name.isNull()) {
        const std::optional<qsizetype> found = findSettingByName(list, name);
        if (!found) {
            throw Error(ErrorNumber::SubscriptOutOfRange,
                        QStringLiteral("%1 \"%2\" は登録されていません。")
                            .arg(QString::fromUtf8(kind), name));
        }
        return list.at(*found);
    }
    if (list.isEmpty()) {
        return std::nullopt;
    }
    return list.at(chosenPosition.value_or(0));
}

// Marks the worksheets a --sheet value names: a number counted from 1, a range
// such as 2-5, or a sheet name; a name that reads as a number is taken as the name.
void selectSheets(const QString& selection, const QStringList& sheetNames, QList<bool>& selected)
{
    static const QRegularExpression range(QStringLiteral("^(\\d+)(?:-(\\d+))?$"));
    const QRegularExpressionMatch match = range.match(selection);
    if (match.hasMatch() && !sheetNames.contains(selection)) {
        const qint64 first = match.captured(1).toLongLong();
        const qint64 last = match.captured(2).isEmpty() ? first : match.captured(2).toLongLong();
        if (first < 1 || last < first) {
            throw UsageError{QStringLiteral("--sheet \"%1\" はシートの番号または範囲として正しく"
                                            "ありません。")
                                 .arg(selection)};
        }
        if (last > sheetNames.size()) {
            throw Error(ErrorNumber::SubscriptOutOfRange,
                        QStringLiteral("--sheet \"%1\": ワークシートは %2 枚しかありません。")
                            .arg(selection)
                            .arg(sheetNames.size()));
        }
        for (qint64 i = first; i <= last; ++i) {
            selected[i - 1] = true;
        }
        return;
    }
    const qsizetype index = sheetNames.indexOf(selection);
    if (index < 0) {
        throw Error(
            ErrorNumber::SubscriptOutOfRange,
            QStringLiteral("--sheet \"%1\": その名前のワークシートはありません。").arg(selection));
    }
    selected[index] = true;
}

// The options of a run; nothing when --help or --version has been answered.
std::optional<BatchOptions> parseOptions(const QStringList& arguments, QIODevice& out)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Tavrune for Excel: turns the table-definition sheets of a workbook into text files\n"
        "through the templates of a registered file setting."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version."));
    const QCommandLineOption settings(
        QStringLiteral("settings"),
        QStringLiteral("The settings file to read (default: the file the GUI uses)."),
        QStringLiteral("FILE"));
    const QCommandLineOption format(
        QStringLiteral("format"),
        QStringLiteral("The registered format setting to use (default: the one chosen last "
                       "in the GUI, else the first)."),
        QStringLiteral("NAME"));
    const QCommandLineOption file(
        QStringLiteral("file"),
        QStringLiteral("The registered file setting to use (default: the one chosen last "
                       "in the GUI, else the first)."),
        QStringLiteral("NAME"));
    const QCommandLineOption sheet(
        QStringLiteral("sheet"),
        QStringLiteral("A sheet to process: a worksheet number counted from 1, a range such "
                       "as 2-5, or a sheet name; a sheet's name wins over a number, so a "
                       "sheet named \"1\" is chosen by --sheet 1. Repeatable (default: every "
                       "worksheet). Sheets are processed in workbook order."),
        QStringLiteral("SHEET"));
    const QCommandLineOption outputDir(
        QStringLiteral("output-dir"),
        QStringLiteral("Replaces the file setting's output directory; relative paths are "
                       "taken from the current directory."),
        QStringLiteral("DIR"));
    const QCommandLineOption overwrite(
        QStringLiteral("overwrite"),
        QStringLiteral("Replace existing output files (without it an existing file stops "
                       "the run)."));
    const QCommandLineOption toStdout(
        QStringLiteral("stdout"),
        QStringLiteral(
            "Write the generated text to standard output instead of files, "
            "exactly the bytes the files would receive (in their encoding and line ends)."));
    const QCommandLineOption list(
        QStringLiteral("list"),
        QStringLiteral("List the workbook's worksheets (number, sheet name, table name) "
                       "and exit."));
    parser.addOptions(
        {help, version, settings, format, file, sheet, outputDir, overwrite, toStdout, list});
    const QCommandLineOption check(
        QStringLiteral("check"),
        QStringLiteral("Check the sheets without writing: print SHEET!CELL: message for every "
                       "finding, one a line (line breaks, tabs and backslashes shown as \\n, "
                       "\\t, \\\\, as in --list); exit status 1 when there is one."));
    const QCommandLineOption encoding(
        QStringLiteral("encoding"),
        QStringLiteral("The output encoding, replacing the file setting's: cp932, utf-8 or "
                       "utf-8-bom."),
        QStringLiteral("ENCODING"));
    const QCommandLineOption eol(
        QStringLiteral("eol"),
        QStringLiteral("The line end, replacing the file setting's: crlf or lf."),
        QStringLiteral("EOL"));
    const QCommandLineOption textconv(
        QStringLiteral("textconv"),
        QStringLiteral("Print the table definitions of every worksheet as text, one line per "
                       "table and per column, in sheet order, and exit: for git's textconv, "
                       "so that git diff shows what changed in a workbook."));
    const QCommandLineOption diff(
        QStringLiteral("diff"),
        QStringLiteral("Compare the table definitions of two workbooks, OLD and NEW, and print "
                       "the differences, one line each; exit status 1 when there are any, 0 "
                       "when none, 2 on trouble. Either of them may be a database URL (as for "
                       "--database) instead; the change script of --change is made only towards "
                       "a workbook."));
    const QCommandLineOption diffFormat(
        QStringLiteral("diff-format"),
        QStringLiteral("How --diff prints: text (default), markdown or json."),
        QStringLiteral("FORMAT"));
    const QCommandLineOption oldFormat(
        QStringLiteral("old-format"),
        QStringLiteral("The registered format setting for the older workbook of --diff "
                       "(default: the one --format names or the default)."),
        QStringLiteral("NAME"));
    const QCommandLineOption change(
        QStringLiteral("change"),
        QStringLiteral("With --diff: write the change script from OLD to NEW through the "
                       "registered change setting NAME instead of the differences."),
        QStringLiteral("NAME"));
    const QCommandLineOption noDestructive(
        QStringLiteral("no-destructive"),
        QStringLiteral("With --change: leave out the statements that may lose data (removed "
                       "tables and columns, narrowed or changed types) and name them."));
    const QCommandLineOption listSettings(
        QStringLiteral("list-settings"),
        QStringLiteral("List every registered format, file and change setting, one per line "
                       "with its kind, and exit."));
    const QCommandLineOption database(
        QStringLiteral("database"),
        QStringLiteral(
            "With --diff: compare the database at URL (postgresql://user@host:port/db"
            "?schema=…, mysql://user@host:port/db, sqlite:///path, odbc://user@DSN"
            "?schema=… for a data source set up in odbc.ini) with the workbook, in "
            "place of OLD. The password comes from the client's own files or "
            "variables (~/.pgpass, PGPASSWORD, ~/.my.cnf, the DSN), never from the "
            "URL. The name of a connection registered in the windows may stand for the URL."),
        QStringLiteral("URL"));
    const QCommandLineOption writeWorkbook(
        QStringLiteral("write-workbook"),
        QStringLiteral("Write a definition workbook of the tables of the database --database "
                       "names to OUT (.xlsx), one sheet per table, laid out by the format "
                       "setting. Stops when OUT exists, unless --overwrite."),
        QStringLiteral("OUT"));
    const QCommandLineOption templateFile(
        QStringLiteral("template"),
        QStringLiteral("With --write-workbook: every sheet is a copy of a sheet of this workbook "
                       "(.xlsx), its look kept, the cells filled in (default: plain sheets with "
                       "captions)."),
        QStringLiteral("FILE"));
    const QCommandLineOption templateSheet(
        QStringLiteral("template-sheet"),
        QStringLiteral("With --template: the sheet copied (default: its first worksheet)."),
        QStringLiteral("NAME"));
    const QCommandLineOption table(
        QStringLiteral("table"),
        QStringLiteral("With --write-workbook: write this table only, named without regard to "
                       "letter case; may be repeated (default: every table)."),
        QStringLiteral("NAME"));
    parser.addOptions({check, encoding, eol, textconv, diff, diffFormat, oldFormat, change,
                       noDestructive, listSettings, database, writeWorkbook, templateFile,
                       templateSheet, table});
    parser.addPositionalArgument(
        QStringLiteral("WORKBOOK"),
        QStringLiteral("The workbook (.xlsx, .xlsm, .xls, .ods); with --diff, OLD and NEW."));

    if (!parser.parse(arguments)) {
        throw UsageError{parser.errorText()};
    }
    if (parser.isSet(help)) {
        out.write(parser.helpText().toUtf8());
        return std::nullopt;
    }
    if (parser.isSet(version)) {
        out.write(QByteArrayLiteral("tavrune-batch " TAVRUNE_VERSION "\n"));
        return std::nullopt;
    }
    // An empty value would count as no option at all (--output-dir '' would write
    // into the file setting's directory), a blank one names what nobody meant (the
    // current directory for --output-dir '  ').
    for (const QString& name : parser.optionNames()) {
        for (const QString& value : parser.values(name)) {
            if (value.trimmed().isEmpty()) {
                throw UsageError{
                    QStringLiteral("--%1 に空または空白だけの値は指定できません。").arg(name)};
            }
        }
    }
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(listSettings)) {
        if (!positional.isEmpty()) {
            throw UsageError{QStringLiteral("--list-settings にブックは指定できません。")};
        }
    } else if (parser.isSet(writeWorkbook)) {
        if (parser.isSet(diff)) {
            throw UsageError{QStringLiteral("--diff と --write-workbook は同時に指定できません。")};
        }
        if (!parser.isSet(database)) {
            throw UsageError{QStringLiteral(
                "--write-workbook には --database で読むデータベースを指定してください。")};
        }
        if (!positional.isEmpty()) {
            throw UsageError{QStringLiteral("--write-workbook にブックは指定できません。")};
        }
    } else if (parser.isSet(diff)) {
        if (positional.size() != (parser.isSet(database) ? 1 : 2)) {
            throw UsageError{QStringLiteral("--diff には比べる 2 つのブックを指定してください。")};
        }
    } else if (positional.size() != 1) {
        throw UsageError{positional.isEmpty()
                             ? QStringLiteral("ブックを指定してください。")
                             : QStringLiteral("ブックは 1 つだけ指定してください。")};
    }
    if (parser.isSet(toStdout) && parser.isSet(outputDir)) {
        throw UsageError{QStringLiteral("--stdout と --output-dir は同時に指定できません。")};
    }
    BatchOptions options;
    options.listSettings = parser.isSet(listSettings);
    if (!positional.isEmpty()) {
        options.workbook = positional.last();
    }
    if ((parser.isSet(change) || parser.isSet(database)) && !parser.isSet(diff) &&
        !parser.isSet(writeWorkbook)) {
        throw UsageError{
            QStringLiteral("--change と --database は --diff と一緒に指定してください。")};
    }
    if ((parser.isSet(templateFile) || parser.isSet(templateSheet) || parser.isSet(table)) &&
        !parser.isSet(writeWorkbook)) {
        throw UsageError{QStringLiteral("--template、--template-sheet、--table は --write-workbook "
                                        "と一緒に指定してください。")};
    }
    if (parser.isSet(templateSheet) && !parser.isSet(templateFile)) {
        throw UsageError{
            QStringLiteral("--template-sheet は --template と一緒に指定してください。")};
    }
    options.writeWorkbook = parser.value(writeWorkbook);
    options.layout.templatePath = parser.value(templateFile);
    options.layout.templateSheet = parser.value(templateSheet);
    options.tables = parser.values(table);
    options.databaseUrl = parser.value(database);
    options.changeName = parser.value(change);
    options.leaveOutDestructive = parser.isSet(noDestructive);
    options.diff = parser.isSet(diff);
    if (options.diff && !parser.isSet(database)) {
        options.olderWorkbook = positional.first();
    }
    // A URL in place of either workbook names a database; one side stays sheets.
    if (options.diff) {
        const auto isUrl = [](const QString& text) { return text.contains(QStringLiteral("://")); };
        if (isUrl(options.olderWorkbook)) {
            options.databaseUrl = options.olderWorkbook;
        }
        if (isUrl(options.workbook)) {
            if (!options.databaseUrl.isEmpty()) {
                throw UsageError{QStringLiteral(
                    "--diff "
                    "で比べられるデータベースは片側だけです。もう片側はブックにしてください。")};
            }
            options.newerDatabaseUrl = options.workbook;
        }
        if (!options.newerDatabaseUrl.isEmpty() && parser.isSet(change)) {
            throw UsageError{QStringLiteral(
                "--change の変更スクリプトは、新しい側がブックのときだけ作れます。")};
        }
    }
    if (parser.isSet(oldFormat)) {
        options.olderFormatName = parser.value(oldFormat);
    }
    if (parser.isSet(diffFormat)) {
        const std::optional<DifferenceFormat> chosen =
            differenceFormatFromName(parser.value(diffFormat));
        if (!chosen) {
            throw UsageError{QStringLiteral("--diff-format \"%1\" は text、markdown、json の"
                                            "どれかにしてください。")
                                 .arg(parser.value(diffFormat).left(40))};
        }
        options.diffFormat = *chosen;
    }
    const SettingsPaths paths = defaultSettingsPaths();
    options.settingsGiven = parser.isSet(settings);
    options.settingsFile = options.settingsGiven ? parser.value(settings) : paths.settingsFile;
    options.windowStateFile = paths.windowStateFile;
    if (parser.isSet(format)) {
        options.formatName = parser.value(format);
    }
    if (parser.isSet(file)) {
        options.fileName = parser.value(file);
    }
    options.sheetSelections = parser.values(sheet);
    if (parser.isSet(outputDir)) {
        options.outputDir = QFileInfo(parser.value(outputDir)).absoluteFilePath();
    }
    options.overwrite = parser.isSet(overwrite);
    options.toStdout = parser.isSet(toStdout);
    options.list = parser.isSet(list);
    options.check = parser.isSet(check);
    options.textconv = parser.isSet(textconv);
    if (parser.isSet(encoding)) {
        const QString name = parser.value(encoding);
        options.encoding = encodingFromName(name);
        if (!options.encoding) {
            throw UsageError{
                QStringLiteral(
                    "--encoding \"%1\" は cp932、utf-8、utf-8-bom のどれかにしてください。")
                    .arg(name.left(40))};
        }
    }
    if (parser.isSet(eol)) {
        const QString name = parser.value(eol);
        options.lineEnd = lineEndFromName(name);
        if (!options.lineEnd) {
            throw UsageError{
                QStringLiteral("--eol \"%1\" は crlf か lf にしてください。").arg(name.left(40))};
        }
    }
    return options;
}

// The output options of the command line in place of the file setting's.
void applyOutputOptions(const BatchOptions& options, FileSetting& file)
{
    if (!options.outputDir.isEmpty()) {
        file.OutputDir = options.outputDir;
    }
    if (options.encoding) {
        file.Encoding = *options.encoding;
    }
    if (options.lineEnd) {
        file.LineEnding = *options.lineEnd;
    }
}

// Every registered setting, "kind<TAB>name", formats, files, then changes.
void listSettings(const FormatSettings& formats, const FileSettings& files,
                  const ChangeSettings& changes, QIODevice& out)
{
    const auto line = [&out](const char* kind, const QString& name) {
        out.write(QByteArray(kind) + '\t' + escapeControlCharacters(name).toUtf8() + '\n');
    };
    for (const FormatSetting& format : formats) {
        line("format", format.Name);
    }
    for (const FileSetting& file : files) {
        line("file", file.Name);
    }
    for (const ChangeSetting& change : changes) {
        line("change", change.Name);
    }
}

// doing is kept saying what the command is doing, for a message when memory runs
// out.
int runBatch(const BatchOptions& options, const FileWorkbookSource::Reader& reader, QIODevice& out,
             QTextStream& err, QString& doing)
{
    BatchRunHost host(err, options.overwrite);
    doing = QStringLiteral("設定ファイル \"%1\" の読み込み").arg(options.settingsFile);

    if (options.settingsGiven && !QFileInfo(options.settingsFile).isFile()) {
        throw Error(
            ErrorNumber::FileNotFound,
            QStringLiteral("設定ファイル \"%1\" が見つかりません。").arg(options.settingsFile));
    }
    FormatSettings formats;
    FileSettings files;
    if (!SettingsFile(options.settingsFile, host).loadSettingsFile(formats, files)) {
        // The load has said why.
        return options.diff || !options.writeWorkbook.isEmpty() ? kExitDiffTrouble : kExitStopped;
    }
    if (options.listSettings) {
        listSettings(formats, files,
                     loadChangeSettings(changeSettingsPathBeside(options.settingsFile)), out);
        return kExitDone;
    }
    // The GUI remembers its last choices by list position, for its own settings file.
    std::optional<qsizetype> formatPosition;
    std::optional<qsizetype> filePosition;
    if (!options.settingsGiven) {
        const WindowState windowState(options.windowStateFile);
        formatPosition = windowState.chosenPosition(SettingKind::Format, formats.size());
        filePosition = windowState.chosenPosition(SettingKind::File, files.size());
    }
    const std::optional<FormatSetting> format =
        chooseSetting(formats, options.formatName, formatPosition, "書式設定");
    if (!options.writeWorkbook.isEmpty()) {
        if (!format) {
            throw Error(ErrorNumber::SubscriptOutOfRange,
                        QStringLiteral("設定ファイル \"%1\" に書式設定が登録されていません。")
                            .arg(options.settingsFile));
        }
        doing = QStringLiteral("データベースからのブック作成");
        WriteWorkbookRequest request;
        request.database = databaseNamed(options.databaseUrl, options.settingsFile);
        request.output = options.writeWorkbook;
        request.format = *format;
        request.layout = options.layout;
        request.tables = options.tables;
        request.overwrite = options.overwrite;
        runWriteWorkbook(request);
        return kExitDone;
    }
    if (options.diff) {
        const std::optional<FormatSetting> olderFormat =
            options.olderFormatName.isNull()
                ? format
                : chooseSetting(formats, options.olderFormatName, formatPosition, "書式設定");
        if (!olderFormat || !format) {
            throw Error(ErrorNumber::SubscriptOutOfRange,
                        QStringLiteral("設定ファイル \"%1\" に書式設定が登録されていません。")
                            .arg(options.settingsFile));
        }
        doing = QStringLiteral("ブックの比較");
        DiffRequest request;
        request.olderWorkbook = options.olderWorkbook;
        if (!options.databaseUrl.isEmpty()) {
            request.olderDatabase = databaseNamed(options.databaseUrl, options.settingsFile);
        }
        if (!options.newerDatabaseUrl.isEmpty()) {
            request.newerDatabase = parseDatabaseUrl(options.newerDatabaseUrl);
        }
        request.newerWorkbook = options.workbook;
        request.olderFormat = *olderFormat;
        request.newerFormat = *format;
        request.reportFormat = options.diffFormat;
        request.leaveOutDestructive = options.leaveOutDestructive;
        request.overwrite = options.overwrite;
        if (!options.changeName.isNull()) {
            const ChangeSettings changes =
                loadChangeSettings(changeSettingsPathBeside(options.settingsFile));
            const std::optional<qsizetype> found = findSettingByName(changes, options.changeName);
            if (!found) {
                throw Error(ErrorNumber::SubscriptOutOfRange,
                            QStringLiteral("変更設定 \"%1\" は登録されていません。")
                                .arg(options.changeName));
            }
            request.change = changes.at(*found);
            request.createFile =
                *chooseSetting(files, request.change->CreateFile, std::nullopt, "ファイル設定");
            applyOutputOptions(options, request.createFile);
        }
        StreamOutputTarget stream(out);
        FileOutputTarget fileTarget;
        OutputTarget& target = options.toStdout ? static_cast<OutputTarget&>(stream) : fileTarget;
        return runDiff(request, reader, out, err, target, host.interaction()) ? kExitStopped
                                                                              : kExitDone;
    }

    const QString workbookPath = QFileInfo(options.workbook).absoluteFilePath();
    doing = QStringLiteral("ブック \"%1\" の読み込み").arg(workbookPath);
    FileWorkbookSource::Reader read = reader;
    if (options.list && !read) {
        // The list needs one cell of each sheet, so sheets are read only down to
        // that cell's row.
        quint32 lastRow = 1;
        if (format) {
            const std::optional<CellAddress> tableName =
                parseCellAddress(trimSpaces(format->TableName));
            lastRow = tableName ? tableName->row : kMaxRow;
        }
        read = [lastRow](const QString& path) { return readWorkbookFileUpToRow(path, lastRow); };
    }
    FileWorkbookSource workbookFiles(read);
    workbookFiles.attach()->openWorkbook(workbookPath);
    // The workbook as read now is the one listed and generated from, however its
    // file changes meanwhile.
    const std::unique_ptr<WorkbookSource> source = workbookFiles.snapshot();
    auto connection = source->attach();
    const QList<WorksheetHandle> sheets = connection->activeWorkbookSheets();

    if (options.list) {
        for (qsizetype i = 0; i < sheets.size(); ++i) {
            const QString tableName =
                format ? connection->cellValue(sheets[i], trimSpaces(format->TableName))
                       : QString();
            out.write(
                QStringLiteral("%1\t%2\t%3\n")
                    .arg(i + 1)
                    .arg(listingText(connection->sheetName(sheets[i])), listingText(tableName))
                    .toUtf8());
        }
        return kExitDone;
    }

    if (options.textconv && format) {
        doing = QStringLiteral("テーブル定義の読み込み");
        out.write(
            definitionText(readWorkbookDefinitions(*connection, workingFormat(*format))).toUtf8());
        return kExitDone;
    }

    const std::optional<FileSetting> file =
        chooseSetting(files, options.fileName, filePosition, "ファイル設定");
    if (!format || !file) {
        throw Error(ErrorNumber::SubscriptOutOfRange,
                    QStringLiteral("設定ファイル \"%1\" に%2が登録されていません。")
                        .arg(options.settingsFile,
                             format ? QStringLiteral("ファイル設定") : QStringLiteral("書式設定")));
    }

    RunInputs inputs;
    inputs.format = *format;
    inputs.file = *file;
    applyOutputOptions(options, inputs.file);
    inputs.workbookName = connection->workbookName(1);
    QStringList sheetNames;
    for (const WorksheetHandle& sheet : sheets) {
        sheetNames.append(connection->sheetName(sheet));
    }
    inputs.sheetSelected = QList<bool>(sheets.size(), options.sheetSelections.isEmpty());
    for (const QString& selection : options.sheetSelections) {
        selectSheets(selection, sheetNames, inputs.sheetSelected);
    }
    connection.reset();

    if (options.check) {
        const std::atomic_bool neverCancelled = false;
        const QList<SheetFinding> findings = checkSheets(*source, inputs, neverCancelled);
        for (const SheetFinding& finding : findings) {
            out.write((listingText(finding.sheet + u'!' + finding.cell + QStringLiteral(": ") +
                                   finding.message) +
                       u'\n')
                          .toUtf8());
        }
        return findings.isEmpty() ? kExitDone : kExitStopped;
    }

    StreamOutputTarget stream(out);
    FileOutputTarget fileTarget;
    OutputTarget& target = options.toStdout ? static_cast<OutputTarget&>(stream) : fileTarget;
    doing = QStringLiteral("ファイル作成");
    return GenerationRun(*source, host, target).makeFiles(inputs) ? kExitDone : kExitStopped;
}

} // namespace

int runBatchCommand(const QStringList& arguments, QIODevice& out, QTextStream& err,
                    const FileWorkbookSource::Reader& reader)
{
    QString doing = QStringLiteral("コマンドラインの解釈");
    std::optional<BatchOptions> options;
    const auto stopped = [&options] {
        return options && (options->diff || !options->writeWorkbook.isEmpty()) ? kExitDiffTrouble
                                                                               : kExitStopped;
    };
    try {
        options = parseOptions(arguments, out);
        return options ? runBatch(*options, reader, out, err, doing) : kExitDone;
    } catch (const UsageError& usage) {
        err << "tavrune-batch: " << terminalMessage(usage.message) << '\n'
            << "詳しくは tavrune-batch --help を見てください。\n";
        return kExitUsage;
    } catch (const Error& error) {
        err << terminalMessage(error.description()) << '\n';
        return stopped();
    } catch (const std::bad_alloc&) {
        err << terminalMessage(
                   QStringLiteral("メモリが足りません。%1を続けられません。").arg(doing))
            << '\n';
        return stopped();
    }
}

} // namespace tavrune

#include "cli/diff_command.h"

#include "cli/terminal_text.h"
#include "common/cp932_text.h"
#include "common/error.h"
#include "common/trim_spaces.h"
#include "generation/generation_run.h"
#include "generation/output_files.h"
#include "generation/output_target.h"
#include "generation/split_lines.h"
#include "generation/table_text_expander.h"
#include "schema/change_script.h"

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

void writeScript(const DiffRequest& request, const QString& script, OutputTarget& output,
                 UserInteraction& interaction)
{
    const FileSetting& file = request.createFile;
    if (trimSpaces(request.change->FileName).isEmpty()) {
        throw Error(
            ErrorNumber::ApplicationDefined,
            QStringLiteral("変更設定 \"%1\" にファイル名がありません。").arg(request.change->Name));
    }
    output.ensureOutputDir(file.OutputDir, interaction);
    const QString path = addPathSeparator(file.OutputDir) + trimSpaces(request.change->FileName);
    output.openOutputFile(path, request.overwrite);
    if (const QByteArray mark = byteOrderMark(file.Encoding); !mark.isEmpty()) {
        output.writeOutputLine(mark);
    }
    const QStringList lines = script.split(QStringLiteral("\r\n"));
    for (qsizetype n = 0; n + 1 < lines.size(); ++n) {
        char32_t unrepresentable = 0;
        const std::optional<QByteArray> bytes =
            encodeOutputLine(lines[n], file.Encoding, file.LineEnding, &unrepresentable);
        if (!bytes) {
            throw Error(ErrorNumber::ApplicationDefined,
                        QStringLiteral("文字 %1 は%2 で書けないため、%3変更スクリプトの %4 "
                                       "行目を出力できません。")
                            .arg(describeCodePoint(unrepresentable),
                                 encodingDescription(file.Encoding), output.destinationPhrase(path))
                            .arg(n + 1));
        }
        output.writeOutputLine(*bytes);
    }
    output.commitOutputFile();
}

} // namespace

bool runDiff(const DiffRequest& request, const FileWorkbookSource::Reader& reader, QIODevice& out,
             QTextStream& err, OutputTarget& output, UserInteraction& interaction)
{
    const ReadWorkbook older = readDefinitions(request.olderWorkbook, request.olderFormat, reader);
    const ReadWorkbook newer = readDefinitions(request.newerWorkbook, request.newerFormat, reader);
    if (!request.change) {
        const std::vector<Difference> differences = compareDefinitions(older.tables, newer.tables);
        out.write(differenceReport(differences, request.reportFormat).toUtf8());
        return !differences.empty();
    }
    // Added and rebuilt tables are written as a run of the create file setting
    // writes their sheets.
    const FormatSetting format = workingFormat(request.newerFormat);
    const TableTextExpander expander(*newer.connection, format);
    const QStringList body = splitTemplates(request.createFile).body;
    const QList<WorksheetHandle> sheets = newer.connection->activeWorkbookSheets();
    const CreateTableText create = [&](const TableDefinition& table) {
        for (const WorksheetHandle& sheet : sheets) {
            if (newer.connection->sheetName(sheet) == table.sheet) {
                QStringList lines;
                for (const QString& line : body) {
                    lines.append(expander.expandLine(sheet, line));
                }
                return lines.join(QStringLiteral("\r\n"));
            }
        }
        return QString();
    };
    const ChangeScript script = makeChangeScript(older.tables, newer.tables, *request.change,
                                                 create, request.leaveOutDestructive);
    writeScript(request, script.text(), output, interaction);
    if (!script.leftOut.isEmpty()) {
        err << terminalMessage(QStringLiteral("データを失うおそれのある変更を書きませんでした: %1")
                                   .arg(script.leftOut.join(QStringLiteral(", "))))
            << '\n';
    }
    return !compareDefinitions(older.tables, newer.tables).empty();
}

} // namespace tavrune

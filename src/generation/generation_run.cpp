#include "generation/generation_run.h"

#include "common/cp932_text.h"
#include "common/error.h"
#include "generation/expansion_queue.h"
#include "generation/output_files.h"
#include "generation/split_lines.h"
#include "generation/table_text_expander.h"
#include "generation/text_rules.h"
#include "settings/setting_fields.h"

#include <algorithm>
#include <new>

namespace tavrune {

namespace {

const QString kCaption = QStringLiteral("Tavrune for Excel");

// Characters a file name made from a cell cannot hold: the separator and the
// control characters (NUL, CR, LF, 0x1A and the like).
bool forbiddenInFileName(QChar c)
{
    return c == u'/' || c.category() == QChar::Other_Control;
}

// The name as messages show it: control characters as their codes.
QString visibleName(const QString& name)
{
    QString shown;
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control) {
            shown += u'<' + describeCodePoint(c.unicode()) + u'>';
        } else {
            shown += c;
        }
    }
    return shown;
}

// A name made from a table title must name a visible file inside the output
// directory, and a title of its own: the added strings alone (".sql") would make
// a hidden file. titleCell is where the title was read.
void checkFileName(const QString& title, const QString& name, const QString& titleCell,
                   const QString& sheetName)
{
    QString why;
    const auto forbidden = std::find_if(name.begin(), name.end(), forbiddenInFileName);
    if (trimSpaces(title).isEmpty()) {
        why = QStringLiteral("テーブルタイトルのセル %1 が空です").arg(titleCell);
    } else if (name == u"." || name == u"..") {
        why = QStringLiteral("\"%1\" はファイル名に使えません").arg(name);
    } else if (forbidden != name.end()) {
        why = QStringLiteral("ファイル名 \"%1\" に使えない文字 (%2) があります")
                  .arg(visibleName(name), *forbidden == u'/'
                                              ? QStringLiteral("/")
                                              : describeCodePoint(forbidden->unicode()));
    } else if (name.startsWith(u'.')) {
        why = QStringLiteral("ファイル名 \"%1\" は . で始まるため隠しファイルになります").arg(name);
    } else {
        return;
    }
    throw Error(
        ErrorNumber::BadFileName,
        QStringLiteral("シート \"%1\" の出力ファイル名を作れません: %2。").arg(sheetName, why));
}

} // namespace

FormatSetting workingFormat(const FormatSetting& typed)
{
    FormatSetting format = typed;
    for (QString* field :
         {&format.TableName, &format.TableTitle, &format.RowTitle, &format.RowType,
          &format.RowLength, &format.RowScale, &format.Index, &format.StrIndex, &format.NotNull,
          &format.StrNotNull, &format.SetNotNull, &format.Default, &format.SetDefault,
          &format.Comment, &format.Etc[0], &format.Etc[1], &format.Etc[2], &format.Etc[3]}) {
        *field = trimSpaces(*field);
    }
    return format;
}

GenerationRun::GenerationRun(WorkbookSource& source, RunHost& host, OutputTarget& output)
    : m_source(source), m_host(host), m_output(output)
{
}

void GenerationRun::message(const QString& text, MessageIcon icon)
{
    m_host.interaction().showMessage(text, icon, MessageButtons::Ok, Answer::Ok);
}

bool GenerationRun::checkPreconditions(const RunInputs& inputs)
{
    if (std::none_of(inputs.sheetSelected.begin(), inputs.sheetSelected.end(),
                     [](bool selected) { return selected; })) {
        message(QStringLiteral("作成するシートを選択してください。"), MessageIcon::Exclamation);
        return false;
    }
    if (trimSpaces(inputs.file.OutputDir).isEmpty()) {
        message(QStringLiteral("出力先を指定して下さい。"), MessageIcon::Exclamation);
        return false;
    }
    if (inputs.file.OutputFile != 0 && trimSpaces(inputs.file.OutputFileName).isEmpty()) {
        message(QStringLiteral("ファイル名を指定して下さい。"), MessageIcon::Exclamation);
        return false;
    }
    return true;
}

bool GenerationRun::makeFiles(const RunInputs& inputs)
{
    return perform(inputs, [this, &inputs] { return run(inputs); });
}

bool GenerationRun::stopAtStart(const RunInputs& inputs, const Error& error)
{
    return perform(inputs, [&error]() -> Outcome { throw error; });
}

bool GenerationRun::perform(const RunInputs& inputs, const std::function<Outcome()>& work)
{
    if (!checkPreconditions(inputs)) {
        return false;
    }
    m_host.beginRun();
    Outcome outcome = Outcome::Cancelled;
    m_doing = QStringLiteral("ファイル作成の準備");
    try {
        outcome = work();
    } catch (const Error& error) {
        if (error.number() != ErrorNumber::UserDeclined) {
            message(error.description(), MessageIcon::Stop);
        }
    } catch (const std::bad_alloc&) {
        message(QStringLiteral("メモリが足りません。%1を続けられません。").arg(m_doing),
                MessageIcon::Stop);
    }
    // A file not committed (a cancel, an error) leaves what had its name as it was.
    m_output.abortOutputFile();
    m_host.endRun();
    if (outcome == Outcome::Finished) {
        message(QStringLiteral("終了しました。"), MessageIcon::Information);
        return true;
    }
    message(QStringLiteral("中断しました"), MessageIcon::Exclamation);
    return false;
}

GenerationRun::Outcome GenerationRun::run(const RunInputs& inputs)
{
    m_host.resetCancelFlag();
    m_overwriteAll = false;
    m_writtenBy.clear();

    m_format = workingFormat(inputs.format);
    m_file = inputs.file;
    m_file.OutputFile = m_file.OutputFile == 0 ? 0 : 1;
    m_lines = splitTemplates(m_file);
    const bool perTable = m_file.OutputFile == 0;

    m_output.ensureOutputDir(m_file.OutputDir, m_host.interaction());

    // One attachment for the whole run: it sees one version of every workbook.
    const std::unique_ptr<WorkbookConnection> connection = m_source.attach();
    if (!connection->hasWorkbook(inputs.workbookName)) {
        message(QStringLiteral("Excel ファイルが開かれていません。"), MessageIcon::Exclamation);
        return Outcome::Cancelled;
    }
    m_inputPaths.clear();
    for (qint16 i = 1, count = connection->workbookCount(); i <= count; ++i) {
        m_inputPaths.append(connection->workbookPath(i));
    }

    const TableTextExpander expander(*connection, m_format);
    const auto selectedCount = static_cast<qsizetype>(
        std::count(inputs.sheetSelected.begin(), inputs.sheetSelected.end(), true));
    ExpansionQueue expansions(*connection, m_format, m_file, m_lines,
                              expansionJobs(*connection, inputs, selectedCount));
    qsizetype sheetCount = 0;
    QString outputPath;
    for (qsizetype i = 0; i < inputs.sheetSelected.size(); ++i) {
        m_host.processEvents();
        if (m_host.cancelFlag()) {
            return Outcome::Cancelled;
        }
        if (!inputs.sheetSelected.at(i)) {
            continue;
        }
        ++sheetCount;
        m_host.setProgressText(QStringLiteral("%1 / %2").arg(sheetCount).arg(selectedCount));
        if (i + 1 > std::numeric_limits<qint16>::max()) {
            throw Error(ErrorNumber::Overflow,
                        QStringLiteral("シート番号 %1 が大きすぎます。").arg(i + 1));
        }
        const WorksheetHandle sheet =
            connection->worksheetAt(inputs.workbookName, static_cast<qint16>(i + 1));
        const QString sheetName = connection->sheetName(sheet);
        m_doing = QStringLiteral("シート \"%1\" の出力").arg(sheetName);
        // In one-file mode the file begins at the first sheet and ends at the last.
        const bool begins = perTable || sheetCount == 1;
        const bool ends = perTable || sheetCount == selectedCount;
        if (begins) {
            if (perTable) {
                SheetCellReader cells(*connection, sheet);
                outputPath = tableFilePath(cells, sheetName);
            } else {
                outputPath = addPathSeparator(m_file.OutputDir) + m_file.OutputFileName;
            }
            checkOutputPath(outputPath, sheetName);
            bool writeThis = true;
            bool replace = false;
            if (!decideOverwrite(outputPath, writeThis, replace)) {
                return Outcome::Cancelled;
            }
            if (!writeThis) {
                expansions.skip(sheetCount - 1);
                continue;
            }
            m_output.openOutputFile(outputPath, replace);
            m_writtenBy.insert(outputPath, sheetName);
            if (const QByteArray mark = byteOrderMark(m_file.Encoding); !mark.isEmpty()) {
                m_output.writeOutputLine(mark);
            }
        }
        const SheetLines lines{expander, sheet, sheetName, outputPath};
        const ExpandedSheet expanded = expansions.take(sheetCount - 1);
        writeLines(lines, expanded.header, m_lines.header, FileField::Header);
        writeLines(lines, expanded.body, m_lines.body, FileField::Body);
        writeLines(lines, expanded.footer, m_lines.footer, FileField::Footer);
        if (ends) {
            m_output.commitOutputFile();
        }
    }
    return Outcome::Finished;
}

std::vector<ExpansionJob> GenerationRun::expansionJobs(WorkbookConnection& connection,
                                                       const RunInputs& inputs,
                                                       qsizetype selectedCount) const
{
    // The sheets the run will come to, as far as they can be told beforehand; a
    // sheet that cannot be had ends the list, and the run fails at it on its own.
    std::vector<ExpansionJob> jobs;
    const bool perTable = m_file.OutputFile == 0;
    for (qsizetype i = 0; i < inputs.sheetSelected.size(); ++i) {
        if (!inputs.sheetSelected.at(i)) {
            continue;
        }
        if (i + 1 > std::numeric_limits<qint16>::max()) {
            break;
        }
        ExpansionJob job;
        try {
            job.sheet = connection.worksheetAt(inputs.workbookName, static_cast<qint16>(i + 1));
        } catch (const Error&) {
            break;
        }
        const auto position = static_cast<qsizetype>(jobs.size()) + 1;
        job.header = !m_file.text(Template::Header).isEmpty() && (perTable || position == 1);
        job.footer =
            !m_file.text(Template::Footer).isEmpty() && (perTable || position == selectedCount);
        jobs.push_back(std::move(job));
    }
    return jobs;
}

void GenerationRun::writeLines(const SheetLines& target, const std::vector<ExpandedLine>& expanded,
                               const QStringList& lines, FileField field)
{
    for (size_t n = 0; n < expanded.size(); ++n) {
        const ExpandedLine& line = expanded[n];
        if (line.error) {
            std::rethrow_exception(line.error);
        }
        if (!line.bytes) {
            unrepresentableCharacter(target, lines.at(static_cast<qsizetype>(n)), field,
                                     static_cast<qsizetype>(n) + 1, line.unrepresentable);
        }
        m_output.writeOutputLine(*line.bytes);
    }
}

void GenerationRun::unrepresentableCharacter(const SheetLines& target, const QString& line,
                                             FileField field, qsizetype lineNumber,
                                             char32_t character)
{
    // Where it came from: the template line, else a cell read for the line, else
    // a text of the format setting put in by a placeholder. The template goes
    // first because some cells are read for every line, whether used or not.
    QString origin;
    if (line.contains(QString::fromUcs4(&character, 1))) {
        origin = QStringLiteral("シート \"%1\"、%2の %3 行目")
                     .arg(target.sheetName, fileFieldName(field))
                     .arg(lineNumber);
    } else if (const QString cell = target.expander.cellHolding(target.sheet, line, character);
               !cell.isEmpty()) {
        origin = QStringLiteral("シート \"%1\" のセル %2").arg(target.sheetName, cell);
    } else {
        origin = QStringLiteral("シート \"%1\"、書式の設定文字列").arg(target.sheetName);
    }
    throw Error(ErrorNumber::ApplicationDefined,
                QStringLiteral("文字 %1 は%2 で書けないため、%3出力できません (%4)。")
                    .arg(describeCodePoint(character), encodingDescription(m_file.Encoding),
                         m_output.destinationPhrase(target.path), origin));
}

QString GenerationRun::tableFilePath(SheetCellReader& cells, const QString& sheetName) const
{
    const QString title = cells.cell(m_format.TableTitle, FormatField::TableTitle);
    const QString name = tableFileName(m_file, title);
    checkFileName(title, name, m_format.TableTitle, sheetName);
    return addPathSeparator(m_file.OutputDir) + name;
}

void GenerationRun::checkOutputPath(const QString& path, const QString& sheetName)
{
    const auto earlier = m_writtenBy.constFind(path);
    if (earlier != m_writtenBy.constEnd()) {
        throw Error(ErrorNumber::BadFileName,
                    QStringLiteral("シート \"%1\" とシート \"%2\" の出力ファイルが同じ \"%3\" "
                                   "です。先に書いたファイルを上書きしないよう中止しました。")
                        .arg(earlier.value(), sheetName, path));
    }
    for (const QString& input : m_inputPaths) {
        if (m_output.isSameFile(path, input)) {
            throw Error(ErrorNumber::BadFileName,
                        QStringLiteral("シート \"%1\" の出力ファイル \"%2\" は開いているブック "
                                       "\"%3\" です。ブックを上書きしないよう中止しました。")
                            .arg(sheetName, path, input));
        }
    }
}

bool GenerationRun::decideOverwrite(const QString& path, bool& writeThis, bool& replace)
{
    if (!m_output.outputFileExists(path)) {
        return true;
    }
    const QString prompt = path + QStringLiteral("\r\n\r\n既に同名のファイルが存在します。\r\n"
                                                 "上書きしますか？");
    if (m_file.OutputFile != 0) {
        if (m_host.interaction().showMessage(prompt, MessageIcon::Question,
                                             MessageButtons::OkCancel,
                                             Answer::Cancel) != Answer::Ok) {
            return false;
        }
        replace = true;
        return true;
    }
    if (m_overwriteAll) {
        replace = true;
        return true;
    }
    switch (m_host.interaction().askYesAllNoCancel(prompt, kCaption)) {
    case Answer::Yes:
        replace = true;
        return true;
    case Answer::OverwriteAll:
        replace = true;
        m_overwriteAll = true;
        return true;
    case Answer::No:
        writeThis = false;
        return true;
    default:
        return false;
    }
}

} // namespace tavrune

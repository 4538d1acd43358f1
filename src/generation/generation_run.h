#pragma once

#include "generation/expansion_queue.h"
#include "generation/output_target.h"
#include "generation/run_host.h"
#include "generation/sheet_cell_reader.h"
#include "generation/split_lines.h"
#include "generation/table_text_expander.h"
#include "settings/setting_fields.h"
#include "settings/settings_records.h"
#include "workbook/workbook_source.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace tavrune {

class Error;

// What a run takes from the windows at its start.
struct RunInputs
{
    // The format editor's fields as typed, the start row read as a number.
    FormatSetting format;
    // The main window's templates and output options as typed.
    FileSetting file;
    // The workbook box's text.
    QString workbookName;
    // One entry per worksheet of the sheet list, in list order: whether it is
    // selected.
    QList<bool> sheetSelected;
};

// The format as a run reads it: every text trimmed of spaces.
FormatSetting workingFormat(const FormatSetting& typed);

// The create-files command: expands the header, body and footer templates against
// every selected sheet and writes one file per table or one file for all.
class GenerationRun
{
public:
    GenerationRun(WorkbookSource& source, RunHost& host, OutputTarget& output);

    // Runs to the end; true when every selected sheet was processed, false when a
    // precondition failed, the user cancelled or an error stopped the run. Every
    // outcome has been reported to the user through the host.
    bool makeFiles(const RunInputs& inputs);
    // A run whose format could not be read from the windows (a start row beyond 32
    // bits): it stops with error as makeFiles stops with an error, once the
    // preconditions are met and the run has begun.
    bool stopAtStart(const RunInputs& inputs, const Error& error);

private:
    enum class Outcome
    {
        Finished,
        Cancelled,
    };

    // Where the lines being written come from and go to.
    struct SheetLines
    {
        const TableTextExpander& expander;
        const WorksheetHandle& sheet;
        const QString& sheetName;
        const QString& path;
    };

    bool checkPreconditions(const RunInputs& inputs);
    // Begins the run, does work and reports its outcome.
    bool perform(const RunInputs& inputs, const std::function<Outcome()>& work);
    Outcome run(const RunInputs& inputs);
    // The output path of a sheet in one-file-per-table mode.
    QString tableFilePath(SheetCellReader& cells, const QString& sheetName) const;
    // Refuses a path this run has begun a file at already, and the path of an
    // open workbook.
    void checkOutputPath(const QString& path, const QString& sheetName);
    // Decides on an existing output file; false when the run is to be cancelled.
    // replace tells whether the existing file may be replaced.
    bool decideOverwrite(const QString& path, bool& writeThis, bool& replace);
    // The sheets the run is to write, for expanding ahead.
    std::vector<ExpansionJob> expansionJobs(WorkbookConnection& connection, const RunInputs& inputs,
                                            qsizetype selectedCount) const;
    // Writes the expanded lines of one template part; a failed line throws, as
    // expanding it would have. lines are the template's.
    void writeLines(const SheetLines& target, const std::vector<ExpandedLine>& expanded,
                    const QStringList& lines, FileField field);
    // Throws the error for a character code page 932 cannot represent, naming
    // where it came from.
    [[noreturn]] void unrepresentableCharacter(const SheetLines& target, const QString& line,
                                               FileField field, qsizetype lineNumber,
                                               char32_t character);
    void message(const QString& text, MessageIcon icon);

    WorkbookSource& m_source;
    RunHost& m_host;
    OutputTarget& m_output;
    FormatSetting m_format;
    FileSetting m_file;
    TemplateLines m_lines;
    bool m_overwriteAll = false;
    // The files begun by this run, by path, with the sheet each was begun for.
    QHash<QString, QString> m_writtenBy;
    // The files of the open workbooks, which the run never writes.
    QStringList m_inputPaths;
    // What the run is doing, for a message when memory runs out.
    QString m_doing;
};

} // namespace tavrune

#pragma once

#include "generation/generation_run.h"
#include "workbook/workbook_source.h"

#include <QList>
#include <QString>
#include <atomic>

namespace tavrune {

// One thing a sheet check found, where it is.
struct SheetFinding
{
    QString sheet;      // the sheet's name
    QString cell;       // an A1 reference, or the reference as the format gives it
    QString message;    // what is wrong, in the user's words
    qsizetype more = 0; // further findings of its kind in the sheet it stands for

    bool operator==(const SheetFinding&) const = default;
};

// In one sheet, the findings of one kind are listed one by one up to this many;
// the next stands for the rest and says how many they are.
constexpr qsizetype kFindingsPerKind = 20;
// The check stops once it has listed this many, and says so.
constexpr qsizetype kMaxFindings = 1000;

// Looks over the selected sheets for what would make a run fail or write a wrong
// script, without writing anything: empty table names or titles, titles that make
// unusable file names, duplicate column titles in a table, duplicate table names
// across the sheets, rows with a title but no type, lengths or scales that are not
// numbers, characters the output encoding cannot represent, and error values in
// cells. Findings come in sheet order, then row order. The check is given up,
// throwing an error numbered UserDeclined, once cancelled is raised; the flag is
// looked at between rows.
QList<SheetFinding> checkSheets(WorkbookSource& source, const RunInputs& inputs,
                                const std::atomic_bool& cancelled);

} // namespace tavrune

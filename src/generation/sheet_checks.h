#pragma once

#include "generation/generation_run.h"
#include "workbook/workbook_source.h"

#include <QList>
#include <QString>

namespace tavrune {

// One thing a sheet check found, where it is.
struct SheetFinding
{
    QString sheet;   // the sheet's name
    QString cell;    // an A1 reference, or the reference as the format gives it
    QString message; // what is wrong, in the user's words

    bool operator==(const SheetFinding&) const = default;
};

// Looks over the selected sheets for what would make a run fail or write a wrong
// script, without writing anything: empty table names or titles, titles that make
// unusable file names, duplicate column titles in a table, duplicate table names
// across the sheets, rows with a title but no type, lengths or scales that are not
// numbers, characters the output encoding cannot represent, and error values in
// cells. Findings come in sheet order, then row order.
QList<SheetFinding> checkSheets(WorkbookSource& source, const RunInputs& inputs);

} // namespace tavrune

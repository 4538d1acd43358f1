#pragma once

#include "settings/settings_records.h"
#include "workbook/workbook_source.h"

#include <QString>

namespace tavrune {

// What a run would write for one sheet, computed without writing or asking.
struct SheetPreview
{
    QString fileName; // the output file's name, without the directory
    QString text;     // lines joined by LF
    QString error;    // when the expansion failed: what failed, naming field and cell
};

// The header, body and footer expanded against sheet number sheetIndex (from 1)
// of the named workbook, with the format's fields as typed (they are trimmed as a
// run trims them; the start row is read from rowStartText) and the file setting's
// templates and options as they stand.
SheetPreview previewSheet(WorkbookSource& source, const QString& workbookName, qint16 sheetIndex,
                          const FormatSetting& format, const QString& rowStartText,
                          const FileSetting& file);

} // namespace tavrune

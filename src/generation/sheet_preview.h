#pragma once

#include "settings/settings_records.h"
#include "workbook/workbook_source.h"

#include <QString>
#include <atomic>

namespace tavrune {

// What a run would write for one sheet, computed without writing or asking.
struct SheetPreview
{
    QString fileName; // the output file's name, without the directory
    QString text;     // lines joined by LF
    QString error;    // when the expansion failed: what failed, naming field and cell
    bool cut = false; // the text stops short: what follows was left out
};

// A preview holds at most this much text: enough to see what a sheet makes, little
// enough to stay quick however long the sheet is.
constexpr qsizetype kMaxPreviewLines = 5000;
constexpr qsizetype kMaxPreviewChars = 400'000;

// The header, body and footer expanded against sheet number sheetIndex (from 1)
// of the named workbook, with the format's fields as typed (they are trimmed as a
// run trims them) and the file setting's
// templates and options as they stand. The expansion stops where the text reaches
// the bounds above, and is given up, throwing an error numbered UserDeclined,
// once cancelled is raised; the flag is looked at between rows.
SheetPreview previewSheet(WorkbookSource& source, const QString& workbookName, qint16 sheetIndex,
                          const FormatSetting& format, const FileSetting& file,
                          const std::atomic_bool& cancelled);

} // namespace tavrune

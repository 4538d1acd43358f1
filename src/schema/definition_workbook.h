#pragma once

#include "schema/table_definition.h"
#include "settings/settings_records.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <vector>

namespace tavrune {

// Where the sheets of a written definition workbook take their look from.
struct DefinitionWorkbookLayout
{
    QString templatePath;  // empty: a plain sheet with the format's captions as headers
    QString templateSheet; // the template's sheet every table's sheet copies; empty: its first
                           // worksheet
};

// Sheet names for the tables, in order: title (else name), cut to 31 characters, []:*?/\ replaced,
// made unique without regard to letter case as the spreadsheet programs do ("名前 (2)").
QStringList definitionSheetNames(const std::vector<TableDefinition>& tables);

// Writes one sheet per table to path as .xlsx, laid out by format (as typed; its working copy
// taken), through a temporary file renamed into place (ReplacingFile). Replaces an existing file at
// path, unless it is the template or one of inputs (same file by device and inode, links followed):
// then throws. Stops between sheets when cancelled is raised (throws the cancel as the generation
// run does, nothing left behind). Every failure throws an Error naming the file (and
// sheet/cell/part) and the system's reason.
void writeDefinitionWorkbook(const QString& path, const std::vector<TableDefinition>& tables,
                             const FormatSetting& format, const DefinitionWorkbookLayout& layout,
                             const QStringList& inputs, const std::atomic_bool& cancelled);

} // namespace tavrune

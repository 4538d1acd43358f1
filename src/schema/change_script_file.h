#pragma once

#include "schema/change_script.h"
#include "settings/settings_records.h"
#include "workbook/workbook_source.h"

#include <QString>

namespace tavrune {

class OutputTarget;
class UserInteraction;

// Writes tables as a run of the file setting create writes their sheets: its body
// template expanded for the sheet of the table's name, read through connection.
// connection must outlive what is returned.
CreateTableText createTablesBy(WorkbookConnection& connection, const FormatSetting& format,
                               const FileSetting& create);

// The path the change script of setting goes to: its file name in the output
// directory of create. Throws an Error when the setting names no file.
QString changeScriptPath(const ChangeSetting& setting, const FileSetting& create);

// Writes the script to path through output, in create's encoding and line end,
// making the output directory as a run does; replace allows an existing file to
// be replaced. Throws an Error saying what failed and where.
void writeChangeScript(const QString& text, const QString& path, const FileSetting& create,
                       OutputTarget& output, UserInteraction& interaction, bool replace);

} // namespace tavrune

#pragma once

#include "database/database_url.h"
#include "schema/difference_report.h"
#include "settings/change_settings.h"
#include "settings/settings_records.h"
#include "workbook/file_workbook_source.h"

#include <QIODevice>
#include <QTextStream>
#include <optional>

namespace tavrune {

class OutputTarget;
class UserInteraction;

// What tavrune-batch --diff compares and what it writes.
struct DiffRequest
{
    QString olderWorkbook;
    // Instead of the older workbook: a database, compared with the newer sheets in
    // what it keeps of them.
    std::optional<DatabaseUrl> olderDatabase;
    QString newerWorkbook;
    // Instead of the newer workbook: a database, compared with the older sheets in
    // what it keeps of them. No change script is made towards a database.
    std::optional<DatabaseUrl> newerDatabase;
    FormatSetting olderFormat;
    FormatSetting newerFormat;
    DifferenceFormat reportFormat = DifferenceFormat::Text;
    // With a change setting, the change script is written instead of the report:
    // through createFile's output directory, encoding and line end (replaced as the
    // options say), or to the output target given.
    std::optional<ChangeSetting> change;
    FileSetting createFile;
    bool leaveOutDestructive = false;
    bool overwrite = false;
};

// Compares the two workbooks and prints the report, or writes the change script
// to output (a file or standard output); destructive statements left out are named
// on err. True when there are differences. Throws an Error on trouble.
bool runDiff(const DiffRequest& request, const FileWorkbookSource::Reader& reader, QIODevice& out,
             QTextStream& err, OutputTarget& output, UserInteraction& interaction);

} // namespace tavrune

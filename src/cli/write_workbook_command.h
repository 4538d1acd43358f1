#pragma once

#include "database/database_url.h"
#include "schema/definition_workbook.h"
#include "settings/settings_records.h"

#include <QString>
#include <QStringList>

namespace tavrune {

// What tavrune-batch --write-workbook writes.
struct WriteWorkbookRequest
{
    DatabaseUrl database;
    QString output;
    FormatSetting format;
    DefinitionWorkbookLayout layout;
    QStringList tables; // the tables to write, without regard to letter case; empty: all
    bool overwrite = false;
};

// Writes the definition workbook of the database's tables. Throws an Error when the
// output exists and is not to be overwritten, when a table named is not in the
// database, and on every other trouble.
void runWriteWorkbook(const WriteWorkbookRequest& request);

} // namespace tavrune

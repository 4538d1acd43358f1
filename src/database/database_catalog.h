#pragma once

#include "database/database_url.h"
#include "schema/table_definition.h"

#include <vector>

namespace tavrune {

// The tables of the database's schema (of the file, for SQLite; over ODBC, of every
// schema the driver lists unless the URL or the DBMS names one) in name order, as
// definitions the sheets would hold: columns in order with their types in the
// sheets' words (see canonicalType), NOT NULL, defaults as a sheet cell holds them,
// comments, and the primary key. The table's comment is its title. Their places
// name the database: "database:TABLE", "database:TABLE!3" for the third column.
// Connecting gives up after 15 seconds; every failure throws an Error saying why.
std::vector<TableDefinition> readDatabaseDefinitions(const DatabaseUrl& url);

// What a database keeps of a sheet besides names, column order, types, NOT NULL
// and keys; what it keeps not is taken from the sheets before comparing.
struct DatabaseKeeps
{
    bool titles = true;
    bool comments = true;
    bool defaults = true;
};

// What the tables read from a database keep: SQLite no table titles (the /* */
// comments of CREATE TABLE stand for the column comments); over ODBC, titles and
// comments only when the driver gave any remark, defaults only when it gave any.
DatabaseKeeps keptBy(DatabaseKind kind, const std::vector<TableDefinition>& database);

// A type in the words both sides are compared in: the name in capitals through the
// common aliases (DECIMAL is NUMERIC, CHARACTER VARYING is VARCHAR, INT is INTEGER,
// TIMESTAMP WITHOUT TIME ZONE is TIMESTAMP …), a scale of 0 left out.
ColumnType canonicalType(const QString& name, const QString& length, const QString& scale);

// Sheet definitions as a database is compared with them: canonical types, and
// defaults without the apostrophes around them.
void prepareForDatabase(std::vector<TableDefinition>& tables);

// Readies a database's tables and the sheets for comparison in what the database
// keeps: the sheets prepared, without extra cells, and the sheets' titles,
// comments and defaults taken where the database keeps none (see keptBy).
void matchWhatTheDatabaseKeeps(std::vector<TableDefinition>& database,
                               std::vector<TableDefinition>& sheets, DatabaseKind kind);

} // namespace tavrune

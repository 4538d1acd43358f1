#pragma once

#include "database/database_url.h"
#include "schema/table_definition.h"

#include <vector>

namespace tavrune {

// The tables of the database's schema (of the file, for SQLite) in name order, as
// definitions the sheets would hold: columns in order with their types in the
// sheets' words (see canonicalType), NOT NULL, defaults as a sheet cell holds them,
// comments, and the primary key. The table's comment is its title. Their places
// name the database: "database:TABLE", "database:TABLE#3" for the third column.
// Connecting gives up after 15 seconds; every failure throws an Error saying why.
std::vector<TableDefinition> readDatabaseDefinitions(const DatabaseUrl& url);

// Whether the database keeps table titles and column comments (SQLite keeps
// neither, only the text of CREATE TABLE, whose /* */ comments stand for the
// column comments).
bool keepsTableTitles(DatabaseKind kind);

// A type in the words both sides are compared in: the name in capitals through the
// common aliases (DECIMAL is NUMERIC, CHARACTER VARYING is VARCHAR, INT is INTEGER,
// TIMESTAMP WITHOUT TIME ZONE is TIMESTAMP …), a scale of 0 left out.
ColumnType canonicalType(const QString& name, const QString& length, const QString& scale);

// Sheet definitions as a database is compared with them: canonical types, and
// defaults without the apostrophes around them.
void prepareForDatabase(std::vector<TableDefinition>& tables);

// Readies a database's tables and the sheets for comparison in what the database
// keeps: the sheets prepared, without extra cells, and the sheets' titles taken
// where the database keeps none.
void matchWhatTheDatabaseKeeps(std::vector<TableDefinition>& database,
                               std::vector<TableDefinition>& sheets, DatabaseKind kind);

} // namespace tavrune

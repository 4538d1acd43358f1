#pragma once

#include <QString>

namespace tavrune {

enum class DatabaseKind
{
    PostgreSql,
    MySql, // MySQL and MariaDB
    Sqlite,
    Odbc, // a data source set up in odbc.ini, for databases without a driver of their own
};

// Where a database is, as a URL names it: postgresql://user@host:port/database
// (?schema=…, ?host=/socket/folder), mysql://user@host:port/database (?socket=…),
// sqlite:///path/to/file, odbc://user@DSN (?schema=…; the DSN percent-encoded).
// Passwords never come from it: the client libraries' own files and variables give
// them (~/.pgpass, PGPASSWORD, ~/.my.cnf, the DSN's odbc.ini).
struct DatabaseUrl
{
    DatabaseKind kind = DatabaseKind::Sqlite;
    QString host; // a folder for a Unix socket of PostgreSQL
    int port = -1;
    QString database; // the file for SQLite, the DSN for ODBC
    QString user;
    QString schema; // PostgreSQL's, "public" unless given; ODBC's, empty unless given
    QString socket; // MySQL's Unix socket
};

// Reads a URL; throws an Error naming what is wrong with it, a password included.
DatabaseUrl parseDatabaseUrl(const QString& text);

// The schema a database's tables are read from when the URL names none.
QString defaultSchema(DatabaseKind kind);

} // namespace tavrune

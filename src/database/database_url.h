#pragma once

#include <QString>

namespace tavrune {

enum class DatabaseKind
{
    PostgreSql,
    MySql, // MySQL and MariaDB
    Sqlite,
};

// Where a database is, as a URL names it: postgresql://user@host:port/database
// (?schema=…, ?host=/socket/folder), mysql://user@host:port/database (?socket=…),
// sqlite:///path/to/file. Passwords never come from it: the client libraries'
// own files and variables give them (~/.pgpass, PGPASSWORD, ~/.my.cnf).
struct DatabaseUrl
{
    DatabaseKind kind = DatabaseKind::Sqlite;
    QString host; // a folder for a Unix socket of PostgreSQL
    int port = -1;
    QString database; // the file for SQLite
    QString user;
    QString schema; // PostgreSQL's, "public" unless given
    QString socket; // MySQL's Unix socket
};

// Reads a URL; throws an Error naming what is wrong with it, a password included.
DatabaseUrl parseDatabaseUrl(const QString& text);

} // namespace tavrune

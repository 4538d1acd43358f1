#pragma once

#include "settings/connection_settings.h"

#include <QString>
#include <optional>

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
    // Only ever typed by the user or taken from the keyring, never read from a URL.
    QString password;
};

// Reads a URL; throws an Error naming what is wrong with it, a password included.
DatabaseUrl parseDatabaseUrl(const QString& text);

// Where a named connection leads; throws an Error naming the connection and what
// is wrong with it (an unknown kind, a port that is no number).
DatabaseUrl databaseUrlOf(const ConnectionSetting& connection);

// The database a window's text names: a registered connection by its name, else a
// URL (a text holding "://"), with whether its password is kept in the keyring;
// none for any other text (a workbook's path). Throws an Error for a connection or
// URL that cannot be used.
struct DatabaseTarget
{
    DatabaseUrl url;
    bool rememberPassword = false;
};
std::optional<DatabaseTarget> databaseTarget(const QString& text,
                                             const ConnectionSettings& connections);

// The URL naming the database and the user, without the schema: the key of its
// password in the keyring, and how messages name it.
QString databaseUrlText(const DatabaseUrl& url);

// The schema a database's tables are read from when the URL names none.
QString defaultSchema(DatabaseKind kind);

} // namespace tavrune

#pragma once

#include <QList>
#include <QString>

namespace tavrune {

// A named database connection. Its password is never kept here: it comes from the
// desktop's keyring when RememberPassword is set, else from a question, or from
// the client libraries' own files (~/.pgpass, ~/.my.cnf, odbc.ini).
struct ConnectionSetting
{
    QString Name;
    QString Kind;     // the URL scheme: postgresql, mysql, sqlite or odbc
    QString Host;     // a host, or a Unix socket's folder (PostgreSQL) or file (MySQL)
    QString Port;     // empty for the client's default
    QString Database; // the database; the file for SQLite, the data source for ODBC
    QString User;
    QString Schema; // PostgreSQL's (empty for public) or a data source's
    bool RememberPassword = false;

    bool operator==(const ConnectionSetting&) const = default;
};
using ConnectionSettings = QList<ConnectionSetting>;

// tavrune_connections.json in the settings file's directory.
QString connectionSettingsPathBeside(const QString& settingsFile);

// Reads the connections; none when the file does not exist. Throws an Error naming
// the file and what is wrong with it.
ConnectionSettings loadConnectionSettings(const QString& path);
// Writes them whole, replacing the file only once the new one is on the disk.
void saveConnectionSettings(const QString& path, const ConnectionSettings& settings);

} // namespace tavrune

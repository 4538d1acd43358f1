#pragma once

#include <QString>
#include <QStringList>

namespace tavrune {

// A statement on an open ODBC connection reading the result sets of the catalog
// functions. What the driver returns is taken as hostile: a value longer than
// maxValueLength, or a result set longer than maxRows, throws an Error, as does
// every failed call, with the driver's diagnostics.
class OdbcStatement
{
public:
    static constexpr qsizetype maxValueLength = 65536;
    static constexpr int maxRows = 100000;

    // connection is the SQLHDBC that QSqlDriver::handle() gives for QODBC.
    explicit OdbcStatement(void* connection);
    ~OdbcStatement();
    OdbcStatement(const OdbcStatement&) = delete;
    OdbcStatement& operator=(const OdbcStatement&) = delete;

    // The DBMS's own name (SQL_DBMS_NAME), "PostgreSQL", "SQLite" …
    static QString dbmsName(void* connection);
    // The connection's current database (SQL_DATABASE_NAME).
    static QString databaseName(void* connection);
    // The character that escapes _ and % in the pattern arguments, if the driver has one.
    static QString searchPatternEscape(void* connection);

    // The catalog functions; a null argument is passed as NULL (any), and the
    // schema and table arguments of tables and columns are search patterns.
    void tables(const QString& catalog, const QString& schema, const QString& type);
    void columns(const QString& catalog, const QString& schema, const QString& table);
    void primaryKeys(const QString& catalog, const QString& schema, const QString& table);

    // Moves to the next row of the result set; false past its end.
    bool next();
    // Column number (from 1) of the row; null for NULL and past the columns the
    // catalog functions define (a driver's own further columns are never read).
    QString text(int column) const;

private:
    void started(short result, const QString& function);
    QString value(int column);

    void* m_statement = nullptr;
    int m_columnCount = 0;
    int m_rows = 0;
    QStringList m_row;
};

} // namespace tavrune

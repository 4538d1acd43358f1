#include "database/odbc_statement.h"

#include "common/error.h"

#include <algorithm>
#include <array>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

namespace tavrune {

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC's SQLWCHAR is UTF-16");

// The columns the catalog functions' result sets define (SQLColumns has the most).
constexpr int definedColumns = 18;
constexpr int diagnosticRecords = 4;

QString fromOdbc(const SQLWCHAR* text, qsizetype length)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text), length);
}

// What the driver says went wrong, its first records joined.
QString diagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    QStringList messages;
    for (SQLSMALLINT record = 1; record <= diagnosticRecords; ++record) {
        std::array<SQLWCHAR, 6> state{};
        std::array<SQLWCHAR, 1024> message{};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, record, state.data(), &native,
                                          message.data(), message.size(), &length))) {
            break;
        }
        const qsizetype used =
            std::clamp<qsizetype>(length, 0, static_cast<qsizetype>(message.size()) - 1);
        messages.append(QStringLiteral("[%1] %2").arg(fromOdbc(state.data(), 5),
                                                      fromOdbc(message.data(), used).trimmed()));
    }
    return messages.isEmpty() ? QStringLiteral("(ドライバーの説明はありません)")
                              : messages.join(u' ');
}

QString info(void* connection, SQLUSMALLINT type)
{
    std::array<SQLWCHAR, 256> text{};
    SQLSMALLINT bytes = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(connection, type, text.data(),
                                   static_cast<SQLSMALLINT>(sizeof(text)), &bytes))) {
        return {};
    }
    return fromOdbc(text.data(), std::clamp<qsizetype>(bytes / sizeof(SQLWCHAR), 0,
                                                       static_cast<qsizetype>(text.size()) - 1));
}

// An argument of a catalog function: NULL for a null text.
struct Argument
{
    explicit Argument(const QString& text) : m_null(text.isNull()), m_text(text) {}
    SQLWCHAR* data() { return m_null ? nullptr : reinterpret_cast<SQLWCHAR*>(m_text.data()); }
    SQLSMALLINT length() const
    {
        return m_null ? 0 : static_cast<SQLSMALLINT>(std::min<qsizetype>(m_text.size(), 32767));
    }

private:
    bool m_null;
    QString m_text;
};

} // namespace

OdbcStatement::OdbcStatement(void* connection)
{
    SQLHANDLE statement = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement))) {
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("カタログを読めません: %1")
                        .arg(diagnostics(SQL_HANDLE_DBC, connection)));
    }
    m_statement = statement;
}

OdbcStatement::~OdbcStatement()
{
    SQLFreeHandle(SQL_HANDLE_STMT, m_statement);
}

QString OdbcStatement::dbmsName(void* connection)
{
    return info(connection, SQL_DBMS_NAME);
}

QString OdbcStatement::databaseName(void* connection)
{
    return info(connection, SQL_DATABASE_NAME);
}

QString OdbcStatement::searchPatternEscape(void* connection)
{
    return info(connection, SQL_SEARCH_PATTERN_ESCAPE);
}

void OdbcStatement::tables(const QString& catalog, const QString& schema, const QString& type)
{
    Argument c(catalog), s(schema), t(QStringLiteral("%")), y(type);
    started(SQLTablesW(m_statement, c.data(), c.length(), s.data(), s.length(), t.data(),
                       t.length(), y.data(), y.length()),
            QStringLiteral("SQLTables"));
}

void OdbcStatement::columns(const QString& catalog, const QString& schema, const QString& table)
{
    Argument c(catalog), s(schema), t(table), n(QStringLiteral("%"));
    started(SQLColumnsW(m_statement, c.data(), c.length(), s.data(), s.length(), t.data(),
                        t.length(), n.data(), n.length()),
            QStringLiteral("SQLColumns"));
}

void OdbcStatement::primaryKeys(const QString& catalog, const QString& schema, const QString& table)
{
    Argument c(catalog), s(schema), t(table);
    started(SQLPrimaryKeysW(m_statement, c.data(), c.length(), s.data(), s.length(), t.data(),
                            t.length()),
            QStringLiteral("SQLPrimaryKeys"));
}

void OdbcStatement::started(short result, const QString& function)
{
    if (!SQL_SUCCEEDED(result)) {
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("カタログを読めません (%1): %2")
                        .arg(function, diagnostics(SQL_HANDLE_STMT, m_statement)));
    }
    SQLSMALLINT count = 0;
    SQLNumResultCols(m_statement, &count);
    m_columnCount = std::clamp<int>(count, 0, definedColumns);
    m_rows = 0;
}

bool OdbcStatement::next()
{
    const SQLRETURN result = SQLFetch(m_statement);
    if (result == SQL_NO_DATA) {
        SQLFreeStmt(m_statement, SQL_CLOSE);
        return false;
    }
    if (!SQL_SUCCEEDED(result)) {
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("カタログを読めません: %1")
                        .arg(diagnostics(SQL_HANDLE_STMT, m_statement)));
    }
    if (++m_rows > maxRows) {
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("カタログの行が %1 を超えました").arg(maxRows));
    }
    m_row.clear();
    for (int column = 1; column <= m_columnCount; ++column) {
        m_row.append(value(column));
    }
    return true;
}

QString OdbcStatement::text(int column) const
{
    return column >= 1 && column <= m_row.size() ? m_row[column - 1] : QString();
}

// Read in pieces, so that a driver's length, however wrong, never sizes a buffer.
QString OdbcStatement::value(int column)
{
    std::array<SQLWCHAR, 1024> piece{};
    constexpr qsizetype pieceLength = piece.size() - 1;
    QString text = QStringLiteral("");
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN result = SQLGetData(m_statement, static_cast<SQLUSMALLINT>(column),
                                            SQL_C_WCHAR, piece.data(), sizeof(piece), &indicator);
        if (result == SQL_NO_DATA) {
            return text;
        }
        if (!SQL_SUCCEEDED(result)) {
            throw Error(ErrorNumber::ApplicationDefined,
                        QStringLiteral("カタログを読めません: %1")
                            .arg(diagnostics(SQL_HANDLE_STMT, m_statement)));
        }
        if (indicator == SQL_NULL_DATA) {
            return {};
        }
        // A piece the rest did not fit in is full, however long the driver says the rest is.
        const qsizetype said = indicator / static_cast<SQLLEN>(sizeof(SQLWCHAR));
        const bool cut =
            result == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || said >= pieceLength);
        const qsizetype length = cut ? pieceLength : std::clamp<qsizetype>(said, 0, pieceLength);
        text += fromOdbc(piece.data(), length);
        if (text.size() > maxValueLength) {
            throw Error(ErrorNumber::ApplicationDefined,
                        QStringLiteral("カタログの値が %1 文字を超えました").arg(maxValueLength));
        }
        if (!cut) {
            return text;
        }
    }
}

} // namespace tavrune

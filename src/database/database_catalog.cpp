#include "database/database_catalog.h"

#include "common/error.h"
#include "database/odbc_statement.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <QVariant>
#include <sql.h>
#include <sqlext.h>

namespace tavrune {

namespace {

Error failed(const QString& what, const QSqlError& error,
             int number = ErrorNumber::ApplicationDefined)
{
    return Error(number, QStringLiteral("%1: %2").arg(what, error.text().trimmed()));
}

// A default as a sheet cell holds it: no cast, no apostrophes around it.
QString sheetDefault(QString value)
{
    value = value.trimmed();
    static const QRegularExpression cast(QStringLiteral(R"(^(.*?)::[\w ]+(\(\d+(,\d+)?\))?$)"));
    if (const QRegularExpressionMatch match = cast.match(value); match.hasMatch()) {
        value = match.captured(1);
    }
    if (value.size() >= 2 && value.startsWith(u'\'') && value.endsWith(u'\'')) {
        value = value.mid(1, value.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
    }
    static const QRegularExpression now(QStringLiteral(R"(^current_timestamp(\(\))?$)"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (now.match(value).hasMatch()) {
        return QStringLiteral("CURRENT_TIMESTAMP");
    }
    return value.compare(u"NULL", Qt::CaseInsensitive) == 0 ? QString() : value;
}

// "character varying(40)" → its name and arguments; MySQL's "unsigned" left out,
// before the arguments as its ODBC driver names the type or after them.
ColumnType typeOf(const QString& declared)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*([^(]*?)\s*(?:unsigned)?\s*(?:\(\s*(\d+)\s*(?:,\s*(\d+)\s*)?\))?)"
                       R"(\s*(?:unsigned)?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(declared);
    if (!match.hasMatch()) {
        return canonicalType(declared, {}, {});
    }
    return canonicalType(match.captured(1), match.captured(2), match.captured(3));
}

class Catalog
{
public:
    explicit Catalog(const DatabaseUrl& url)
        : m_url(url), m_name(QUuid::createUuid().toString(QUuid::WithoutBraces))
    {
        static const char* const drivers[] = {"QPSQL", "QMYSQL", "QSQLITE", "QODBC"};
        const char* driver = drivers[static_cast<int>(url.kind)];
        if (!QSqlDatabase::isDriverAvailable(QString::fromLatin1(driver))) {
            throw Error(ErrorNumber::ApplicationDefined,
                        QStringLiteral("データベースのドライバー %1 がありません (Debian では "
                                       "libqt6sql6-psql、-mysql、-sqlite、-odbc)。")
                            .arg(QString::fromLatin1(driver)));
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(QString::fromLatin1(driver), m_name);
        db.setDatabaseName(url.database);
        db.setHostName(url.host);
        db.setUserName(url.user);
        if (!url.password.isEmpty()) {
            db.setPassword(url.password);
        }
        if (url.port > 0) {
            db.setPort(url.port);
        }
        if (url.kind == DatabaseKind::PostgreSql) {
            db.setConnectOptions(QStringLiteral("connect_timeout=15"));
        } else if (url.kind == DatabaseKind::MySql) {
            // The client's option files give the password, as for the mysql program.
            QString options =
                QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=15;MYSQL_READ_DEFAULT_GROUP=client");
            if (!url.socket.isEmpty()) {
                options += QStringLiteral(";UNIX_SOCKET=") + url.socket;
            }
            db.setConnectOptions(options);
        } else if (url.kind == DatabaseKind::Odbc) {
            db.setConnectOptions(
                QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=15;SQL_ATTR_CONNECTION_TIMEOUT=15;"
                               "SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY"));
        } else {
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        }
        if (!db.open()) {
            const QSqlError error = db.lastError();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            throw failed(
                QStringLiteral("データベース %1 に接続できません").arg(databaseUrlText(url)), error,
                ErrorNumber::ConnectionFailed);
        }
    }
    ~Catalog()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    Catalog(const Catalog&) = delete;
    Catalog& operator=(const Catalog&) = delete;

    // The rows of a query, each its columns as texts (a NULL as a null string).
    QList<QStringList> rows(const QString& sql, const QStringList& values = {})
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        query.setForwardOnly(true);
        if (!query.prepare(sql)) {
            throw failed(QStringLiteral("カタログを読めません"), query.lastError());
        }
        for (const QString& value : values) {
            query.addBindValue(value);
        }
        if (!query.exec()) {
            throw failed(QStringLiteral("カタログを読めません"), query.lastError());
        }
        QList<QStringList> found;
        while (query.next()) {
            QStringList row;
            for (int i = 0; i < query.record().count(); ++i) {
                const QVariant value = query.value(i);
                row.append(value.isNull() ? QString() : value.toString());
            }
            found.append(row);
        }
        return found;
    }

    std::vector<TableDefinition> read()
    {
        switch (m_url.kind) {
        case DatabaseKind::PostgreSql:
            return readPostgreSql();
        case DatabaseKind::MySql:
            return readMySql();
        case DatabaseKind::Odbc:
            return readOdbc();
        case DatabaseKind::Sqlite:
            break;
        }
        return readSqlite();
    }

private:
    static TableDefinition table(const QString& name, const QString& title)
    {
        TableDefinition table;
        table.name = name;
        table.title = title;
        table.sheet = QStringLiteral("database:") + name;
        return table;
    }

    static void addColumn(TableDefinition& table, const QString& name, const ColumnType& type,
                          bool notNull, const QString& defaultValue, const QString& comment)
    {
        ColumnDefinition column;
        column.row = static_cast<qint64>(table.columns.size()) + 1;
        column.title = name;
        column.type = type;
        column.notNull = notNull;
        column.defaultValue = defaultValue;
        column.comment = comment;
        table.columns.push_back(column);
    }

    static void markKey(TableDefinition& table, const QStringList& key)
    {
        for (ColumnDefinition& column : table.columns) {
            column.key = key.contains(column.title);
        }
    }

    std::vector<TableDefinition> readPostgreSql()
    {
        const QString tables =
            QStringLiteral("FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                           "WHERE n.nspname = ? AND c.relkind IN ('r', 'p') ");
        std::vector<TableDefinition> found;
        for (const QStringList& row :
             rows(QStringLiteral("SELECT c.relname, coalesce(obj_description(c.oid, 'pg_class'), "
                                 "'') ") +
                      tables + QStringLiteral("ORDER BY c.relname"),
                  {m_url.schema})) {
            TableDefinition t = table(row[0], row[1]);
            const QString oid = QStringLiteral(
                "(SELECT c.oid FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                "WHERE n.nspname = ? AND c.relname = ?)");
            for (const QStringList& column :
                 rows(QStringLiteral("SELECT a.attname, format_type(a.atttypid, a.atttypmod), "
                                     "a.attnotnull, pg_get_expr(d.adbin, d.adrelid), "
                                     "coalesce(col_description(a.attrelid, a.attnum), '') "
                                     "FROM pg_attribute a LEFT JOIN pg_attrdef d "
                                     "ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
                                     "WHERE a.attrelid = ") +
                          oid +
                          QStringLiteral(" AND a.attnum > 0 AND NOT a.attisdropped "
                                         "ORDER BY a.attnum"),
                      {m_url.schema, t.name})) {
                addColumn(t, column[0], typeOf(column[1]),
                          column[2] == u"true" || column[2] == u"1", sheetDefault(column[3]),
                          column[4]);
            }
            QStringList key;
            for (const QStringList& column :
                 rows(QStringLiteral("SELECT a.attname FROM pg_index i "
                                     "JOIN unnest(i.indkey) WITH ORDINALITY k(attnum, position) "
                                     "ON true JOIN pg_attribute a ON a.attrelid = i.indrelid "
                                     "AND a.attnum = k.attnum WHERE i.indisprimary AND "
                                     "i.indrelid = ") +
                          oid + QStringLiteral(" ORDER BY k.position"),
                      {m_url.schema, t.name})) {
                key.append(column[0]);
            }
            markKey(t, key);
            found.push_back(std::move(t));
        }
        return found;
    }

    std::vector<TableDefinition> readMySql()
    {
        std::vector<TableDefinition> found;
        for (const QStringList& row :
             rows(QStringLiteral("SELECT TABLE_NAME, TABLE_COMMENT FROM information_schema.TABLES "
                                 "WHERE TABLE_SCHEMA = ? AND TABLE_TYPE = 'BASE TABLE' "
                                 "ORDER BY TABLE_NAME"),
                  {m_url.schema})) {
            TableDefinition t = table(row[0], row[1]);
            for (const QStringList& column : rows(
                     QStringLiteral("SELECT COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE, COLUMN_DEFAULT, "
                                    "COLUMN_COMMENT FROM information_schema.COLUMNS "
                                    "WHERE TABLE_SCHEMA = ? AND TABLE_NAME = ? "
                                    "ORDER BY ORDINAL_POSITION"),
                     {m_url.schema, t.name})) {
                addColumn(t, column[0], typeOf(column[1]), column[2] == u"NO",
                          sheetDefault(column[3]), column[4]);
            }
            QStringList key;
            for (const QStringList& column :
                 rows(QStringLiteral("SELECT COLUMN_NAME FROM information_schema.KEY_COLUMN_USAGE "
                                     "WHERE TABLE_SCHEMA = ? AND TABLE_NAME = ? AND "
                                     "CONSTRAINT_NAME = 'PRIMARY' ORDER BY ORDINAL_POSITION"),
                      {m_url.schema, t.name})) {
                key.append(column[0]);
            }
            markKey(t, key);
            found.push_back(std::move(t));
        }
        return found;
    }

    std::vector<TableDefinition> readSqlite()
    {
        // A column's comment is the /* */ comment on its line of CREATE TABLE.
        static const QRegularExpression commented(
            QStringLiteral(R"(^\s*(\w+)\s.*/\*\s*(.*?)\s*\*/)"),
            QRegularExpression::MultilineOption);
        std::vector<TableDefinition> found;
        for (const QStringList& row :
             rows(QStringLiteral("SELECT name, sql FROM sqlite_schema WHERE type = 'table' AND "
                                 "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"))) {
            TableDefinition t = table(row[0], QString());
            QHash<QString, QString> comments;
            for (const QRegularExpressionMatch& match : commented.globalMatch(row[1])) {
                comments.insert(match.captured(1).toUpper(), match.captured(2));
            }
            QList<std::pair<int, QString>> key;
            for (const QStringList& column :
                 rows(QStringLiteral("SELECT name, type, \"notnull\", dflt_value, pk "
                                     "FROM pragma_table_info(?) ORDER BY cid"),
                      {t.name})) {
                addColumn(t, column[0], typeOf(column[1]), column[2] == u"1",
                          sheetDefault(column[3]), comments.value(column[0].toUpper()));
                if (column[4].toInt() > 0) {
                    key.append({column[4].toInt(), column[0]});
                }
            }
            std::sort(key.begin(), key.end());
            QStringList keyNames;
            for (const auto& [position, name] : key) {
                keyNames.append(name);
            }
            markKey(t, keyNames);
            found.push_back(std::move(t));
        }
        return found;
    }

    // Through the driver's catalog functions: Qt's records know no type names,
    // defaults or remarks. The DBMS behind it, where it is one of ours, brings its
    // rules: PostgreSQL's default schema, MySQL's databases as catalogs, SQLite's
    // types as declared.
    std::vector<TableDefinition> readOdbc()
    {
        const QVariant handle = QSqlDatabase::database(m_name, false).driver()->handle();
        // Qt 6 gives it as a void*, Qt 5 named it SQLHANDLE.
        if (!handle.isValid() || (handle.metaType() != QMetaType::fromType<void*>() &&
                                  qstrcmp(handle.typeName(), "SQLHANDLE") != 0)) {
            throw Error(ErrorNumber::ApplicationDefined,
                        QStringLiteral("ODBC の接続ハンドルを得られません"));
        }
        void* connection = *static_cast<void* const*>(handle.constData());
        const std::optional<DatabaseKind> dbms = dbmsKind(OdbcStatement::dbmsName(connection));
        const bool catalogs = dbms == DatabaseKind::MySql;
        QString schema = m_url.schema;
        if (schema.isEmpty() && dbms) {
            schema = catalogs ? OdbcStatement::databaseName(connection) : defaultSchema(*dbms);
        }
        if (schema.isEmpty()) {
            schema = QString(); // NULL: every schema
        }
        const QString escape = OdbcStatement::searchPatternEscape(connection);
        const auto pattern = [&escape](QString text) {
            if (!escape.isEmpty() && !text.isNull()) {
                text.replace(escape, escape + escape)
                    .replace(u'_', escape + u'_')
                    .replace(u'%', escape + u'%');
            }
            return text;
        };
        OdbcStatement statement(connection);
        statement.tables(catalogs ? pattern(schema) : QString(),
                         catalogs ? QString() : pattern(schema), QStringLiteral("TABLE"));
        struct Place
        {
            QString catalog, schema;
        };
        std::vector<std::pair<Place, TableDefinition>> tables;
        while (statement.next()) {
            if (schema.isNull() || statement.text(catalogs ? 1 : 2) == schema) {
                tables.push_back({{statement.text(1), statement.text(2)},
                                  table(statement.text(3), statement.text(5))});
            }
        }
        std::sort(tables.begin(), tables.end(),
                  [](const auto& a, const auto& b) { return a.second.name < b.second.name; });
        std::vector<TableDefinition> found;
        for (auto& [place, t] : tables) {
            statement.columns(place.catalog, pattern(place.schema), pattern(t.name));
            while (statement.next()) {
                if (statement.text(3) == t.name) {
                    addColumn(t, statement.text(4), odbcType(statement, dbms),
                              statement.text(11) == u"0", sheetDefault(statement.text(13)),
                              statement.text(12));
                }
            }
            QStringList key;
            statement.primaryKeys(place.catalog, place.schema, t.name);
            while (statement.next()) {
                if (statement.text(3) == t.name) {
                    key.append(statement.text(4));
                }
            }
            markKey(t, key);
            found.push_back(std::move(t));
        }
        return found;
    }

    static std::optional<DatabaseKind> dbmsKind(const QString& name)
    {
        if (name.startsWith(u"PostgreSQL", Qt::CaseInsensitive)) {
            return DatabaseKind::PostgreSql;
        }
        if (name.startsWith(u"MySQL", Qt::CaseInsensitive) ||
            name.startsWith(u"MariaDB", Qt::CaseInsensitive)) {
            return DatabaseKind::MySql;
        }
        if (name.startsWith(u"SQLite", Qt::CaseInsensitive)) {
            return DatabaseKind::Sqlite;
        }
        return std::nullopt;
    }

    // The type of an SQLColumns row as it would be declared: SQLite's as declared,
    // others' name with the size, and digits, of the types that take them.
    static ColumnType odbcType(const OdbcStatement& row, std::optional<DatabaseKind> dbms)
    {
        const QString declared = row.text(6);
        if (dbms == DatabaseKind::Sqlite || declared.contains(u'(')) {
            return typeOf(declared);
        }
        const QString name = canonicalType(declared, {}, {}).name;
        bool sized = false;
        bool digits = false;
        switch (row.text(5).toInt()) {
        case SQL_NUMERIC:
        case SQL_DECIMAL:
            sized = digits = true;
            break;
        case SQL_LONGVARCHAR:
        case SQL_WLONGVARCHAR:
            // psqlODBC reports a varchar longer than 255 as long text.
            sized = name == u"VARCHAR" || name == u"CHAR";
            break;
        case SQL_CHAR:
        case SQL_VARCHAR:
        case SQL_WCHAR:
        case SQL_WVARCHAR:
        case SQL_BINARY:
        case SQL_VARBINARY:
            // psqlODBC reports its booleans as text.
            sized = name != u"BOOLEAN";
            break;
        default:
            break;
        }
        const QString size = row.text(7);
        if (!sized || size.toLongLong() <= 0) {
            return typeOf(declared);
        }
        const QString scale = row.text(9);
        return typeOf(declared + u'(' + size +
                      (digits && !scale.isEmpty() ? u',' + scale : QString()) + u')');
    }

    DatabaseUrl m_url;
    QString m_name;
};

} // namespace

std::vector<TableDefinition> readDatabaseDefinitions(const DatabaseUrl& url)
{
    Catalog catalog(url);
    return catalog.read();
}

DatabaseKeeps keptBy(DatabaseKind kind, const std::vector<TableDefinition>& database)
{
    if (kind == DatabaseKind::Sqlite) {
        return {.titles = false};
    }
    if (kind != DatabaseKind::Odbc) {
        return {};
    }
    // Drivers that know no remarks or defaults give none at all (psqlODBC, for one,
    // no remarks), where the database's own catalog might have had them.
    DatabaseKeeps keeps{.titles = false, .comments = false, .defaults = false};
    for (const TableDefinition& table : database) {
        keeps.titles = keeps.titles || !table.title.isEmpty();
        for (const ColumnDefinition& column : table.columns) {
            keeps.titles = keeps.titles || !column.comment.isEmpty();
            keeps.defaults = keeps.defaults || !column.defaultValue.isEmpty();
        }
    }
    keeps.comments = keeps.titles;
    return keeps;
}

ColumnType canonicalType(const QString& name, const QString& length, const QString& scale)
{
    static const QHash<QString, QString> aliases = {
        {QStringLiteral("DECIMAL"), QStringLiteral("NUMERIC")},
        {QStringLiteral("DEC"), QStringLiteral("NUMERIC")},
        {QStringLiteral("CHARACTER VARYING"), QStringLiteral("VARCHAR")},
        {QStringLiteral("CHARACTER"), QStringLiteral("CHAR")},
        {QStringLiteral("BPCHAR"), QStringLiteral("CHAR")},
        {QStringLiteral("INT"), QStringLiteral("INTEGER")},
        {QStringLiteral("INT4"), QStringLiteral("INTEGER")},
        {QStringLiteral("INT8"), QStringLiteral("BIGINT")},
        {QStringLiteral("INT2"), QStringLiteral("SMALLINT")},
        {QStringLiteral("BOOL"), QStringLiteral("BOOLEAN")},
        {QStringLiteral("TIMESTAMP WITHOUT TIME ZONE"), QStringLiteral("TIMESTAMP")},
        {QStringLiteral("TIMESTAMP WITH TIME ZONE"), QStringLiteral("TIMESTAMPTZ")},
        {QStringLiteral("DOUBLE"), QStringLiteral("DOUBLE PRECISION")},
        {QStringLiteral("FLOAT8"), QStringLiteral("DOUBLE PRECISION")},
    };
    ColumnType type;
    type.name = name.simplified().toUpper();
    type.name = aliases.value(type.name, type.name);
    // MySQL's display widths of integers are no length.
    const bool integer = type.name.endsWith(u"INT") || type.name == u"INTEGER";
    type.length = integer ? QString() : length.trimmed();
    type.scale = scale.trimmed() == u"0" ? QString() : scale.trimmed();
    type.text = type.name;
    if (!type.length.isEmpty()) {
        type.text +=
            u'(' + type.length + (type.scale.isEmpty() ? QString() : u',' + type.scale) + u')';
    }
    return type;
}

void prepareForDatabase(std::vector<TableDefinition>& tables)
{
    for (TableDefinition& table : tables) {
        for (ColumnDefinition& column : table.columns) {
            QString length = column.type.length;
            QString scale = column.type.scale;
            // "(10,2)" in the length cell stands for both.
            if (const QStringList parts = QString(length).remove(u'(').remove(u')').split(u',');
                parts.size() == 2) {
                length = parts[0];
                scale = parts[1];
            }
            column.type =
                canonicalType(column.type.name, QString(length).remove(u'(').remove(u')'), scale);
            column.defaultValue = sheetDefault(column.defaultValue);
        }
    }
}

void matchWhatTheDatabaseKeeps(std::vector<TableDefinition>& database,
                               std::vector<TableDefinition>& sheets, DatabaseKind kind)
{
    prepareForDatabase(sheets);
    const DatabaseKeeps keeps = keptBy(kind, database);
    const auto same = [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) == 0;
    };
    for (TableDefinition& sheet : sheets) {
        sheet.extra = {};
        for (TableDefinition& table : database) {
            if (!same(table.name, sheet.name)) {
                continue;
            }
            if (!keeps.titles) {
                table.title = sheet.title;
            }
            for (ColumnDefinition& column : table.columns) {
                for (const ColumnDefinition& sheetColumn : sheet.columns) {
                    if (same(column.title, sheetColumn.title)) {
                        column.comment = keeps.comments ? column.comment : sheetColumn.comment;
                        column.defaultValue =
                            keeps.defaults ? column.defaultValue : sheetColumn.defaultValue;
                    }
                }
            }
        }
    }
}

} // namespace tavrune

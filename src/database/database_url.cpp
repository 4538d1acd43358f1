#include "database/database_url.h"

#include "common/error.h"
#include "settings/settings_records.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace tavrune {

namespace {

Error badUrl(const QString& text, const QString& why)
{
    return Error(ErrorNumber::ApplicationDefined,
                 QStringLiteral("データベースの URL \"%1\" は使えません: %2").arg(text, why));
}

QString passwordElsewhere()
{
    return QStringLiteral("パスワードは URL に書かず、~/.pgpass、PGPASSWORD、~/.my.cnf、odbc.ini "
                          "などクライアントのファイルか環境変数で渡してください");
}

// Taken apart by hand: QUrl would fold the DSN, a host to it, to lower case.
DatabaseUrl parseOdbcUrl(const QString& text)
{
    const QString rest = text.mid(QStringLiteral("odbc://").size());
    const qsizetype queryStart = rest.indexOf(u'?');
    const QString authority = rest.left(queryStart);
    const qsizetype at = authority.lastIndexOf(u'@');
    const QString userInfo = at < 0 ? QString() : authority.left(at);
    if (userInfo.contains(u':')) {
        throw badUrl(QStringLiteral("odbc://") + userInfo.left(userInfo.indexOf(u':')) + u'@' +
                         authority.mid(at + 1),
                     passwordElsewhere());
    }
    DatabaseUrl parsed;
    parsed.kind = DatabaseKind::Odbc;
    parsed.user = QUrl::fromPercentEncoding(userInfo.toUtf8());
    parsed.database = QUrl::fromPercentEncoding(authority.mid(at + 1).toUtf8());
    parsed.schema = QUrlQuery(queryStart < 0 ? QString() : rest.mid(queryStart + 1))
                        .queryItemValue(QStringLiteral("schema"), QUrl::FullyDecoded);
    if (parsed.database.isEmpty()) {
        throw badUrl(text, QStringLiteral("DSN がありません"));
    }
    // Qt hands both on in a connection string, where ; and braces would start a
    // setting of their own; the DSN keeps to what a DSN may hold.
    static const QRegularExpression notInDsn(QStringLiteral(R"([][{}(),;?*=!@\\/])"));
    static const QRegularExpression notInUser(QStringLiteral("[;{}]"));
    if (parsed.database.contains(notInDsn)) {
        throw badUrl(text, QStringLiteral("DSN には []{}(),;?*=!@\\/ を使えません"));
    }
    if (parsed.user.contains(notInUser)) {
        throw badUrl(text, QStringLiteral("ユーザー名には ;{} を使えません"));
    }
    return parsed;
}

} // namespace

QString defaultSchema(DatabaseKind kind)
{
    return kind == DatabaseKind::PostgreSql ? QStringLiteral("public") : QString();
}

DatabaseUrl parseDatabaseUrl(const QString& text)
{
    if (text.startsWith(u"odbc://", Qt::CaseInsensitive)) {
        return parseOdbcUrl(text);
    }
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid()) {
        throw badUrl(text, url.errorString());
    }
    if (!url.password().isEmpty()) {
        throw badUrl(QUrl(url).adjusted(QUrl::RemovePassword).toString(), passwordElsewhere());
    }
    const QString scheme = url.scheme().toLower();
    const QUrlQuery query(url);
    DatabaseUrl parsed;
    if (scheme == u"sqlite") {
        parsed.kind = DatabaseKind::Sqlite;
        parsed.database = url.path();
        if (parsed.database.isEmpty()) {
            throw badUrl(text, QStringLiteral("ファイルのパスがありません"));
        }
        return parsed;
    }
    if (scheme == u"postgresql" || scheme == u"postgres") {
        parsed.kind = DatabaseKind::PostgreSql;
        parsed.schema = query.queryItemValue(QStringLiteral("schema"), QUrl::FullyDecoded);
        if (parsed.schema.isEmpty()) {
            parsed.schema = defaultSchema(parsed.kind);
        }
    } else if (scheme == u"mysql" || scheme == u"mariadb") {
        parsed.kind = DatabaseKind::MySql;
        parsed.socket = query.queryItemValue(QStringLiteral("socket"), QUrl::FullyDecoded);
    } else {
        throw badUrl(text,
                     QStringLiteral(
                         "postgresql://、mysql://、sqlite:///、odbc:// のどれかで始めてください"));
    }
    parsed.host = query.hasQueryItem(QStringLiteral("host"))
                      ? query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded)
                      : url.host();
    parsed.port = url.port();
    parsed.user = url.userName();
    parsed.database = url.path().mid(1);
    if (parsed.database.isEmpty()) {
        throw badUrl(text, QStringLiteral("データベース名がありません"));
    }
    if (parsed.kind == DatabaseKind::MySql) {
        parsed.schema = parsed.database;
    }
    return parsed;
}

DatabaseUrl databaseUrlOf(const ConnectionSetting& connection)
{
    const auto bad = [&connection](const QString& why) {
        return Error(ErrorNumber::ApplicationDefined,
                     QStringLiteral("接続設定 \"%1\" は使えません: %2").arg(connection.Name, why));
    };
    DatabaseUrl url;
    const QString kind = connection.Kind.trimmed().toLower();
    if (kind == u"postgresql") {
        url.kind = DatabaseKind::PostgreSql;
        url.schema = connection.Schema.trimmed().isEmpty() ? defaultSchema(url.kind)
                                                           : connection.Schema.trimmed();
    } else if (kind == u"mysql") {
        url.kind = DatabaseKind::MySql;
    } else if (kind == u"sqlite") {
        url.kind = DatabaseKind::Sqlite;
    } else if (kind == u"odbc") {
        // The data source's name is held to what the URL allows.
        url.kind = DatabaseKind::Odbc;
        url.database = connection.Database.trimmed();
        url.user = connection.User.trimmed();
        try {
            url = parseDatabaseUrl(databaseUrlText(url));
        } catch (const Error& error) {
            throw bad(error.description());
        }
        url.schema = connection.Schema.trimmed();
        return url;
    } else {
        throw bad(QStringLiteral("種類 \"%1\" を知りません").arg(connection.Kind));
    }
    url.database = connection.Database.trimmed();
    if (url.database.isEmpty()) {
        throw bad(url.kind == DatabaseKind::Sqlite ? QStringLiteral("ファイルがありません")
                                                   : QStringLiteral("データベース名がありません"));
    }
    if (url.kind == DatabaseKind::Sqlite) {
        return url;
    }
    const QString host = connection.Host.trimmed();
    // A path names the server's Unix socket: PostgreSQL takes its folder as the
    // host, MySQL the socket file itself.
    if (url.kind == DatabaseKind::MySql && host.startsWith(u'/')) {
        url.socket = host;
    } else {
        url.host = host;
    }
    if (!connection.Port.trimmed().isEmpty()) {
        bool number = false;
        url.port = connection.Port.trimmed().toInt(&number);
        if (!number || url.port < 1 || url.port > 65535) {
            throw bad(QStringLiteral("ポート \"%1\" は 1 から 65535 の数ではありません")
                          .arg(connection.Port));
        }
    }
    url.user = connection.User.trimmed();
    if (url.kind == DatabaseKind::MySql) {
        url.schema = url.database;
    }
    return url;
}

std::optional<DatabaseTarget> databaseTarget(const QString& text,
                                             const ConnectionSettings& connections)
{
    if (const auto found = findSettingByName(connections, text.trimmed())) {
        const ConnectionSetting& connection = connections.at(*found);
        return DatabaseTarget{databaseUrlOf(connection), connection.RememberPassword};
    }
    if (text.contains(QStringLiteral("://"))) {
        return DatabaseTarget{parseDatabaseUrl(text.trimmed()), false};
    }
    return std::nullopt;
}

QString databaseUrlText(const DatabaseUrl& url)
{
    static const char* const schemes[] = {"postgresql", "mysql", "sqlite", "odbc"};
    if (url.kind == DatabaseKind::Odbc) {
        const QString dsn = QString::fromUtf8(QUrl::toPercentEncoding(url.database));
        return url.user.isEmpty()
                   ? QStringLiteral("odbc://") + dsn
                   : QStringLiteral("odbc://%1@%2")
                         .arg(QString::fromUtf8(QUrl::toPercentEncoding(url.user)), dsn);
    }
    QUrl text;
    text.setScheme(QString::fromLatin1(schemes[static_cast<int>(url.kind)]));
    if (url.kind == DatabaseKind::Sqlite) {
        text.setPath(url.database);
        text.setHost(QStringLiteral(""));
        return text.toString();
    }
    text.setUserName(url.user);
    text.setHost(url.host.startsWith(u'/') ? QStringLiteral("") : url.host);
    text.setPort(url.port);
    text.setPath(u'/' + url.database);
    QUrlQuery query;
    if (url.host.startsWith(u'/')) {
        query.addQueryItem(QStringLiteral("host"), url.host);
    }
    if (!url.socket.isEmpty()) {
        query.addQueryItem(QStringLiteral("socket"), url.socket);
    }
    text.setQuery(query);
    return text.toString();
}

} // namespace tavrune

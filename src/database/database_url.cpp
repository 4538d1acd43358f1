#include "database/database_url.h"

#include "common/error.h"
#include "settings/settings_records.h"

#include <QUrl>
#include <QUrlQuery>

namespace tavrune {

namespace {

Error badUrl(const QString& text, const QString& why)
{
    return Error(ErrorNumber::ApplicationDefined,
                 QStringLiteral("データベースの URL \"%1\" は使えません: %2").arg(text, why));
}

} // namespace

DatabaseUrl parseDatabaseUrl(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid()) {
        throw badUrl(text, url.errorString());
    }
    if (!url.password().isEmpty()) {
        throw badUrl(QUrl(url).adjusted(QUrl::RemovePassword).toString(),
                     QStringLiteral("パスワードは URL に書かず、~/.pgpass、PGPASSWORD、~/.my.cnf "
                                    "などクライアントのファイルか環境変数で渡してください"));
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
            parsed.schema = QStringLiteral("public");
        }
    } else if (scheme == u"mysql" || scheme == u"mariadb") {
        parsed.kind = DatabaseKind::MySql;
        parsed.socket = query.queryItemValue(QStringLiteral("socket"), QUrl::FullyDecoded);
    } else {
        throw badUrl(
            text, QStringLiteral("postgresql://、mysql://、sqlite:/// のどれかで始めてください"));
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
        url.schema = connection.Schema.trimmed().isEmpty() ? QStringLiteral("public")
                                                           : connection.Schema.trimmed();
    } else if (kind == u"mysql") {
        url.kind = DatabaseKind::MySql;
    } else if (kind == u"sqlite") {
        url.kind = DatabaseKind::Sqlite;
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
    static const char* const schemes[] = {"postgresql", "mysql", "sqlite"};
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

#include "database/database_url.h"

#include "common/error.h"

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

} // namespace tavrune

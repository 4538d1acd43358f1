#include "database/database_url.h"

#include "common/error.h"

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

} // namespace tavrune

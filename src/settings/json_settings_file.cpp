#include "settings/json_settings_file.h"

#include "common/error.h"
#include "common/replacing_file.h"

#include <QFile>
#include <QJsonDocument>
#include <QSet>

namespace tavrune {

namespace {

// These files are a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

} // namespace

JsonSettingsFile::JsonSettingsFile(QString path, QString listKey, QString what)
    : m_path(std::move(path)), m_listKey(std::move(listKey)), m_what(std::move(what))
{
}

QJsonArray JsonSettingsFile::load() const
{
    const auto damaged = [this](const QString& why) {
        return Error(ErrorNumber::ApplicationDefined,
                     QStringLiteral("%1 \"%2\" を読み込めません: %3").arg(m_what, m_path, why));
    };
    QFile file(m_path);
    if (!file.exists()) {
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw damaged(file.errorString());
    }
    if (file.size() > kMaxFileBytes) {
        throw damaged(QStringLiteral("%1 バイトを超えています").arg(kMaxFileBytes));
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        throw damaged(
            QStringLiteral("%1 バイト目: %2").arg(parseError.offset).arg(parseError.errorString()));
    }
    const QJsonValue list = document.object().value(m_listKey);
    if (!list.isArray()) {
        throw damaged(QStringLiteral("\"%1\" の配列がありません").arg(m_listKey));
    }
    QSet<QString> names;
    qsizetype position = 0;
    for (const QJsonValue& value : list.toArray()) {
        ++position;
        const QString name = value.toObject().value(QStringLiteral("name")).toString();
        if (name.trimmed().isEmpty() || names.contains(name)) {
            throw damaged(QStringLiteral("名前のない、または同じ名前の設定があります (%1 番目)")
                              .arg(position));
        }
        names.insert(name);
    }
    return list.toArray();
}

void JsonSettingsFile::save(const QJsonArray& records) const
{
    const QJsonDocument document(QJsonObject{{m_listKey, records}});
    saveReplacing(m_path, document.toJson(QJsonDocument::Indented), m_what);
}

} // namespace tavrune

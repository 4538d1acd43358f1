#include "settings/connection_settings.h"

#include "settings/json_settings_file.h"

#include <QDir>
#include <QFileInfo>

namespace tavrune {

namespace {

JsonSettingsFile connectionsFile(const QString& path)
{
    return JsonSettingsFile(path, QStringLiteral("connections"),
                            QStringLiteral("接続設定ファイル"));
}

} // namespace

QString connectionSettingsPathBeside(const QString& settingsFile)
{
    return QFileInfo(settingsFile).dir().filePath(QStringLiteral("tavrune_connections.json"));
}

ConnectionSettings loadConnectionSettings(const QString& path)
{
    ConnectionSettings settings;
    for (const QJsonValue& value : connectionsFile(path).load()) {
        const QJsonObject object = value.toObject();
        const auto text = [&object](const char* key) {
            return object.value(QLatin1StringView(key)).toString();
        };
        settings.append({text("name"), text("kind"), text("host"), text("port"), text("database"),
                         text("user"), text("schema"),
                         object.value(QStringLiteral("rememberPassword")).toBool()});
    }
    return settings;
}

void saveConnectionSettings(const QString& path, const ConnectionSettings& settings)
{
    QJsonArray list;
    for (const ConnectionSetting& setting : settings) {
        list.append(QJsonObject{{QStringLiteral("name"), setting.Name},
                                {QStringLiteral("kind"), setting.Kind},
                                {QStringLiteral("host"), setting.Host},
                                {QStringLiteral("port"), setting.Port},
                                {QStringLiteral("database"), setting.Database},
                                {QStringLiteral("user"), setting.User},
                                {QStringLiteral("schema"), setting.Schema},
                                {QStringLiteral("rememberPassword"), setting.RememberPassword}});
    }
    connectionsFile(path).save(list);
}

} // namespace tavrune

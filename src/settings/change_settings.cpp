#include "settings/change_settings.h"

#include "settings/json_settings_file.h"

#include <QDir>
#include <QFileInfo>

namespace tavrune {

namespace {

constexpr const char* kTemplateKeys[kChangeTemplateCount] = {
    "header",         "tableRemoved",   "columnAdded",    "columnRemoved",
    "typeChanged",    "notNullSet",     "notNullDropped", "defaultSet",
    "defaultDropped", "commentChanged", "columnMoved",    "keyDropped",
    "keyAdded",       "titleChanged",   "tableRebuilt",   "footer"};

// Templates are kept with CR LF between lines, as the other settings are; the file
// holds them with LF, as a person editing it would write them.
QString toFileText(const QString& text)
{
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString fromFileText(const QString& text)
{
    return QString(text)
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(u'\n', QStringLiteral("\r\n"));
}

} // namespace

QString changeTemplateKey(ChangeTemplate which)
{
    return QString::fromLatin1(kTemplateKeys[static_cast<size_t>(which)]);
}

QString changeSettingsPathBeside(const QString& settingsFile)
{
    return QFileInfo(settingsFile).dir().filePath(QStringLiteral("tavrune_changes.json"));
}

namespace {

JsonSettingsFile changeSettingsFile(const QString& path)
{
    return JsonSettingsFile(path, QStringLiteral("changeSettings"),
                            QStringLiteral("変更設定ファイル"));
}

} // namespace

ChangeSettings loadChangeSettings(const QString& path)
{
    ChangeSettings settings;
    for (const QJsonValue& value : changeSettingsFile(path).load()) {
        const QJsonObject object = value.toObject();
        ChangeSetting setting;
        setting.Name = object.value(QStringLiteral("name")).toString();
        setting.CreateFile = object.value(QStringLiteral("createFile")).toString();
        setting.FileName = object.value(QStringLiteral("fileName")).toString();
        const QJsonObject templates = object.value(QStringLiteral("templates")).toObject();
        for (size_t n = 0; n < kChangeTemplateCount; ++n) {
            setting.Templates[n] =
                fromFileText(templates.value(QString::fromLatin1(kTemplateKeys[n])).toString());
        }
        settings.append(setting);
    }
    return settings;
}

void saveChangeSettings(const QString& path, const ChangeSettings& settings)
{
    QJsonArray list;
    for (const ChangeSetting& setting : settings) {
        QJsonObject templates;
        for (size_t n = 0; n < kChangeTemplateCount; ++n) {
            if (!setting.Templates[n].isEmpty()) {
                templates.insert(QString::fromLatin1(kTemplateKeys[n]),
                                 toFileText(setting.Templates[n]));
            }
        }
        list.append(QJsonObject{{QStringLiteral("name"), setting.Name},
                                {QStringLiteral("createFile"), setting.CreateFile},
                                {QStringLiteral("fileName"), setting.FileName},
                                {QStringLiteral("templates"), templates}});
    }
    changeSettingsFile(path).save(list);
}

} // namespace tavrune

#include "settings/change_settings.h"

#include "common/error.h"
#include "common/replacing_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tavrune {

namespace {

constexpr const char* kTemplateKeys[kChangeTemplateCount] = {
    "header",         "tableRemoved",   "columnAdded",    "columnRemoved",
    "typeChanged",    "notNullSet",     "notNullDropped", "defaultSet",
    "defaultDropped", "commentChanged", "columnMoved",    "keyDropped",
    "keyAdded",       "titleChanged",   "tableRebuilt",   "footer"};

// A change settings file is a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

Error damaged(const QString& path, const QString& why)
{
    return Error(ErrorNumber::ApplicationDefined,
                 QStringLiteral("変更設定ファイル \"%1\" を読み込めません: %2").arg(path, why));
}

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

ChangeSettings loadChangeSettings(const QString& path)
{
    QFile file(path);
    if (!file.exists()) {
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw damaged(path, file.errorString());
    }
    if (file.size() > kMaxFileBytes) {
        throw damaged(path, QStringLiteral("%1 バイトを超えています").arg(kMaxFileBytes));
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        throw damaged(
            path,
            QStringLiteral("%1 バイト目: %2").arg(parseError.offset).arg(parseError.errorString()));
    }
    const QJsonValue list = document.object().value(QStringLiteral("changeSettings"));
    if (!list.isArray()) {
        throw damaged(path, QStringLiteral("\"changeSettings\" の配列がありません"));
    }
    ChangeSettings settings;
    for (const QJsonValue& value : list.toArray()) {
        const QJsonObject object = value.toObject();
        ChangeSetting setting;
        setting.Name = object.value(QStringLiteral("name")).toString();
        if (setting.Name.trimmed().isEmpty() || findSettingByName(settings, setting.Name)) {
            throw damaged(path,
                          QStringLiteral("名前のない、または同じ名前の変更設定があります (%1 番目)")
                              .arg(settings.size() + 1));
        }
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
    const QJsonDocument document(QJsonObject{{QStringLiteral("changeSettings"), list}});
    saveReplacing(path, document.toJson(QJsonDocument::Indented),
                  QStringLiteral("変更設定ファイル"));
}

} // namespace tavrune

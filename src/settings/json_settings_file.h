#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace tavrune {

// The settings kept as JSON beside the settings file (change settings, connections):
// one object holding a list of named records under listKey. what names the kind of
// file in messages ("変更設定ファイル").
class JsonSettingsFile
{
public:
    JsonSettingsFile(QString path, QString listKey, QString what);

    // The records, none when the file does not exist. Throws an Error naming the
    // file and what is wrong with it, a record without a name or with a name taken
    // by one before it included.
    QJsonArray load() const;
    // Writes them whole, replacing the file only once the new one is on the disk.
    void save(const QJsonArray& records) const;

private:
    QString m_path;
    QString m_listKey;
    QString m_what;
};

} // namespace tavrune

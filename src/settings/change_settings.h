#pragma once

#include "settings/settings_records.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace tavrune {

// The templates of a change setting: how each kind of difference is written.
enum class ChangeTemplate
{
    Header, // once, before the statements
    TableRemoved,
    ColumnAdded,
    ColumnRemoved,
    TypeChanged,
    NotNullSet,
    NotNullDropped,
    DefaultSet,
    DefaultDropped,
    CommentChanged,
    ColumnMoved,
    KeyDropped,
    KeyAdded,
    TitleChanged, // the table's title
    TableRebuilt, // instead of the column and key statements, where set
    Footer,       // once, after the statements
};
inline constexpr size_t kChangeTemplateCount = static_cast<size_t>(ChangeTemplate::Footer) + 1;

// The key of a template in the change settings file: "header", "tableRemoved" …
QString changeTemplateKey(ChangeTemplate which);

// A named change setting: it writes the script that takes a database built from
// older definitions to newer ones. Added (and rebuilt) tables are written by the
// body template of the file setting named createFile; the script goes to fileName
// in that file setting's output directory, in its encoding and line end.
struct ChangeSetting
{
    QString Name;
    QString CreateFile;
    QString FileName;
    std::array<QString, kChangeTemplateCount> Templates; // CR LF between lines

    const QString& text(ChangeTemplate which) const
    {
        return Templates[static_cast<size_t>(which)];
    }
    QString& text(ChangeTemplate which) { return Templates[static_cast<size_t>(which)]; }

    bool operator==(const ChangeSetting&) const = default;
};
using ChangeSettings = QList<ChangeSetting>;

// The change settings file beside a settings file: tavrune_changes.json in its
// directory. The settings file itself is left as it is, so every program reading
// it keeps reading it.
QString changeSettingsPathBeside(const QString& settingsFile);

// Reads the change settings; none when the file does not exist. Throws an Error
// naming the file and what is wrong with it.
ChangeSettings loadChangeSettings(const QString& path);
// Writes them whole, replacing the file only once the new one is on the disk.
void saveChangeSettings(const QString& path, const ChangeSettings& settings);

} // namespace tavrune

#include "settings/settings_records.h"

namespace tavrune {

namespace {

template <typename Record>
std::optional<qsizetype> findByName(const QList<Record>& list, const QString& name)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).Name == name) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<qsizetype> FindSettingByName(const FormatSettings& list, const QString& name)
{
    return findByName(list, name);
}

std::optional<qsizetype> FindSettingByName(const FileSettings& list, const QString& name)
{
    return findByName(list, name);
}

} // namespace tavrune

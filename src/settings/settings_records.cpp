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

namespace tavrune {

QString encodingName(OutputEncoding encoding)
{
    switch (encoding) {
    case OutputEncoding::Cp932:
        return QStringLiteral("CP932");
    case OutputEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case OutputEncoding::Utf8Bom:
        return QStringLiteral("UTF-8-BOM");
    }
    return {};
}

OutputEncoding encodingFromName(const QString& name)
{
    for (const OutputEncoding encoding : {OutputEncoding::Utf8, OutputEncoding::Utf8Bom}) {
        if (name.compare(encodingName(encoding), Qt::CaseInsensitive) == 0) {
            return encoding;
        }
    }
    return OutputEncoding::Cp932;
}

QString lineEndName(LineEnd lineEnd)
{
    return lineEnd == LineEnd::Lf ? QStringLiteral("LF") : QStringLiteral("CRLF");
}

LineEnd lineEndFromName(const QString& name)
{
    return name.compare(QStringLiteral("LF"), Qt::CaseInsensitive) == 0 ? LineEnd::Lf
                                                                        : LineEnd::CrLf;
}

} // namespace tavrune

#include "settings/settings_records.h"

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

std::optional<OutputEncoding> encodingFromName(const QString& name)
{
    const QString spelling = name.trimmed();
    for (const OutputEncoding encoding :
         {OutputEncoding::Cp932, OutputEncoding::Utf8, OutputEncoding::Utf8Bom}) {
        if (spelling.compare(encodingName(encoding), Qt::CaseInsensitive) == 0) {
            return encoding;
        }
    }
    return std::nullopt;
}

QString lineEndName(LineEnd lineEnd)
{
    return lineEnd == LineEnd::Lf ? QStringLiteral("LF") : QStringLiteral("CRLF");
}

std::optional<LineEnd> lineEndFromName(const QString& name)
{
    const QString spelling = name.trimmed();
    for (const LineEnd lineEnd : {LineEnd::CrLf, LineEnd::Lf}) {
        if (spelling.compare(lineEndName(lineEnd), Qt::CaseInsensitive) == 0) {
            return lineEnd;
        }
    }
    return std::nullopt;
}

} // namespace tavrune

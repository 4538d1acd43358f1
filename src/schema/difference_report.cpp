#include "schema/difference_report.h"

#include "common/listing_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tavrune {

namespace {

// Inside quotes: every value stays on its line and its end is plain.
QString quoted(const QString& value)
{
    return u'"' + listingText(value).replace(u'"', QStringLiteral("\\\"")) + u'"';
}

QString subject(const Difference& d)
{
    return d.column.isEmpty() ? d.table : d.table + u'.' + d.column;
}

QString textLine(const Difference& d)
{
    QString line = differenceKindName(d.kind) + QStringLiteral(": ") + subject(d);
    if (!d.what.isEmpty()) {
        line += u' ' + d.what + QStringLiteral(": ") + quoted(d.oldValue) + QStringLiteral(" -> ") +
                quoted(d.newValue);
    }
    if (d.oldPlace.isEmpty() || d.newPlace.isEmpty()) {
        line += QStringLiteral(" (") + d.oldPlace + d.newPlace + u')';
    } else {
        line += QStringLiteral(" (") + d.oldPlace + QStringLiteral(" -> ") + d.newPlace + u')';
    }
    if (!d.note.isEmpty()) {
        line += QStringLiteral(", ") + d.note;
    }
    if (d.destructive) {
        line += QStringLiteral(", destructive");
    }
    return line + u'\n';
}

QString markdownCell(const QString& text)
{
    QString cell = text;
    cell.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'|', QStringLiteral("\\|"))
        .replace(u'\r', QString())
        .replace(u'\n', QStringLiteral("<br>"));
    return cell;
}

QString markdown(const std::vector<Difference>& differences)
{
    QString text = QStringLiteral("| kind | table | column | what | old | new | older | newer | "
                                  "note |\n|---|---|---|---|---|---|---|---|---|\n");
    const auto noteOf = [](const Difference& d) {
        return d.destructive ? (d.note.isEmpty() ? QStringLiteral("destructive")
                                                 : d.note + QStringLiteral(", destructive"))
                             : d.note;
    };
    for (const Difference& d : differences) {
        for (const QString& cell : {differenceKindName(d.kind), d.table, d.column, d.what,
                                    d.oldValue, d.newValue, d.oldPlace, d.newPlace, noteOf(d)}) {
            text += QStringLiteral("| ") + markdownCell(cell) + u' ';
        }
        text += QStringLiteral("|\n");
    }
    return text;
}

QString json(const std::vector<Difference>& differences)
{
    QJsonArray array;
    for (const Difference& d : differences) {
        QJsonObject object;
        const std::pair<const char*, const QString*> fields[] = {
            {"table", &d.table},       {"column", &d.column}, {"what", &d.what},
            {"old", &d.oldValue},      {"new", &d.newValue},  {"oldPlace", &d.oldPlace},
            {"newPlace", &d.newPlace}, {"note", &d.note}};
        object.insert(QStringLiteral("kind"), differenceKindName(d.kind));
        if (d.destructive) {
            object.insert(QStringLiteral("destructive"), true);
        }
        for (const auto& [key, value] : fields) {
            if (!value->isEmpty()) {
                object.insert(QString::fromLatin1(key), *value);
            }
        }
        array.append(object);
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

} // namespace

std::optional<DifferenceFormat> differenceFormatFromName(const QString& name)
{
    const QString lower = name.toLower();
    if (lower == u"text") {
        return DifferenceFormat::Text;
    }
    if (lower == u"markdown") {
        return DifferenceFormat::Markdown;
    }
    if (lower == u"json") {
        return DifferenceFormat::Json;
    }
    return std::nullopt;
}

QString differenceReport(const std::vector<Difference>& differences, DifferenceFormat format)
{
    switch (format) {
    case DifferenceFormat::Markdown:
        return markdown(differences);
    case DifferenceFormat::Json:
        return json(differences);
    case DifferenceFormat::Text:
        break;
    }
    QString text;
    for (const Difference& d : differences) {
        text += textLine(d);
    }
    return text;
}

} // namespace tavrune

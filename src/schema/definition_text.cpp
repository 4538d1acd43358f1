#include "schema/definition_text.h"

namespace tavrune {

namespace {

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// " KEYWORD value" when value is not empty.
QString part(const QString& keyword, const QString& value)
{
    return value.isEmpty() ? QString() : u' ' + keyword + u' ' + escaped(value);
}

} // namespace

QString definitionText(const std::vector<TableDefinition>& tables)
{
    QString text;
    for (const TableDefinition& table : tables) {
        text += QStringLiteral("TABLE ") + escaped(table.name) + u' ' + escaped(table.title) +
                QStringLiteral(" (sheet ") + escaped(table.sheet) + u')';
        for (size_t n = 0; n < table.extra.size(); ++n) {
            text += part(QStringLiteral("ETC%1").arg(n + 1), table.extra[n]);
        }
        text += u'\n';
        for (const ColumnDefinition& column : table.columns) {
            text += QStringLiteral("  ") + escaped(column.title) + u' ' + escaped(column.type.text);
            if (column.key) {
                text += QStringLiteral(" KEY");
            }
            if (column.notNull) {
                text += QStringLiteral(" NOT NULL");
            }
            text += part(QStringLiteral("DEFAULT"), column.defaultValue) +
                    part(QStringLiteral("COMMENT"), column.comment) + u'\n';
        }
    }
    return text;
}

} // namespace tavrune

#include "schema/definition_text.h"

#include "common/listing_text.h"

namespace tavrune {

namespace {

// " KEYWORD value" when value is not empty.
QString part(const QString& keyword, const QString& value)
{
    return value.isEmpty() ? QString() : u' ' + keyword + u' ' + listingText(value);
}

} // namespace

QString definitionText(const std::vector<TableDefinition>& tables)
{
    QString text;
    for (const TableDefinition& table : tables) {
        text += QStringLiteral("TABLE ") + listingText(table.name) + u' ' +
                listingText(table.title) + QStringLiteral(" (sheet ") + listingText(table.sheet) +
                u')';
        for (size_t n = 0; n < table.extra.size(); ++n) {
            text += part(QStringLiteral("ETC%1").arg(n + 1), table.extra[n]);
        }
        text += u'\n';
        for (const ColumnDefinition& column : table.columns) {
            text += QStringLiteral("  ") + listingText(column.title) + u' ' +
                    listingText(column.type.text);
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

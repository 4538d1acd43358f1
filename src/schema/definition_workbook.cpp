#include "schema/definition_workbook.h"

#include "common/error.h"
#include "common/replacing_file.h"
#include "generation/expansion_limit.h"
#include "generation/generation_run.h"
#include "settings/setting_fields.h"
#include "workbook/cell_address.h"
#include "workbook/xlsx/xlsx_writer.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <optional>
#include <sys/stat.h>

namespace tavrune {

namespace {

constexpr qsizetype kMaxSheetName = 31;

// Cut to at most length UTF-16 units, never inside a surrogate pair.
QString cutText(const QString& text, qsizetype length)
{
    if (text.size() <= length) {
        return text;
    }
    return text.left(text[length - 1].isHighSurrogate() ? length - 1 : length);
}

// Where the format puts a field's cell: the cell of a cell field, or the column of a
// column field in row (the start row for a caption's row). Nothing for an empty
// field; an error naming the field for one that names no cell.
std::optional<CellAddress> fieldCell(const FormatSetting& format, FormatField field, qint64 row = 0)
{
    const QString text = formatFieldText(format, field);
    if (text.isEmpty()) {
        return std::nullopt;
    }
    const std::optional<CellAddress> address =
        parseCellAddress(row > 0 ? text + QString::number(row) : text);
    if (!address) {
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("%1 の \"%2\" はセルを指していません")
                        .arg(formatFieldName(field), text));
    }
    return address;
}

// A field's name as a sheet's caption: without the "の列" or "のｾﾙ" that says what the
// field holds.
QString caption(FormatField field)
{
    static const QRegularExpression kind(QStringLiteral("\\s*の(列|ｾﾙ)$"));
    return formatFieldName(field).remove(kind);
}

// A length a sheet keeps as a number: digits a spreadsheet gives back as typed.
bool isPlainNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^(0|[1-9][0-9]{0,14})$"));
    return number.match(text).hasMatch();
}

// The text a mark cell holds for a mark that matches wanted.
QString markText(const QString& wanted)
{
    return wanted == QStringLiteral("[%*]") ? QStringLiteral("1") : wanted;
}

constexpr FormatField kColumnFields[] = {
    FormatField::RowTitle, FormatField::RowType, FormatField::RowLength, FormatField::RowScale,
    FormatField::Index,    FormatField::NotNull, FormatField::Default,   FormatField::Comment};
constexpr FormatField kEtcFields[] = {FormatField::Etc1, FormatField::Etc2, FormatField::Etc3,
                                      FormatField::Etc4};

class SheetCells
{
public:
    SheetCells(const FormatSetting& format, XlsxSheet& sheet) : m_format(format), m_sheet(sheet) {}

    void set(FormatField field, const QString& text, qint64 row = 0, bool number = false)
    {
        if (text.isEmpty()) {
            return; // another field sharing the column may have a value there
        }
        if (const std::optional<CellAddress> address = fieldCell(m_format, field, row)) {
            m_sheet.cells[{address->row, address->column}] = XlsxCell{text, number};
        }
    }

private:
    const FormatSetting& m_format;
    XlsxSheet& m_sheet;
};

XlsxSheet definitionSheet(const TableDefinition& table, const QString& name,
                          const FormatSetting& format, bool withCaptions)
{
    XlsxSheet sheet;
    sheet.name = name;
    SheetCells cells(format, sheet);
    if (withCaptions) {
        // Beside the table's cells and above the column rows, where there is room.
        for (FormatField field : {FormatField::TableName, FormatField::TableTitle}) {
            if (const std::optional<CellAddress> address = fieldCell(format, field);
                address && address->column > 1) {
                sheet.cells[{address->row, static_cast<quint16>(address->column - 1)}] =
                    XlsxCell{caption(field), false};
            }
        }
        if (format.RowStart > 1) {
            for (FormatField field : kColumnFields) {
                cells.set(field, caption(field), format.RowStart - 1);
            }
        }
    }
    cells.set(FormatField::TableName, table.name);
    // A sheet read back without a title would have none.
    cells.set(FormatField::TableTitle, table.title.isEmpty() ? table.name : table.title);
    for (size_t n = 0; n < table.extra.size(); ++n) {
        if (!table.extra[n].isEmpty()) {
            cells.set(kEtcFields[n], table.extra[n]);
        }
    }
    const bool lengthInType = format.RowLength == format.RowType;
    const bool scaleInLength = format.RowScale == format.RowLength;
    qint64 row = format.RowStart;
    for (const ColumnDefinition& column : table.columns) {
        // Fields sharing a column are written in the order the reading takes them,
        // so that the type's own cell wins.
        cells.set(FormatField::Comment, column.comment, row);
        cells.set(FormatField::Default, column.defaultValue, row);
        cells.set(FormatField::NotNull, column.notNull ? markText(format.StrNotNull) : QString(),
                  row);
        cells.set(FormatField::Index, column.key ? markText(format.StrIndex) : QString(), row);
        if (!lengthInType) {
            if (!scaleInLength && format.RowScale != format.RowType) {
                cells.set(FormatField::RowScale, column.type.scale, row,
                          isPlainNumber(column.type.scale));
            }
            const QString length = scaleInLength && !column.type.scale.isEmpty()
                                       ? column.type.length + u',' + column.type.scale
                                       : column.type.length;
            cells.set(FormatField::RowLength, length, row, isPlainNumber(length));
        }
        cells.set(FormatField::RowType, lengthInType ? column.type.text : column.type.name, row);
        cells.set(FormatField::RowTitle, column.title, row);
        ++row;
    }
    return sheet;
}

std::optional<std::pair<dev_t, ino_t>> fileIdentity(const QString& path)
{
    struct stat status;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0) {
        return std::nullopt;
    }
    return std::pair(status.st_dev, status.st_ino);
}

} // namespace

QStringList definitionSheetNames(const std::vector<TableDefinition>& tables)
{
    static const QRegularExpression forbidden(QStringLiteral("[\\[\\]:*?/\\\\]"));
    QStringList names;
    QSet<QString> taken;
    for (const TableDefinition& table : tables) {
        QString base = table.title.isEmpty() ? table.name : table.title;
        base.replace(forbidden, QStringLiteral("_"));
        // A name may neither start nor end with an apostrophe, nor be empty.
        if (base.startsWith(u'\'')) {
            base[0] = u'_';
        }
        base = cutText(base.isEmpty() ? QStringLiteral("Sheet") : base, kMaxSheetName);
        if (base.endsWith(u'\'')) {
            base.back() = u'_';
        }
        QString name = base;
        for (int n = 2; taken.contains(name.toCaseFolded()); ++n) {
            const QString suffix = QStringLiteral(" (%1)").arg(n);
            name = cutText(base, kMaxSheetName - suffix.size()) + suffix;
        }
        taken.insert(name.toCaseFolded());
        names.append(name);
    }
    return names;
}

void writeDefinitionWorkbook(const QString& path, const std::vector<TableDefinition>& tables,
                             const FormatSetting& typed, const DefinitionWorkbookLayout& layout,
                             const QStringList& inputs, const std::atomic_bool& cancelled)
{
    if (const auto target = fileIdentity(path)) {
        QStringList readFiles = inputs;
        readFiles.prepend(layout.templatePath);
        for (const QString& input : readFiles) {
            if (fileIdentity(input) == target) {
                throw Error(ErrorNumber::PermissionDenied,
                            QStringLiteral("ブック \"%1\" は読み込むファイル \"%2\" "
                                           "と同じなので書き込めません")
                                .arg(path, input));
            }
        }
    }
    const FormatSetting format = workingFormat(typed);
    if (format.RowStart < 1 || format.RowStart > static_cast<qint64>(kMaxRow)) {
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("%1 の \"%2\" は行を指していません")
                        .arg(formatFieldName(FormatField::RowStart))
                        .arg(format.RowStart));
    }
    const bool plain = layout.templatePath.isEmpty();
    std::optional<XlsxWriter> writer;
    if (plain) {
        writer.emplace();
    } else {
        writer.emplace(layout.templatePath, layout.templateSheet);
    }
    const QStringList names = definitionSheetNames(tables);
    for (size_t n = 0; n < tables.size(); ++n) {
        throwIfCancelled(cancelled);
        writer->addSheet(definitionSheet(tables[n], names[n], format, plain),
                         static_cast<quint32>(format.RowStart));
    }
    throwIfCancelled(cancelled);
    QByteArray bytes;
    try {
        bytes = writer->package();
    } catch (const Error& error) {
        throw Error(
            error.number(),
            QStringLiteral("ブック \"%1\" を書けません: %2").arg(path, error.description()));
    }
    saveReplacing(path, bytes, QStringLiteral("ブック"));
}

} // namespace tavrune

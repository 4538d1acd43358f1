#include "schema/definition_differences.h"

#include "settings/setting_fields.h"

#include <algorithm>

namespace tavrune {

namespace {

bool sameName(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

template <typename List, typename Name>
qsizetype indexByName(const List& list, const QString& name, Name nameOf)
{
    for (size_t i = 0; i < list.size(); ++i) {
        if (sameName(nameOf(list[i]), name)) {
            return static_cast<qsizetype>(i);
        }
    }
    return -1;
}

const ColumnDefinition* findColumn(const TableDefinition& table, const QString& title)
{
    const qsizetype at =
        indexByName(table.columns, title, [](const ColumnDefinition& c) { return c.title; });
    return at < 0 ? nullptr : &table.columns[static_cast<size_t>(at)];
}

// Whether two tables hold alike columns: the same titles and types in the same order.
bool alikeColumns(const TableDefinition& a, const TableDefinition& b)
{
    return std::equal(a.columns.begin(), a.columns.end(), b.columns.begin(), b.columns.end(),
                      [](const ColumnDefinition& x, const ColumnDefinition& y) {
                          return sameName(x.title, y.title) && x.type.text == y.type.text;
                      });
}

// Whether a type change may lose data: another type, or a shorter length or scale.
bool losesData(const ColumnType& older, const ColumnType& newer)
{
    if (!sameName(older.name, newer.name)) {
        return true;
    }
    const auto shorter = [](const QString& before, const QString& after) {
        bool wasNumber = false;
        bool isNumber = false;
        const double was = QString(before).remove(u'(').remove(u')').toDouble(&wasNumber);
        const double is = QString(after).remove(u'(').remove(u')').toDouble(&isNumber);
        return wasNumber && (!isNumber || is < was);
    };
    return shorter(older.length, newer.length) || shorter(older.scale, newer.scale);
}

QString yesNo(bool on)
{
    return on ? QStringLiteral("yes") : QStringLiteral("no");
}

// The titles of the columns both tables have that keep their order from older to
// newer: the longest run common to both orders, so that one moved column shows
// as the one moved.
QStringList keptInOrder(const QStringList& older, const QStringList& newer)
{
    const size_t n = static_cast<size_t>(older.size());
    const size_t m = static_cast<size_t>(newer.size());
    std::vector<std::vector<int>> length(n + 1, std::vector<int>(m + 1, 0));
    for (size_t i = n; i-- > 0;) {
        for (size_t j = m; j-- > 0;) {
            length[i][j] = sameName(older[qsizetype(i)], newer[qsizetype(j)])
                               ? length[i + 1][j + 1] + 1
                               : std::max(length[i + 1][j], length[i][j + 1]);
        }
    }
    QStringList kept;
    for (size_t i = 0, j = 0; i < n && j < m;) {
        if (sameName(older[qsizetype(i)], newer[qsizetype(j)])) {
            kept.append(newer[qsizetype(j)]);
            ++i;
            ++j;
        } else if (length[i + 1][j] >= length[i][j + 1]) {
            ++i;
        } else {
            ++j;
        }
    }
    return kept;
}

class Comparison
{
public:
    std::vector<Difference> differences;

    void compareTables(const TableDefinition& older, const TableDefinition& newer)
    {
        Difference base;
        base.table = newer.name;
        base.kind = DifferenceKind::TableChanged;
        change(base, QStringLiteral("title"), older.title, newer.title,
               older.place(FormatField::TableTitle), newer.place(FormatField::TableTitle));
        constexpr FormatField kEtc[] = {FormatField::Etc1, FormatField::Etc2, FormatField::Etc3,
                                        FormatField::Etc4};
        for (size_t n = 0; n < 4; ++n) {
            change(base, QStringLiteral("etc%1").arg(n + 1), older.extra[n], newer.extra[n],
                   older.place(kEtc[n]), newer.place(kEtc[n]));
        }
        for (const ColumnDefinition& column : older.columns) {
            if (findColumn(newer, column.title) == nullptr) {
                Difference removed = base;
                removed.kind = DifferenceKind::ColumnRemoved;
                removed.column = column.title;
                removed.oldPlace = older.place(FormatField::RowTitle, column.row);
                removed.destructive = true;
                differences.push_back(removed);
            }
        }
        QStringList olderOrder;
        QStringList newerOrder;
        for (const ColumnDefinition& column : older.columns) {
            if (findColumn(newer, column.title) != nullptr) {
                olderOrder.append(column.title);
            }
        }
        for (const ColumnDefinition& column : newer.columns) {
            const ColumnDefinition* before = findColumn(older, column.title);
            if (before != nullptr) {
                newerOrder.append(column.title);
            }
        }
        const QStringList kept = keptInOrder(olderOrder, newerOrder);
        for (const ColumnDefinition& column : newer.columns) {
            const ColumnDefinition* before = findColumn(older, column.title);
            Difference at = base;
            at.column = column.title;
            if (before == nullptr) {
                at.kind = DifferenceKind::ColumnAdded;
                at.newPlace = newer.place(FormatField::RowTitle, column.row);
                differences.push_back(at);
                continue;
            }
            at.kind = DifferenceKind::ColumnChanged;
            at.destructive = losesData(before->type, column.type);
            change(at, QStringLiteral("type"), before->type.text, column.type.text,
                   older.place(FormatField::RowType, before->row),
                   newer.place(FormatField::RowType, column.row));
            at.destructive = false;
            change(at, QStringLiteral("not null"), yesNo(before->notNull), yesNo(column.notNull),
                   older.place(FormatField::NotNull, before->row),
                   newer.place(FormatField::NotNull, column.row));
            change(at, QStringLiteral("default"), before->defaultValue, column.defaultValue,
                   older.place(FormatField::Default, before->row),
                   newer.place(FormatField::Default, column.row));
            change(at, QStringLiteral("comment"), before->comment, column.comment,
                   older.place(FormatField::Comment, before->row),
                   newer.place(FormatField::Comment, column.row));
            if (!kept.contains(column.title)) {
                at.kind = DifferenceKind::ColumnMoved;
                at.what = QStringLiteral("position");
                at.oldValue = QString::number(olderOrder.indexOf(before->title) + 1);
                at.newValue = QString::number(newerOrder.indexOf(column.title) + 1);
                at.oldPlace = older.place(FormatField::RowTitle, before->row);
                at.newPlace = newer.place(FormatField::RowTitle, column.row);
                differences.push_back(at);
            }
        }
        const QStringList olderKey = older.key();
        const QStringList newerKey = newer.key();
        if (olderKey.join(u'\n').compare(newerKey.join(u'\n'), Qt::CaseInsensitive) != 0) {
            Difference key = base;
            key.kind = DifferenceKind::KeyChanged;
            key.what = QStringLiteral("key");
            key.oldValue = olderKey.join(QStringLiteral(", "));
            key.newValue = newerKey.join(QStringLiteral(", "));
            key.oldPlace = older.place(FormatField::Index, older.format.RowStart);
            key.newPlace = newer.place(FormatField::Index, newer.format.RowStart);
            differences.push_back(key);
        }
    }

private:
    void change(const Difference& base, const QString& what, const QString& oldValue,
                const QString& newValue, const QString& oldPlace, const QString& newPlace)
    {
        if (oldValue == newValue) {
            return;
        }
        Difference changed = base;
        changed.what = what;
        changed.oldValue = oldValue;
        changed.newValue = newValue;
        changed.oldPlace = oldPlace;
        changed.newPlace = newPlace;
        differences.push_back(changed);
    }
};

} // namespace

std::vector<Difference> compareDefinitions(const std::vector<TableDefinition>& older,
                                           const std::vector<TableDefinition>& newer)
{
    const auto nameOf = [](const TableDefinition& table) { return table.name; };
    std::vector<const TableDefinition*> removed;
    for (const TableDefinition& table : older) {
        if (indexByName(newer, table.name, nameOf) < 0) {
            removed.push_back(&table);
        }
    }
    const auto renamedFrom = [&](const TableDefinition& table) -> const TableDefinition* {
        for (const TableDefinition* gone : removed) {
            if (gone->title == table.title && alikeColumns(*gone, table)) {
                return gone;
            }
        }
        return nullptr;
    };

    Comparison comparison;
    std::vector<Difference>& differences = comparison.differences;
    std::vector<std::pair<const TableDefinition*, QString>> renames;
    for (const TableDefinition& table : newer) {
        const qsizetype at = indexByName(older, table.name, nameOf);
        if (at >= 0) {
            comparison.compareTables(older[static_cast<size_t>(at)], table);
            continue;
        }
        Difference added;
        added.kind = DifferenceKind::TableAdded;
        added.table = table.name;
        added.newPlace = table.place(FormatField::TableName);
        if (const TableDefinition* gone = renamedFrom(table)) {
            added.note = QStringLiteral("possibly renamed from %1").arg(gone->name);
            added.renamed = gone->name;
            renames.emplace_back(gone, table.name);
        }
        differences.push_back(added);
    }
    for (const TableDefinition* table : removed) {
        Difference gone;
        gone.kind = DifferenceKind::TableRemoved;
        gone.table = table->name;
        gone.oldPlace = table->place(FormatField::TableName);
        gone.destructive = true;
        for (const auto& [from, to] : renames) {
            if (from == table) {
                gone.note = QStringLiteral("possibly renamed to %1").arg(to);
                gone.renamed = to;
            }
        }
        differences.push_back(gone);
    }
    return differences;
}

QString differenceKindName(DifferenceKind kind)
{
    switch (kind) {
    case DifferenceKind::TableAdded:
        return QStringLiteral("table added");
    case DifferenceKind::TableRemoved:
        return QStringLiteral("table removed");
    case DifferenceKind::TableChanged:
        return QStringLiteral("table changed");
    case DifferenceKind::ColumnAdded:
        return QStringLiteral("column added");
    case DifferenceKind::ColumnRemoved:
        return QStringLiteral("column removed");
    case DifferenceKind::ColumnChanged:
        return QStringLiteral("column changed");
    case DifferenceKind::ColumnMoved:
        return QStringLiteral("column moved");
    case DifferenceKind::KeyChanged:
        return QStringLiteral("key changed");
    }
    return {};
}

} // namespace tavrune

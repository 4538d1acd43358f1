#pragma once

#include "schema/table_definition.h"

#include <QString>
#include <vector>

namespace tavrune {

enum class DifferenceKind
{
    TableAdded,
    TableRemoved,
    TableChanged, // its title or an extra cell
    ColumnAdded,
    ColumnRemoved,
    ColumnChanged, // type, NOT NULL, default or comment
    ColumnMoved,
    KeyChanged,
};

// One difference between an older and a newer definition: where it is on each
// side ("sheet!cell", empty on the side that lacks it) and the values before and
// after, as the sheets hold them.
struct Difference
{
    DifferenceKind kind = DifferenceKind::TableChanged;
    QString table;  // the table's name, the newer side's where both have it
    QString column; // the column's title, for a column's difference
    QString what;   // what changed: "title", "etc1" … "etc4", "type", "not null",
                    // "default", "comment", "position", "key"; empty for an addition
                    // or a removal
    QString oldValue;
    QString newValue;
    QString oldPlace;
    QString newPlace;
    QString note;    // "possibly renamed from …" / "possibly renamed to …"
    QString renamed; // the table of that note, on the other side
    // Data may be lost: a removed table or column, a type narrowed or changed.
    bool destructive = false;

    bool operator==(const Difference&) const = default;
};

// The differences from older to newer. Tables are matched by name and columns by
// title, ASCII letters compared without regard to case. The order is stable: the
// newer tables in sheet order, each added or with its changes (title and extra
// cells, removed columns in the older order, added and changed columns and moves in
// the newer order, the key), then the removed tables in the older sheet order. A
// removed and an added table whose titles and columns are alike are noted as
// possibly renamed.
std::vector<Difference> compareDefinitions(const std::vector<TableDefinition>& older,
                                           const std::vector<TableDefinition>& newer);

// The kind's word in reports: "table added", "column changed" …
QString differenceKindName(DifferenceKind kind);

} // namespace tavrune

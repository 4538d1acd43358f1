#pragma once

#include <QtGlobal>

namespace tavrune {

enum class CellKind : quint8
{
    Empty,
    Text,
    Number,
    Boolean,
    Error,
};

// How a number cell's format makes it read.
enum class NumberStyle : quint8
{
    General,
    Date, // a format showing a date, possibly with a time
    Time, // a format showing only a time
};

// One stored cell. Texts and error values live in the workbook's string pool, so a
// cell stays small however long its text is.
struct Cell
{
    quint32 row = 0;
    quint16 column = 0;
    CellKind kind = CellKind::Empty;
    NumberStyle style = NumberStyle::General;
    // A cell holds a text or a number, never both: sixteen bytes a cell.
    union {
        double number = 0; // for Number, and 0 or 1 for Boolean
        quint32 text;      // pool index, for Text and Error
    };
};
static_assert(sizeof(Cell) == 16);

} // namespace tavrune

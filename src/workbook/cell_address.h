#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace tavrune {

constexpr quint32 kMaxRow = 1048576;
constexpr quint16 kMaxColumn = 16384; // XFD

// One cell of a worksheet, both numbers counted from 1.
struct CellAddress
{
    quint32 row = 0;
    quint16 column = 0;

    bool operator==(const CellAddress&) const = default;
};

// Reads an A1 reference as the spreadsheet application accepts it: column letters
// in any case, then row digits, each optionally marked absolute with "$". Anything
// else (empty text, ranges, sheet-qualified references, row 0, out-of-range rows or
// columns) gives nothing.
std::optional<CellAddress> parseCellAddress(QStringView text);

// "A" for 1, "Z" for 26, "AA" for 27 ... "XFD" for 16384.
QString columnLetters(quint16 column);

// "B12" for row 12, column 2.
QString formatCellAddress(CellAddress address);

} // namespace tavrune

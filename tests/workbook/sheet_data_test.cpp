#include "workbook/workbook_data.h"

#include <gtest/gtest.h>
#include <random>

using namespace tavrune;

namespace {

// Rows 1 to 400 with 0 to 6 cells each in scattered columns, so that rows without
// cells, rows of one cell and gaps between rows all occur.
SheetData scatteredSheet()
{
    SheetData sheet(QStringLiteral("S"));
    for (quint32 row = 1; row <= 400; ++row) {
        for (quint16 column = 1; column <= row % 7; ++column) {
            const auto at = static_cast<quint16>(column * 2 + row % 3);
            sheet.addCell(
                Cell{row, at, CellKind::Number, NumberStyle::General, {row * 100.0 + at}});
        }
    }
    sheet.finish();
    return sheet;
}

const Cell* findByScanning(const SheetData& sheet, CellAddress address)
{
    for (const Cell& cell : sheet.cells()) {
        if (cell.row == address.row && cell.column == address.column) {
            return &cell;
        }
    }
    return nullptr;
}

} // namespace

// One hint is carried through every read, as a connection carries it: whatever
// order the reads come in, and whatever the hint was left pointing at, the cell
// found is the one a scan of the whole sheet finds.
TEST(SheetData, FindsTheSameCellWhateverTheHintWasLeftAt)
{
    const SheetData sheet = scatteredSheet();
    const SheetData other = scatteredSheet();
    std::vector<std::pair<const char*, std::vector<CellAddress>>> orders;
    std::vector<CellAddress> down, up, headerAndRow, shuffled;
    for (quint32 row = 1; row <= 402; ++row) {
        for (quint16 column = 1; column <= 16; ++column) {
            down.push_back({row, column});
            headerAndRow.push_back({2, column});
            headerAndRow.push_back({row, column});
        }
    }
    up.assign(down.rbegin(), down.rend());
    shuffled = down;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    for (const auto& [name, reads] :
         {std::pair{"down the sheet", down}, std::pair{"up the sheet", up},
          std::pair{"a header row between rows", headerAndRow},
          std::pair{"in no order", shuffled}}) {
        SCOPED_TRACE(name);
        for (RowHint hint : {RowHint{}, RowHint{&other, 5, 10, 14}, RowHint{&sheet, 3, 0, 999999},
                             RowHint{&sheet, 4, 9, 2}, RowHint{&sheet, 200, 900, 905}}) {
            for (const CellAddress address : reads) {
                ASSERT_EQ(sheet.find(address, hint), findByScanning(sheet, address))
                    << address.row << "," << address.column;
            }
        }
    }
}

#pragma once

#include "workbook/cell.h"
#include "workbook/cell_address.h"

#include <QString>
#include <deque>
#include <vector>

namespace tavrune {

class SheetData;

// Where the cells of the row read last lie in a sheet. Reads that go along a row
// find it once; the hint belongs to the reader, so a sheet itself never changes
// when it is read.
struct RowHint
{
    const SheetData* sheet = nullptr;
    quint32 row = 0;
    size_t begin = 0; // the row's cells: [begin, end) of SheetData::cells()
    size_t end = 0;
};

// One worksheet as read from a file.
class SheetData
{
public:
    explicit SheetData(QString name = {});

    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }

    // Cells may come in any order; a later cell at the same address replaces an
    // earlier one. Empty cells are not stored.
    void addCell(const Cell& cell);
    // Room for count cells, so that a large sheet is not copied as it grows.
    void reserveCells(qsizetype count);
    // Sorts the cells for lookup; call once all cells are added.
    void finish();

    // The cell at address, or nullptr when nothing is stored there.
    const Cell* find(CellAddress address) const;
    // The same, looking the row up only when it is not the hint's.
    const Cell* find(CellAddress address, RowHint& hint) const;
    // The bottom row holding a value; 1 for a sheet without values.
    quint32 lastUsedRow() const { return m_lastUsedRow; }
    qsizetype cellCount() const { return static_cast<qsizetype>(m_cells.size()); }
    const std::vector<Cell>& cells() const { return m_cells; }

private:
    // The first cell from `from` on for which before fails, where before holds for
    // a run of cells from `from` and then for none.
    template <typename Predicate> size_t gallop(size_t from, Predicate before) const;

    QString m_name;
    std::vector<Cell> m_cells;
    quint32 m_lastUsedRow = 1;
    bool m_sorted = true;
};

// A whole workbook as read from a file: its worksheets in the order the
// application lists them (chart and macro sheets left out), and their texts.
class WorkbookData
{
public:
    // file names the workbook's file in the errors of the bounds; empty for a
    // workbook made in memory.
    explicit WorkbookData(QString file = {});

    // Bounds on what one file may make the program hold.
    static constexpr qsizetype kMaxCells = 5'000'000;
    static constexpr qsizetype kMaxSheets = 10'000;
    static constexpr qsizetype kMaxTextLength = 1'000'000;
    static constexpr qsizetype kMaxTotalTextLength = 50'000'000;
    // Every text counts, empty ones too: each costs memory of its own.
    static constexpr qsizetype kMaxStrings = 5'000'000;
    static constexpr qsizetype kMaxSheetNameLength = 255;
    // Rows a file may make by repeating a row that holds a value: each costs every
    // later command (a run, the checks, the preview) a row's work, where the file
    // paid a few bytes for all of them. An honest sheet repeats a handful.
    static constexpr qsizetype kMaxRepeatedRows = 100'000;

    // Adds a text to the pool and returns its index. Throws when the pool outgrows
    // its bounds.
    quint32 addString(const QString& text);
    const QString& string(quint32 index) const { return m_strings.at(index); }
    qsizetype stringCount() const { return static_cast<qsizetype>(m_strings.size()); }

    // Adds an empty worksheet at the end and returns it. Throws past kMaxSheets or
    // for a name longer than kMaxSheetNameLength.
    SheetData& addSheet(const QString& name);
    // Adds a cell to one of this workbook's sheets. Throws once the workbook holds
    // more than kMaxCells cells.
    void addCell(SheetData& sheet, const Cell& cell);
    // Counts cells a reader added to one of this workbook's sheets itself, with
    // the same bound.
    void countCells(qsizetype count);
    // Counts characters against kMaxTotalTextLength, as addString does; a reader
    // counts so the texts it repeats from the pool, since every copy is read as a
    // text of its own. Throws past the bound.
    void countTextLength(qint64 characters);

    std::vector<SheetData>& sheets() { return m_sheets; }
    const std::vector<SheetData>& sheets() const { return m_sheets; }

    void setDate1904(bool on) { m_date1904 = on; }

    // The cell's value as text, as the spreadsheet application converts it: texts as
    // stored, numbers in general form or as dates and times, booleans as True and
    // False, empty cells as empty text. An error value throws an error naming the
    // sheet, the cell and the value.
    QString cellText(const SheetData& sheet, CellAddress address) const;
    QString cellText(const SheetData& sheet, CellAddress address, RowHint& hint) const;

private:
    [[noreturn]] void failBound(const QString& why) const;
    QString textOf(const SheetData& sheet, const Cell* cell, CellAddress address) const;

    QString m_file;
    // A deque grows without copying what it holds, so a large pool never needs
    // twice its size while it grows.
    std::deque<QString> m_strings;
    std::vector<SheetData> m_sheets;
    qsizetype m_totalTextLength = 0;
    qsizetype m_cellCount = 0;
    bool m_date1904 = false;
};

} // namespace tavrune

#include "workbook/workbook_data.h"

#include "common/error.h"
#include "workbook/number_text.h"
#include "workbook/quoted_text.h"

#include <algorithm>

namespace tavrune {

SheetData::SheetData(QString name) : m_name(std::move(name)) {}

void SheetData::addCell(const Cell& cell)
{
    if (cell.kind == CellKind::Empty) {
        return;
    }
    if (!m_cells.empty()) {
        const Cell& last = m_cells.back();
        if (cell.row < last.row || (cell.row == last.row && cell.column <= last.column)) {
            m_sorted = false;
        }
    }
    m_cells.push_back(cell);
    m_lastUsedRow = std::max(m_lastUsedRow, cell.row);
}

void SheetData::reserveCells(qsizetype count)
{
    m_cells.reserve(static_cast<size_t>(std::max<qsizetype>(count, 0)));
}

void SheetData::finish()
{
    if (m_sorted) {
        return;
    }
    // Stable, so that of two cells at one address the later one ends up last.
    std::stable_sort(m_cells.begin(), m_cells.end(), [](const Cell& a, const Cell& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    std::vector<Cell> unique;
    unique.reserve(m_cells.size());
    for (const Cell& cell : m_cells) {
        if (!unique.empty() && unique.back().row == cell.row &&
            unique.back().column == cell.column) {
            unique.back() = cell;
        } else {
            unique.push_back(cell);
        }
    }
    m_cells = std::move(unique);
    m_sorted = true;
}

const Cell* SheetData::find(CellAddress address) const
{
    RowHint hint;
    return find(address, hint);
}

const Cell* SheetData::find(CellAddress address, RowHint& hint) const
{
    Q_ASSERT(m_sorted);
    // The hint is checked against the cells around it, so one left from a sheet
    // that is gone, or from another sheet, can never point past the row.
    const size_t size = m_cells.size();
    const bool ours = hint.sheet == this && hint.begin <= hint.end && hint.end <= size;
    const bool known = ours && hint.row == address.row &&
                       (hint.begin == 0 || m_cells[hint.begin - 1].row < address.row) &&
                       (hint.end == size || m_cells[hint.end].row > address.row) &&
                       (hint.begin == hint.end || (m_cells[hint.begin].row == address.row &&
                                                   m_cells[hint.end - 1].row == address.row));
    if (!known) {
        // Reads mostly go down the sheet, so a row below the hint's is searched
        // for from there on, in steps that double: the next row costs a step or
        // two instead of halving a large sheet twenty times, each a cache miss.
        const size_t from =
            ours && hint.end > 0 && m_cells[hint.end - 1].row < address.row ? hint.end : 0;
        const size_t first = gallop(from, [&](const Cell& cell) { return cell.row < address.row; });
        const size_t last =
            gallop(first, [&](const Cell& cell) { return cell.row == address.row; });
        hint = {this, address.row, first, last};
    }
    const auto first = m_cells.begin() + static_cast<std::ptrdiff_t>(hint.begin);
    const auto last = m_cells.begin() + static_cast<std::ptrdiff_t>(hint.end);
    const auto it = std::partition_point(
        first, last, [&](const Cell& cell) { return cell.column < address.column; });
    return it != last && it->column == address.column ? &*it : nullptr;
}

template <typename Predicate> size_t SheetData::gallop(size_t from, Predicate before) const
{
    size_t low = from;
    size_t step = 1;
    size_t probe = from;
    while (probe < m_cells.size() && before(m_cells[probe])) {
        low = probe + 1;
        probe = low + step;
        step *= 2;
    }
    const auto high =
        m_cells.begin() + static_cast<std::ptrdiff_t>(std::min(probe, m_cells.size()));
    return static_cast<size_t>(
        std::partition_point(m_cells.begin() + static_cast<std::ptrdiff_t>(low), high, before) -
        m_cells.begin());
}

WorkbookData::WorkbookData(QString file) : m_file(std::move(file)) {}

void WorkbookData::failBound(const QString& why) const
{
    throw Error(ErrorNumber::ApplicationDefined,
                m_file.isEmpty()
                    ? why
                    : QStringLiteral("ファイル \"%1\" を読み込めません: %2").arg(m_file, why));
}

void WorkbookData::countTextLength(qint64 characters)
{
    m_totalTextLength += characters;
    if (m_totalTextLength > kMaxTotalTextLength) {
        failBound(
            QStringLiteral("文字列の合計が上限 %1 文字を超えています。").arg(kMaxTotalTextLength));
    }
}

quint32 WorkbookData::addString(const QString& text)
{
    if (text.size() > kMaxTextLength) {
        failBound(QStringLiteral("文字列が長すぎます (%1 文字、上限 %2 文字)。")
                      .arg(text.size())
                      .arg(kMaxTextLength));
    }
    if (static_cast<qsizetype>(m_strings.size()) >= kMaxStrings) {
        failBound(QStringLiteral("文字列の数が上限 %1 を超えています。").arg(kMaxStrings));
    }
    countTextLength(text.size());
    m_strings.push_back(text);
    return static_cast<quint32>(m_strings.size() - 1);
}

SheetData& WorkbookData::addSheet(const QString& name)
{
    if (static_cast<qsizetype>(m_sheets.size()) >= kMaxSheets) {
        failBound(QStringLiteral("シートの数が上限 %1 を超えています。").arg(kMaxSheets));
    }
    if (name.size() > kMaxSheetNameLength) {
        failBound(QStringLiteral("シート名 \"%1\" が上限 %2 文字を超えています。")
                      .arg(quotedText(name))
                      .arg(kMaxSheetNameLength));
    }
    m_sheets.emplace_back(name);
    return m_sheets.back();
}

void WorkbookData::addCell(SheetData& sheet, const Cell& cell)
{
    sheet.addCell(cell);
    if (++m_cellCount > kMaxCells) {
        failBound(QStringLiteral("セルの数が上限 %1 を超えています。").arg(kMaxCells));
    }
}

void WorkbookData::countCells(qsizetype count)
{
    m_cellCount += count;
    if (m_cellCount > kMaxCells) {
        failBound(QStringLiteral("セルの数が上限 %1 を超えています。").arg(kMaxCells));
    }
}

QString WorkbookData::cellText(const SheetData& sheet, CellAddress address) const
{
    return textOf(sheet, sheet.find(address), address);
}

QString WorkbookData::cellText(const SheetData& sheet, CellAddress address, RowHint& hint) const
{
    return textOf(sheet, sheet.find(address, hint), address);
}

QString WorkbookData::textOf(const SheetData& sheet, const Cell* cell, CellAddress address) const
{
    if (cell == nullptr) {
        return {};
    }
    switch (cell->kind) {
    case CellKind::Empty:
        return {};
    case CellKind::Text:
        return m_strings.at(cell->text);
    case CellKind::Boolean:
        return cell->number != 0 ? QStringLiteral("True") : QStringLiteral("False");
    case CellKind::Number:
        return formatCellNumber(cell->number, cell->style, m_date1904);
    case CellKind::Error:
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("シート \"%1\" のセル %2 はエラー値 %3 です。")
                        .arg(sheet.name(), formatCellAddress(address), m_strings.at(cell->text)));
    }
    return {};
}

} // namespace tavrune

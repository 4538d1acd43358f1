#include "support/workbook_builder.h"

#include "common/error.h"

namespace tavrune {

WorkbookBuilder& WorkbookBuilder::sheet(const QString& name)
{
    m_data.addSheet(name);
    return *this;
}

Cell& WorkbookBuilder::add(const QString& address, CellKind kind)
{
    const std::optional<CellAddress> parsed = parseCellAddress(address);
    if (!parsed || m_data.sheets().empty()) {
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("セル %1 を追加できません。").arg(address));
    }
    m_cell = Cell{};
    m_cell.row = parsed->row;
    m_cell.column = parsed->column;
    m_cell.kind = kind;
    return m_cell;
}

WorkbookBuilder& WorkbookBuilder::text(const QString& address, const QString& value)
{
    Cell& cell = add(address, CellKind::Text);
    cell.text = m_data.addString(value);
    m_data.addCell(m_data.sheets().back(), cell);
    return *this;
}

WorkbookBuilder& WorkbookBuilder::number(const QString& address, double value, NumberStyle style)
{
    Cell& cell = add(address, CellKind::Number);
    cell.number = value;
    cell.style = style;
    m_data.addCell(m_data.sheets().back(), cell);
    return *this;
}

WorkbookBuilder& WorkbookBuilder::boolean(const QString& address, bool value)
{
    Cell& cell = add(address, CellKind::Boolean);
    cell.number = value ? 1 : 0;
    m_data.addCell(m_data.sheets().back(), cell);
    return *this;
}

WorkbookBuilder& WorkbookBuilder::error(const QString& address, const QString& value)
{
    Cell& cell = add(address, CellKind::Error);
    cell.text = m_data.addString(value);
    m_data.addCell(m_data.sheets().back(), cell);
    return *this;
}

WorkbookBuilder& WorkbookBuilder::date1904(bool on)
{
    m_data.setDate1904(on);
    return *this;
}

WorkbookData WorkbookBuilder::build()
{
    for (SheetData& sheet : m_data.sheets()) {
        sheet.finish();
    }
    WorkbookData result = std::move(m_data);
    m_data = WorkbookData{};
    return result;
}

} // namespace tavrune

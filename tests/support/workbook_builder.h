#pragma once

#include "workbook/workbook_data.h"

#include <QString>

namespace tavrune {

// Builds a workbook in code, sheet by sheet and cell by cell; for tests and for
// sources that keep workbooks in memory. Addresses are A1 references.
class WorkbookBuilder
{
public:
    // Adds a worksheet; the cells that follow go into it.
    WorkbookBuilder& sheet(const QString& name);
    WorkbookBuilder& text(const QString& address, const QString& value);
    WorkbookBuilder& number(const QString& address, double value,
                            NumberStyle style = NumberStyle::General);
    WorkbookBuilder& boolean(const QString& address, bool value);
    WorkbookBuilder& error(const QString& address, const QString& value);
    WorkbookBuilder& date1904(bool on);

    WorkbookData build();

private:
    Cell& add(const QString& address, CellKind kind);

    WorkbookData m_data;
    Cell m_cell;
};

} // namespace tavrune

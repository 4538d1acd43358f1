#pragma once

#include "settings/setting_fields.h"
#include "workbook/workbook_source.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tavrune {

// Reads the cells of one sheet for the template expansion. A read that fails (an
// address the field does not make valid, an error value in the cell) throws an
// error that names the format field as well as the sheet and the address.
class SheetCellReader
{
public:
    // Told the address and the value of every cell read.
    using Observer = std::function<void(const QString& address, const QString& value)>;

    // observer, when given, must outlive the reader.
    SheetCellReader(WorkbookConnection& connection, const WorksheetHandle& sheet,
                    const Observer* observer = nullptr);

    // The cell named by a cell reference field.
    QString cell(const QString& reference, FormatField field);
    // The cell of a column field (its letters) in row: letters and decimal row
    // number joined as they stand.
    QString columnCell(const QString& columnLetters, qint64 row, FormatField field);
    qint32 lastUsedRow();
    // A connection on which another thread reads this sheet with the same results,
    // or none when reads must stay here (they are observed).
    std::unique_ptr<WorkbookConnection> connectionForThread() const;
    const WorksheetHandle& sheet() const { return m_sheet; }

private:
    // The column the letters name, when they are plain column letters.
    std::optional<quint16> columnOf(const QString& letters);

    WorkbookConnection& m_connection;
    const WorksheetHandle& m_sheet;
    const Observer* m_observer;
    // Column fields read so far and their columns: a run reads the same few
    // columns on every row.
    std::vector<std::pair<QString, std::optional<quint16>>> m_columns;
};

} // namespace tavrune

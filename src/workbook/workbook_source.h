#pragma once

#include "workbook/workbook_data.h"

#include <QList>
#include <QString>
#include <memory>

namespace tavrune {

// One worksheet of one open workbook, as handed out by a connection. It keeps the
// workbook's content it was taken from, so it stays readable for the connection's
// whole life even when the workbook is read again meanwhile.
class WorksheetHandle
{
public:
    WorksheetHandle() = default;
    WorksheetHandle(std::shared_ptr<const WorkbookData> workbook, qsizetype index);

    bool isValid() const { return m_workbook != nullptr; }
    const WorkbookData& workbook() const { return *m_workbook; }
    const SheetData& sheet() const;
    qsizetype index() const { return m_index; }

private:
    std::shared_ptr<const WorkbookData> m_workbook;
    qsizetype m_index = -1;
};

// One attachment to the open workbooks, for one user action. It sees the
// workbooks as they were when it attached, plus what it opens or closes itself,
// however they are read again meanwhile. Every operation either succeeds or
// throws an Error carrying a number and a description.
class WorkbookConnection
{
public:
    virtual ~WorkbookConnection() = default;

    // Opens the workbook at path (a full path); it becomes the active workbook.
    virtual void openWorkbook(const QString& path) = 0;
    virtual qint16 workbookCount() = 0;
    // Name of workbook index, counted from 1.
    virtual QString workbookName(qint16 index) = 0;
    // Full path of the file workbook index (counted from 1) was read from.
    virtual QString workbookPath(qint16 index) = 0;
    virtual void activateWorkbook(const QString& name) = 0;
    // Takes the named workbook out of the open ones; letter case does not matter.
    virtual void closeWorkbook(const QString& name) = 0;
    // The worksheets of the active workbook in the application's order.
    virtual QList<WorksheetHandle> activeWorkbookSheets() = 0;
    virtual QString sheetName(const WorksheetHandle& sheet) = 0;
    // Whether a workbook of that name is open; letter case does not matter.
    virtual bool hasWorkbook(const QString& name) = 0;
    // Worksheet index (from 1, in the order of activeWorkbookSheets) of the named workbook.
    virtual WorksheetHandle worksheetAt(const QString& name, qint16 index) = 0;
    // The cell's value as text; address is an A1 reference.
    virtual QString cellValue(const WorksheetHandle& sheet, const QString& address) = 0;
    // The same for a cell given by its numbers, without an A1 reference to build
    // and read back.
    virtual QString cellValueAt(const WorksheetHandle& sheet, CellAddress address);
    // The bottom row of the sheet's used range; 1 for an empty sheet.
    virtual qint32 lastUsedRow(const WorksheetHandle& sheet) = 0;
    // A connection of its own for another thread, on which sheetName, cellValue,
    // cellValueAt and lastUsedRow read the sheets this one handed out with the same
    // results and errors; none when reads must stay on this connection.
    virtual std::unique_ptr<WorkbookConnection> sheetReader();
};

// The one way to the workbooks: each user action attaches anew.
class WorkbookSource
{
public:
    virtual ~WorkbookSource() = default;
    virtual std::unique_ptr<WorkbookConnection> attach() = 0;
};

} // namespace tavrune

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

    // Whether the user's own spreadsheet application is running and visible.
    virtual bool IsVisible() = 0;
    // Opens the workbook at path (a full path); it becomes the active workbook.
    virtual void OpenWorkbook(const QString& path) = 0;
    virtual void SetFirstWindowState() = 0;
    virtual qint16 WorkbookCount() = 0;
    // Name of workbook index, counted from 1.
    virtual QString WorkbookName(qint16 index) = 0;
    // Full path of the file workbook index (counted from 1) was read from.
    virtual QString WorkbookPath(qint16 index) = 0;
    virtual void ActivateWorkbook(const QString& name) = 0;
    // Takes the named workbook out of the open ones; letter case does not matter.
    virtual void CloseWorkbook(const QString& name) = 0;
    // The worksheets of the active workbook in the application's order.
    virtual QList<WorksheetHandle> ActiveWorkbookSheets() = 0;
    virtual QString SheetName(const WorksheetHandle& sheet) = 0;
    // Whether a workbook of that name is open; letter case does not matter.
    virtual bool HasWorkbook(const QString& name) = 0;
    // Worksheet index (from 1, in the order of ActiveWorkbookSheets) of the named workbook.
    virtual WorksheetHandle WorksheetAt(const QString& name, qint16 index) = 0;
    // The cell's value as text; address is an A1 reference.
    virtual QString CellValue(const WorksheetHandle& sheet, const QString& address) = 0;
    // The same for a cell given by its numbers, without an A1 reference to build
    // and read back.
    virtual QString CellValueAt(const WorksheetHandle& sheet, CellAddress address);
    // The bottom row of the sheet's used range; 1 for an empty sheet.
    virtual qint32 LastUsedRow(const WorksheetHandle& sheet) = 0;
    // A connection of its own for another thread, on which SheetName, CellValue,
    // CellValueAt and LastUsedRow read the sheets this one handed out with the same
    // results and errors; none when reads must stay on this connection.
    virtual std::unique_ptr<WorkbookConnection> SheetReader();
};

// The one way to the workbooks: each user action attaches anew.
class WorkbookSource
{
public:
    virtual ~WorkbookSource() = default;
    virtual std::unique_ptr<WorkbookConnection> Attach() = 0;
};

} // namespace tavrune

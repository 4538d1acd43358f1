#pragma once

#include "workbook/workbook_source.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace tavrune {

// A workbook source whose open workbooks are held in this process: the set of
// workbooks, the active one and every read operation. Subclasses say how a path
// becomes a workbook and what happens at each attachment.
class WorkbookSetSource : public WorkbookSource
{
public:
    std::unique_ptr<WorkbookConnection> attach() override;
    // The open workbooks as they are now, for a command that must see one version
    // of them from its start to its end: attaching to the copy never reads a file
    // again, and it opens nothing.
    std::unique_ptr<WorkbookSource> snapshot() const;
    // The absolute paths of the open workbooks.
    QStringList openPaths() const;

protected:
    struct OpenBook
    {
        QString name; // file name with extension
        QString path; // absolute path it was read from
        std::shared_ptr<const WorkbookData> data;
    };

    // An empty source of the kind snapshot() fills: by default one that opens
    // nothing. A source observing its reads may observe its snapshots' too.
    virtual std::unique_ptr<WorkbookSetSource> emptySnapshot() const;
    // Called at every attachment before the connection is handed out.
    virtual void beforeAttach() {}
    // Adds or refreshes the workbook at path and makes it the active one.
    virtual void openWorkbook(const QString& path) = 0;
    // Called for every cell read, in order.
    virtual void cellRead(const WorksheetHandle& sheet, const QString& address);
    virtual void cellReadAt(const WorksheetHandle& sheet, CellAddress address);
    // Whether cellRead and cellReadAt do anything; while they do, every read stays
    // on the connection's own thread.
    virtual bool observesCellReads() const { return false; }
    // Called after a workbook was taken out of the open ones.
    virtual void workbookClosed() {}

    // Adds a workbook and makes it active; replaces an open workbook with the same
    // path in place instead. Throws when another workbook of the same name is open.
    void addOrReplace(OpenBook book);
    // Throws when a workbook named name, from another path than path, is open: the
    // application refuses two open workbooks of one name.
    void requireNameFree(const QString& name, const QString& path) const;
    QList<OpenBook>& books() { return m_books; }
    qsizetype indexOfName(const QString& name) const;

private:
    friend class WorkbookSetConnection;

    static qsizetype indexOfName(const QList<OpenBook>& books, const QString& name);

    QList<OpenBook> m_books;
    qsizetype m_active = -1;
};

} // namespace tavrune

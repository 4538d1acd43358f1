#pragma once

#include "workbook/reading_host.h"
#include "workbook/workbook_set_source.h"

#include <QHash>
#include <functional>

namespace tavrune {

// The workbook source the program uses: the open workbooks are the files opened
// in this process. Files change while the program runs (the user edits and saves
// them), so every attachment (or, where attaching must not read, every command)
// reads again each open workbook whose file changed on disk; a workbook whose file
// vanished or cannot be read at that moment keeps its last content. A read is taken
// only when the file did not change while it was read, so that one workbook never
// mixes two saved versions.
class FileWorkbookSource : public WorkbookSetSource
{
public:
    using Reader = std::function<WorkbookData(const QString& path)>;

    // reader turns a path into a workbook; by default readWorkbookFile. It may be
    // called on any thread.
    explicit FileWorkbookSource(Reader reader = {});

    // Whether each attachment first reads the changed files again, on the
    // attaching thread (the default). The windows turn it off and read them
    // through loadsOfChanged before each command instead, off their thread.
    void setReadChangedOnAttach(bool on) { m_readChangedOnAttach = on; }
    // The open of the file at path, as openWorkbook does it, in steps. Throws at
    // once when a workbook of that name from another path is open. A load reads
    // through this source, which must outlive its reading.
    std::shared_ptr<WorkbookLoad> loadToOpen(const QString& path);
    // One load for each open workbook whose file changed on disk. A file that
    // cannot be read keeps the workbook's last content.
    WorkbookLoads loadsOfChanged();

protected:
    void beforeAttach() override;
    // Reads the file; opening a file already open reads it again and keeps one
    // entry. A file with the name of another open workbook is refused.
    void openWorkbook(const QString& path) override;

private:
    // What tells a changed file: a save that replaces the file gives it a new
    // inode; one that rewrites it in place changes its times.
    struct Stamp
    {
        qint64 size = -1;
        quint64 inode = 0;
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;

        bool operator==(const Stamp&) const = default;
    };

    class Load;

    static Stamp stampOf(const QString& path);
    // Reads the file again while it changes during the read, a few times at most,
    // also when the read failed: a file rewritten while read looks damaged. stamp
    // receives the stamp the data belongs to.
    WorkbookData readWhole(const QString& path, Stamp& stamp) const;

    Reader m_reader;
    QHash<QString, Stamp> m_stamps; // by absolute path
    bool m_readChangedOnAttach = true;
};

} // namespace tavrune

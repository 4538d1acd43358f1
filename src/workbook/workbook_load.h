#pragma once

#include <QString>

namespace tavrune {

// One workbook file read for the open workbooks, in two steps: the reading, which
// can take long and may run on another thread, and the putting in place of what
// was read, on the thread that owns the workbooks.
class WorkbookLoad
{
public:
    virtual ~WorkbookLoad() = default;

    // The file read, as the progress window names it.
    virtual QString path() const = 0;
    // Reads the file; touches nothing but this load, so any thread may call it.
    // Whatever the reading throws is kept for install.
    virtual void read() = 0;
    // After read, on the owner's thread: puts the workbook in place.
    virtual void install() = 0;
};

} // namespace tavrune

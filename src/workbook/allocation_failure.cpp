#include "workbook/allocation_failure.h"

#include "common/error.h"

#include <new>
#include <stdexcept>

namespace tavrune {

WorkbookData readReportingAllocationFailure(const QString& path,
                                            const std::function<WorkbookData()>& read)
{
    // A container asked for more than it can hold throws length_error; both mean
    // the file asked for more memory than there is. The error is thrown once the
    // failed read's memory is released.
    try {
        return read();
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    throw Error(ErrorNumber::ApplicationDefined,
                QStringLiteral("ファイル \"%1\" を読み込めません: メモリが足りません").arg(path));
}

} // namespace tavrune

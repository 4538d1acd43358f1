#include "common/error.h"
#include "fuzz_support.h"
#include "harnesses.h"
#include "workbook/xls/xls_reader.h"

namespace tavrune::fuzz {

int fuzzXlsReader(const uint8_t* data, size_t size)
{
    const QString path = writeScratchFile(data, size, ".xls");
    try {
        touchWorkbook(readXlsWorkbook(path));
    } catch (const Error&) {
        // A damaged file ends in a clear error.
    }
    return 0;
}

} // namespace tavrune::fuzz

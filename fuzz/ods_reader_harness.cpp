#include "common/error.h"
#include "fuzz_support.h"
#include "harnesses.h"
#include "workbook/ods/ods_reader.h"

namespace tavrune::fuzz {

int fuzzOdsReader(const uint8_t* data, size_t size)
{
    const QString path = writeScratchFile(data, size, ".ods");
    try {
        touchWorkbook(readOdsWorkbook(path));
    } catch (const Error&) {
        // A damaged file ends in a clear error.
    }
    return 0;
}

} // namespace tavrune::fuzz

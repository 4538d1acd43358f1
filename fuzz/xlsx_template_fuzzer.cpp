#include "harnesses.h"

// libFuzzer's entry point for this harness.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return tavrune::fuzz::fuzzXlsxTemplate(data, size);
}

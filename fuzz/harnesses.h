#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrune::fuzz {

// One function per fuzzed entry point. Each takes any bytes, runs the entry point
// on them and returns 0; a clear error from the program is an expected outcome,
// anything else (a crash, a sanitizer report, another exception) is a fault.
int fuzzXlsxReader(const uint8_t* data, size_t size);
int fuzzXlsxTemplate(const uint8_t* data, size_t size);
int fuzzXlsReader(const uint8_t* data, size_t size);
int fuzzOdsReader(const uint8_t* data, size_t size);
int fuzzSettingsFile(const uint8_t* data, size_t size);
int fuzzWindowStateFile(const uint8_t* data, size_t size);
int fuzzTemplateExpansion(const uint8_t* data, size_t size);
int fuzzCellAddressNumber(const uint8_t* data, size_t size);

} // namespace tavrune::fuzz

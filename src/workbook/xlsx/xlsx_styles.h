#pragma once

#include "workbook/workbook_data.h"

#include <QString>
#include <vector>

namespace tavrune {

class ZipArchive;

// The most cell formats (<xf> of <cellXfs>) and number formats (<numFmt>) a styles
// part may hold; the application itself allows far fewer.
constexpr qsizetype kMaxXlsxCellFormats = 65'536;

// Reads the styles part and gives, for each cell format (<cellXfs> entry, the index
// a cell's s attribute selects), how its number format makes a number read.
std::vector<NumberStyle> readXlsxCellStyles(ZipArchive& archive, const QString& part);

} // namespace tavrune

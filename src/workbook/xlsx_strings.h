#pragma once

#include <QString>

namespace tavrune {

class WorkbookData;
class XlsxPartReader;
class ZipArchive;

// Reads a string item (<si> of the shared strings, <is> of an inline string cell)
// whose start token is current, up to its end: the plain text or the rich-text runs
// joined, phonetic runs left out, _xHHHH_ escapes decoded, blanks kept as stored.
QString readXlsxStringItem(XlsxPartReader& reader);

// Where the shared strings landed in a workbook's pool: consecutive indexes from first.
struct XlsxSharedStrings
{
    quint32 first = 0;
    quint32 count = 0;
};

// Adds every shared string of the part to the workbook's pool in order.
XlsxSharedStrings readXlsxSharedStrings(ZipArchive& archive, const QString& part,
                                        WorkbookData& workbook);

} // namespace tavrune

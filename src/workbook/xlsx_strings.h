#pragma once

#include "workbook/xlsx_package.h"

#include <QString>
#include <string>
#include <string_view>

namespace tavrune {

class SaxPartParser;
class WorkbookData;
class ZipArchive;

// The number of UTF-16 code units the UTF-8 bytes decode to.
qsizetype utf16Length(std::string_view utf8);

// Throws through parser: a text of the part is longer than a workbook may hold.
[[noreturn]] void failXlsxTextTooLong(const SaxPartParser& parser);

// Collects the text of one string item (<si> of the shared strings, <is> of an
// inline string cell) from parser events: the plain text or the rich-text runs
// joined, phonetic runs left out, _xHHHH_ escapes decoded, blanks kept as stored.
// Depths count open elements, the item's own element included.
class XlsxStringItem
{
public:
    // The item's element opened at depth.
    void open(int depth);
    bool isOpen() const { return m_itemDepth > 0; }
    // An element opened at depth inside the item.
    void startElement(XmlNamespace ns, std::string_view name, int depth);
    // An element at depth ended; true when it was the item's own.
    bool endElement(int depth);
    // Character data while depth elements are open. Throws through parser once the
    // text grows past the longest text a workbook may hold.
    void characters(std::string_view text, int depth, const SaxPartParser& parser);
    QString text() const;

private:
    int m_itemDepth = 0;
    int m_textDepth = 0; // of the <t> being read
    int m_skipDepth = 0; // of a phonetic run being skipped
    std::string m_bytes;
    qsizetype m_length = 0; // in UTF-16 code units, as the bound counts
};

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

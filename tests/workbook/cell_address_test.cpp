#include "workbook/cell_address.h"

#include <gtest/gtest.h>

using namespace tavrune;

// A1 references in any case with dollar marks; nothing else.
TEST(CellAddress, AcceptsA1ReferencesInAnyCaseWithDollarMarksOnly)
{
    const std::pair<const char16_t*, CellAddress> cases[] = {
        {u"C2", {2, 3}},  {u"c2", {2, 3}},     {u"$C$2", {2, 3}},
        {u"C$2", {2, 3}}, {u"aa10", {10, 27}}, {u"XFD1048576", {1048576, 16384}},
    };
    for (const auto& [text, address] : cases) {
        EXPECT_EQ(parseCellAddress(text), address) << QString::fromUtf16(text).toStdString();
    }
    for (const char16_t* text :
         {u"", u"12", u"C", u"C0", u"C-1", u"-C1", u"A1:B2", u"Sheet1!A1", u"XFE1", u"A1048577",
          u"AAAA1", u" C2", u"C2 ", u"$$C2", u"C2$", u"Ｃ２", u"R1C1", u"A01234567"}) {
        EXPECT_FALSE(parseCellAddress(text).has_value()) << QString::fromUtf16(text).toStdString();
    }
}

TEST(CellAddress, FormatsColumnLettersBackAndForth)
{
    const std::pair<quint16, const char*> letters[] = {{1, "A"},    {26, "Z"},    {27, "AA"},
                                                       {702, "ZZ"}, {703, "AAA"}, {16384, "XFD"}};
    for (const auto& [column, text] : letters) {
        EXPECT_EQ(columnLetters(column), QLatin1String(text)) << text;
    }
    for (quint16 column = 1; column <= kMaxColumn; column = column * 3 + 1) {
        const CellAddress address{7, column};
        EXPECT_EQ(parseCellAddress(formatCellAddress(address)), address);
    }
}

#include "workbook/cell_address.h"

#include <gtest/gtest.h>

using namespace tavrune;

TEST(CellAddress, AcceptsA1ReferencesInAnyCaseWithDollarMarks)
{
    EXPECT_EQ(parseCellAddress(u"C2"), (CellAddress{2, 3}));
    EXPECT_EQ(parseCellAddress(u"c2"), (CellAddress{2, 3}));
    EXPECT_EQ(parseCellAddress(u"$C$2"), (CellAddress{2, 3}));
    EXPECT_EQ(parseCellAddress(u"C$2"), (CellAddress{2, 3}));
    EXPECT_EQ(parseCellAddress(u"aa10"), (CellAddress{10, 27}));
    EXPECT_EQ(parseCellAddress(u"XFD1048576"), (CellAddress{1048576, 16384}));
}

TEST(CellAddress, RefusesEverythingElse)
{
    for (const char16_t* text :
         {u"", u"12", u"C", u"C0", u"C-1", u"-C1", u"A1:B2", u"Sheet1!A1", u"XFE1", u"A1048577",
          u"AAAA1", u" C2", u"C2 ", u"$$C2", u"C2$", u"Ｃ２", u"R1C1", u"A01234567"}) {
        EXPECT_FALSE(parseCellAddress(text).has_value()) << QString::fromUtf16(text).toStdString();
    }
}

TEST(CellAddress, FormatsColumnLettersBackAndForth)
{
    EXPECT_EQ(columnLetters(1), QStringLiteral("A"));
    EXPECT_EQ(columnLetters(26), QStringLiteral("Z"));
    EXPECT_EQ(columnLetters(27), QStringLiteral("AA"));
    EXPECT_EQ(columnLetters(702), QStringLiteral("ZZ"));
    EXPECT_EQ(columnLetters(703), QStringLiteral("AAA"));
    EXPECT_EQ(columnLetters(16384), QStringLiteral("XFD"));
    for (quint16 column = 1; column <= kMaxColumn; column = column * 3 + 1) {
        const CellAddress address{7, column};
        EXPECT_EQ(parseCellAddress(formatCellAddress(address)), address);
    }
}

#include "common/error.h"
#include "settings/text_to_number.h"

#include <gtest/gtest.h>

using namespace tavrune;

TEST(TextToNumber, ReadsTheNumberAtTheStart)
{
    EXPECT_EQ(TextToNumber(QStringLiteral("12abc")), 12);
    EXPECT_EQ(TextToNumber(QString()), 0);
    EXPECT_EQ(TextToNumber(QStringLiteral("abc")), 0);
    EXPECT_EQ(TextToNumber(QStringLiteral("1200.6")), 1200.6);
    EXPECT_EQ(TextToNumber(QStringLiteral("-3.5")), -3.5);
    EXPECT_EQ(TextToNumber(QStringLiteral("+7")), 7);
    EXPECT_EQ(TextToNumber(QStringLiteral(".5")), 0.5);
    EXPECT_EQ(TextToNumber(QStringLiteral("5.")), 5);
    EXPECT_EQ(TextToNumber(QStringLiteral("1.2.3")), 1.2);
    EXPECT_EQ(TextToNumber(QStringLiteral("-")), 0);
    EXPECT_EQ(TextToNumber(QStringLiteral("--5")), 0);
    EXPECT_EQ(TextToNumber(QStringLiteral("１２")), 0); // full-width digits are not digits here
}

TEST(TextToNumber, DropsBlanksTabsAndLineFeedsAnywhere)
{
    EXPECT_EQ(TextToNumber(QStringLiteral(" 1 2\t3\n4 ")), 1234);
    EXPECT_EQ(TextToNumber(QStringLiteral("- 5")), -5);
    EXPECT_EQ(TextToNumber(QStringLiteral("1\r2")), 1); // CR is not dropped
}

TEST(TextToNumber, ReadsExponentsWithEOrD)
{
    EXPECT_EQ(TextToNumber(QStringLiteral("1E3")), 1000);
    EXPECT_EQ(TextToNumber(QStringLiteral("2d2")), 200);
    EXPECT_EQ(TextToNumber(QStringLiteral("25E-1x")), 2.5);
    EXPECT_EQ(TextToNumber(QStringLiteral("3E")), 3);
    EXPECT_EQ(TextToNumber(QStringLiteral("3E+")), 3);
    EXPECT_EQ(TextToNumber(QStringLiteral("1e-400")), 0);
    EXPECT_THROW(TextToNumber(QStringLiteral("1e400")), Error);
}

TEST(TextToNumber, ReadsHexadecimalAndOctalPrefixes)
{
    EXPECT_EQ(TextToNumber(QStringLiteral("&H1F")), 31);
    EXPECT_EQ(TextToNumber(QStringLiteral("&hff zz")), 255);
    EXPECT_EQ(TextToNumber(QStringLiteral("&O17")), 15);
    EXPECT_EQ(TextToNumber(QStringLiteral("&o19")), 1);
    EXPECT_EQ(TextToNumber(QStringLiteral("&H")), 0);
    EXPECT_EQ(TextToNumber(QStringLiteral("&X12")), 0);
    EXPECT_EQ(TextToNumber(QStringLiteral("& H 1 0")), 16);
}

TEST(TextToNumber, RoundsHalvesToEven)
{
    const QString what = QStringLiteral("Left");
    EXPECT_EQ(TextToInt32(QStringLiteral("1200.6"), what), 1201);
    EXPECT_EQ(TextToInt32(QStringLiteral("2.5"), what), 2);
    EXPECT_EQ(TextToInt32(QStringLiteral("3.5"), what), 4);
    EXPECT_EQ(TextToInt32(QStringLiteral("-2.5"), what), -2);
    EXPECT_EQ(TextToInt32(QStringLiteral("0.5"), what), 0);
    EXPECT_EQ(TextToInt16(QStringLiteral("12abc"), what), 12);
}

TEST(TextToNumber, RaisesOverflowBeyondTheTargetWidth)
{
    const QString what = QStringLiteral("項目の開始行");
    EXPECT_EQ(TextToInt16(QStringLiteral("32767.4"), what), 32767);
    EXPECT_EQ(TextToInt16(QStringLiteral("-32768"), what), -32768);
    EXPECT_EQ(TextToInt32(QStringLiteral("2147483647"), what), 2147483647);
    try {
        TextToInt16(QStringLiteral("32767.5"), what);
        FAIL() << "no overflow raised";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::Overflow);
        EXPECT_TRUE(error.description().contains(what));
        EXPECT_TRUE(error.description().contains(QStringLiteral("32767.5")));
    }
    EXPECT_THROW(TextToInt32(QStringLiteral("2147483648"), what), Error);
    EXPECT_THROW(TextToInt32(QStringLiteral("&HFFFFFFFF"), what), Error);
}

#include "workbook/number_format.h"
#include "workbook/number_text.h"
#include "workbook/strict_number.h"

#include <gtest/gtest.h>

using namespace tavrune;

TEST(GeneralNumber, FifteenSignificantDigitsWithoutTrailingZeros)
{
    EXPECT_EQ(formatGeneralNumber(10), QStringLiteral("10"));
    EXPECT_EQ(formatGeneralNumber(1.5), QStringLiteral("1.5"));
    EXPECT_EQ(formatGeneralNumber(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(formatGeneralNumber(-2), QStringLiteral("-2"));
    EXPECT_EQ(formatGeneralNumber(0), QStringLiteral("0"));
    EXPECT_EQ(formatGeneralNumber(-0.0), QStringLiteral("0"));
    EXPECT_EQ(formatGeneralNumber(123456789012345), QStringLiteral("123456789012345"));
    EXPECT_EQ(formatGeneralNumber(-999999999999999), QStringLiteral("-999999999999999"));
    EXPECT_EQ(formatGeneralNumber(1000), QStringLiteral("1000"));
    EXPECT_EQ(formatGeneralNumber(1234567.891), QStringLiteral("1234567.891"));
    EXPECT_EQ(formatGeneralNumber(0.0001), QStringLiteral("0.0001"));
    EXPECT_EQ(formatGeneralNumber(-0.000123), QStringLiteral("-0.000123"));
}

TEST(GeneralNumber, ExponentFormBeyondFifteenDigits)
{
    EXPECT_EQ(formatGeneralNumber(1234567890123456), QStringLiteral("1.23456789012346E+15"));
    EXPECT_EQ(formatGeneralNumber(1e15), QStringLiteral("1E+15"));
    EXPECT_EQ(formatGeneralNumber(0.00001), QStringLiteral("1E-05"));
    EXPECT_EQ(formatGeneralNumber(-1.5e-7), QStringLiteral("-1.5E-07"));
    EXPECT_EQ(formatGeneralNumber(1e100), QStringLiteral("1E+100"));
    // Rounding to 15 digits can carry into the next power of ten.
    EXPECT_EQ(formatGeneralNumber(999999999999999.9), QStringLiteral("1E+15"));
}

TEST(CellNumber, DatesAndTimesInTheJapaneseForm)
{
    EXPECT_EQ(formatCellNumber(45296, NumberStyle::Date, false), QStringLiteral("2024/01/05"));
    const double withTime = 45296 + (9 * 3600 + 5 * 60 + 3) / 86400.0;
    EXPECT_EQ(formatCellNumber(withTime, NumberStyle::Date, false),
              QStringLiteral("2024/01/05 9:05:03"));
    EXPECT_EQ(formatCellNumber(0.75, NumberStyle::Time, false), QStringLiteral("18:00:00"));
    EXPECT_EQ(formatCellNumber(withTime, NumberStyle::Time, false), QStringLiteral("9:05:03"));
    EXPECT_EQ(formatCellNumber(0.5, NumberStyle::Date, false), QStringLiteral("12:00:00"));
    // The same day in the 1904 system is 1462 days earlier.
    EXPECT_EQ(formatCellNumber(45296 - 1462, NumberStyle::Date, true),
              QStringLiteral("2024/01/05"));
    EXPECT_EQ(formatCellNumber(0, NumberStyle::Date, true), QStringLiteral("1904/01/01"));
    // The 1900 system's leap-year quirk around serial 60.
    EXPECT_EQ(formatCellNumber(1, NumberStyle::Date, false), QStringLiteral("1900/01/01"));
    EXPECT_EQ(formatCellNumber(59, NumberStyle::Date, false), QStringLiteral("1900/02/28"));
    EXPECT_EQ(formatCellNumber(60, NumberStyle::Date, false), QStringLiteral("1900/02/29"));
    EXPECT_EQ(formatCellNumber(61, NumberStyle::Date, false), QStringLiteral("1900/03/01"));
    // A second short of midnight rounds into the next day.
    EXPECT_EQ(formatCellNumber(45296.9999999, NumberStyle::Date, false),
              QStringLiteral("2024/01/06"));
    // Outside the calendar: the plain number.
    EXPECT_EQ(formatCellNumber(-1, NumberStyle::Date, false), QStringLiteral("-1"));
    EXPECT_EQ(formatCellNumber(3e6, NumberStyle::Date, false), QStringLiteral("3000000"));
    EXPECT_EQ(formatCellNumber(45296, NumberStyle::General, false), QStringLiteral("45296"));
}

TEST(NumberFormat, BuiltinIds)
{
    EXPECT_EQ(classifyBuiltinFormat(0), NumberStyle::General);
    EXPECT_EQ(classifyBuiltinFormat(2), NumberStyle::General);
    EXPECT_EQ(classifyBuiltinFormat(14), NumberStyle::Date);
    EXPECT_EQ(classifyBuiltinFormat(22), NumberStyle::Date);
    EXPECT_EQ(classifyBuiltinFormat(20), NumberStyle::Time);
    EXPECT_EQ(classifyBuiltinFormat(46), NumberStyle::Time);
    EXPECT_EQ(classifyBuiltinFormat(57), NumberStyle::Date);
    EXPECT_EQ(classifyBuiltinFormat(49), NumberStyle::General);
}

TEST(NumberFormat, CustomCodesNotFooledByLiteralsOrColours)
{
    EXPECT_EQ(classifyFormatCode(u"yyyy/mm/dd"), NumberStyle::Date);
    EXPECT_EQ(classifyFormatCode(u"yyyy\"年\"m\"月\"d\"日\""), NumberStyle::Date);
    EXPECT_EQ(classifyFormatCode(u"[$-411]ggge\"年\"m\"月\"d\"日\""), NumberStyle::Date);
    EXPECT_EQ(classifyFormatCode(u"m/d/yy h:mm"), NumberStyle::Date);
    EXPECT_EQ(classifyFormatCode(u"h:mm:ss"), NumberStyle::Time);
    EXPECT_EQ(classifyFormatCode(u"mm:ss"), NumberStyle::Time);
    EXPECT_EQ(classifyFormatCode(u"[h]:mm"), NumberStyle::Time);
    EXPECT_EQ(classifyFormatCode(u"h:mm AM/PM"), NumberStyle::Time);
    EXPECT_EQ(classifyFormatCode(u"mmm"), NumberStyle::Date);
    EXPECT_EQ(classifyFormatCode(u"General"), NumberStyle::General);
    EXPECT_EQ(classifyFormatCode(u"0.00E+00"), NumberStyle::General);
    EXPECT_EQ(classifyFormatCode(u"[Red]#,##0;[Blue]-#,##0"), NumberStyle::General);
    EXPECT_EQ(classifyFormatCode(u"#,##0\"days\""), NumberStyle::General);
    EXPECT_EQ(classifyFormatCode(u"0\\d"), NumberStyle::General);
    EXPECT_EQ(classifyFormatCode(u"\"yyyy\"0"), NumberStyle::General);
    EXPECT_EQ(classifyFormatCode(u"@"), NumberStyle::General);
    EXPECT_EQ(classifyFormatCode(u"0;\"date\" yyyy"), NumberStyle::General);
}

// Indexes and counts in workbook attributes: decimal digits or nothing; a value
// past the bound is refused however many digits it has, never read as 0 or 1.
TEST(StrictNumber, DigitsWithinTheBoundOnly)
{
    const struct
    {
        const char* text;
        quint64 max;
        std::optional<quint64> expected;
    } cases[] = {
        {"0", 10, 0},
        {" +7 ", 10, 7},
        {"0002", 10, 2},
        {"2147483648", quint64(1) << 31, quint64(1) << 31},
        {"2147483649", quint64(1) << 31, std::nullopt},
        {"99999999999999999999", UINT64_MAX, std::nullopt},
        {"18446744073709551615", UINT64_MAX, UINT64_MAX},
        {"", 10, std::nullopt},
        {"+", 10, std::nullopt},
        {"-1", 10, std::nullopt},
        {"x", 10, std::nullopt},
        {"1e3", 10000, std::nullopt},
        {"1 2", 100, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseDecimal(QString::fromLatin1(c.text), c.max), c.expected) << c.text;
    }
}

#include "workbook/number_format.h"
#include "workbook/number_text.h"
#include "workbook/strict_number.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

using namespace tavrune;

// At most fifteen significant digits without trailing zeros; the exponent form
// from 1E+15 up and below 0.0001. Rounding to 15 digits can carry into the next
// power of ten.
TEST(GeneralNumber, FifteenSignificantDigitsThenTheExponentForm)
{
    const std::pair<double, const char*> cases[] = {{10, "10"},
                                                    {0.1 + 0.2, "0.3"},
                                                    {0, "0"},
                                                    {-0.0, "0"},
                                                    {123456789012345, "123456789012345"},
                                                    {-999999999999999, "-999999999999999"},
                                                    {1234567.891, "1234567.891"},
                                                    {0.0001, "0.0001"},
                                                    {-0.000123, "-0.000123"},
                                                    {1234567890123456, "1.23456789012346E+15"},
                                                    {1e15, "1E+15"},
                                                    {0.00001, "1E-05"},
                                                    {-1.5e-7, "-1.5E-07"},
                                                    {1e100, "1E+100"},
                                                    {999999999999999.9, "1E+15"}};
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(formatGeneralNumber(value), QLatin1String(text)) << text;
    }
}

TEST(CellNumber, DatesAndTimesInTheJapaneseForm)
{
    const double withTime = 45296 + (9 * 3600 + 5 * 60 + 3) / 86400.0;
    const std::tuple<double, NumberStyle, bool, const char*> cases[] = {
        {45296, NumberStyle::Date, false, "2024/01/05"},
        {withTime, NumberStyle::Date, false, "2024/01/05 9:05:03"},
        {0.75, NumberStyle::Time, false, "18:00:00"},
        {withTime, NumberStyle::Time, false, "9:05:03"},
        {0.5, NumberStyle::Date, false, "12:00:00"},
        // The same day in the 1904 system is 1462 days earlier.
        {45296 - 1462, NumberStyle::Date, true, "2024/01/05"},
        {0, NumberStyle::Date, true, "1904/01/01"},
        // The 1900 system's leap-year quirk around serial 60.
        {1, NumberStyle::Date, false, "1900/01/01"},
        {59, NumberStyle::Date, false, "1900/02/28"},
        {60, NumberStyle::Date, false, "1900/02/29"},
        {61, NumberStyle::Date, false, "1900/03/01"},
        // A second short of midnight rounds into the next day.
        {45296.9999999, NumberStyle::Date, false, "2024/01/06"},
        // Outside the calendar: the plain number.
        {-1, NumberStyle::Date, false, "-1"},
        {3e6, NumberStyle::Date, false, "3000000"},
        {45296, NumberStyle::General, false, "45296"}};
    for (const auto& [value, style, date1904, text] : cases) {
        EXPECT_EQ(formatCellNumber(value, style, date1904), QLatin1String(text)) << text;
    }
}

TEST(NumberFormat, BuiltinIdsAndCustomCodesNotFooledByLiteralsOrColours)
{
    const std::pair<NumberStyle, std::vector<int>> ids[] = {{NumberStyle::General, {0, 2, 49}},
                                                            {NumberStyle::Date, {14, 22, 57}},
                                                            {NumberStyle::Time, {20, 46}}};
    for (const auto& [style, list] : ids) {
        for (const int id : list) {
            EXPECT_EQ(classifyBuiltinFormat(id), style) << id;
        }
    }
    const std::pair<NumberStyle, std::vector<const char16_t*>> codes[] = {
        {NumberStyle::Date,
         {u"yyyy/mm/dd", u"yyyy\"年\"m\"月\"d\"日\"", u"[$-411]ggge\"年\"m\"月\"d\"日\"",
          u"m/d/yy h:mm", u"mmm", u"yyyy/m/d(aaa)", u"AAAA"}},
        {NumberStyle::Time, {u"h:mm:ss", u"mm:ss", u"[h]:mm", u"h:mm AM/PM"}},
        {NumberStyle::General,
         {u"General", u"0.00E+00", u"[Red]#,##0;[Blue]-#,##0", u"#,##0\"days\"", u"0\\d",
          u"\"yyyy\"0", u"@", u"0;\"date\" yyyy"}}};
    for (const auto& [style, list] : codes) {
        for (const char16_t* code : list) {
            EXPECT_EQ(classifyFormatCode(code), style) << QString::fromUtf16(code).toStdString();
        }
    }
}

// Indexes and counts in workbook attributes: decimal digits or nothing; a value
// past the bound is refused however many digits it has, never read as 0 or 1.
TEST(StrictNumber, DigitsWithinTheBoundOnly)
{
    const std::tuple<const char*, quint64, std::optional<quint64>> cases[] = {
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
        {"1 2", 100, std::nullopt}};
    for (const auto& [text, max, expected] : cases) {
        EXPECT_EQ(parseDecimal(QString::fromLatin1(text), max), expected) << text;
    }
}

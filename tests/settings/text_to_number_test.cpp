#include "common/error.h"
#include "settings/text_to_number.h"

#include <gtest/gtest.h>

using namespace tavrune;

// Blanks, tabs and line feeds are dropped anywhere (CR is not); "&H" and "&O" read
// hexadecimal and octal; an exponent is written with E or D; a text without a number
// at its start, full-width digits included, reads as 0.
TEST(textToNumber, ReadsTheNumberAtTheStart)
{
    const std::pair<const char16_t*, double> cases[] = {
        {u"12abc", 12},         {u"", 0},         {u"abc", 0},       {u"1200.6", 1200.6},
        {u"-3.5", -3.5},        {u"+7", 7},       {u".5", 0.5},      {u"5.", 5},
        {u"1.2.3", 1.2},        {u"-", 0},        {u"--5", 0},       {u"１２", 0},
        {u" 1 2\t3\n4 ", 1234}, {u"- 5", -5},     {u"1\r2", 1},      {u"1E3", 1000},
        {u"2d2", 200},          {u"25E-1x", 2.5}, {u"3E", 3},        {u"3E+", 3},
        {u"1e-400", 0},         {u"&H1F", 31},    {u"&hff zz", 255}, {u"&O17", 15},
        {u"&o19", 1},           {u"&H", 0},       {u"&X12", 0},      {u"& H 1 0", 16}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(textToNumber(QString::fromUtf16(text)), value)
            << QString::fromUtf16(text).toStdString();
    }
    EXPECT_THROW(textToNumber(u"1e400"_qs), Error);
}

TEST(textToNumber, IntegersRoundHalvesToEvenAndOverflowBeyondTheirWidth)
{
    const QString what = u"項目の開始行"_qs;
    const std::pair<const char16_t*, qint32> wide[] = {
        {u"1200.6", 1201}, {u"2.5", 2}, {u"3.5", 4},
        {u"-2.5", -2},     {u"0.5", 0}, {u"2147483647", 2147483647}};
    for (const auto& [text, value] : wide) {
        EXPECT_EQ(textToInt32(QString::fromUtf16(text), what), value);
    }
    EXPECT_EQ(textToInt16(u"12abc"_qs, what), 12);
    EXPECT_EQ(textToInt16(u"32767.4"_qs, what), 32767);
    EXPECT_EQ(textToInt16(u"-32768"_qs, what), -32768);
    try {
        textToInt16(u"32767.5"_qs, what);
        FAIL() << "no overflow raised";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::Overflow);
        EXPECT_TRUE(error.description().contains(what));
        EXPECT_TRUE(error.description().contains(u"32767.5"_qs));
    }
    EXPECT_THROW(textToInt32(u"2147483648"_qs, what), Error);
    EXPECT_THROW(textToInt32(u"&HFFFFFFFF"_qs, what), Error);
}

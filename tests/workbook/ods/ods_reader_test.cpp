#include "support/workbook_test_support.h"
#include "workbook/ods/ods_reader.h"
#include "workbook/reader_checks.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

using namespace tavrune;
using test::sheetNamed;
using test::sheetNames;
using test::texts;

namespace {

QString fixture(const char* name)
{
    return test::fixturePath("ods", name);
}

const WorkbookData& workbook(const char* name)
{
    return test::readOnce(readOdsWorkbook, fixture(name));
}

} // namespace

// Each sheet as "name, last used row, cell count" in the order of the file,
// hidden ones (メモ, Hidden) included. LibreOffice pads each sheet to 1048576 rows
// and 16384 columns with empty repeats; none of them becomes a cell, nor do styled
// but empty rows below the values.
TEST(OdsReader, ListsSheetsInOrderAndOnlyValuesMakeCells)
{
    const std::pair<const char*, QStringList> cases[] = {
        {"table_definitions.ods",
         {u"顧客 10 37"_qs, u"メモ 1 1"_qs, u"受注 9 32"_qs, u"商品 8 28"_qs}},
        {"edge_cases.ods",
         {u"Numbers 9 9"_qs, u"Dates 10 11"_qs, u"Hidden 1 1"_qs, u"Errors 5 5"_qs, u"Texts 7 7"_qs,
          u"Layout 9 18"_qs, u"Empty 1 0"_qs}},
        {"hand_made.ods", {u"P 4 13"_qs, u"Last 1048576 1"_qs}},
        {"parser_edges.ods", {u"A&B <1> 1 5"_qs, u"Long 1 1"_qs, u"Edge 1048576 4"_qs}},
    };
    for (const auto& [file, expected] : cases) {
        EXPECT_EQ(test::sheetOutline(workbook(file)), expected) << file;
    }
}

// Cells as the spreadsheet application shows them, a cell or a range at a time.
TEST(OdsReader, ReadsCellsAsTheyShow)
{
    const std::pair<const char*, std::vector<std::pair<QString, QString>>> cases[] = {
        {"table_definitions.ods",
         {
             {u"顧客!B3:C4"_qs, u"テーブル名|CUSTOMER|テーブルタイトル|顧客マスタ"_qs},
             {u"顧客!A6:I6"_qs, u"No|項目名|データ型|桁数|小数|PK|NOT NULL|初期値|備考"_qs},
             // Two equal neighbours (F7, G7) are written as one repeated cell.
             {u"顧客!A7:I7"_qs, u"1|CUSTOMER_ID|NUMBER|10||○|○||顧客ID"_qs},
             {u"顧客!A10:J10"_qs, u"4|POINT|NUMBER|7|2|||0|保有ポイント|"_qs},
             {u"受注!H9"_qs, u"SYSDATE"_qs},
             {u"メモ!A1"_qs, u"隠しシート"_qs},
             // A line break becomes a second paragraph; spaces and a tab are kept.
             {u"商品!I7:I8"_qs, u"商品コード\n(8桁)|  単価  (税抜)\t円 "_qs},
         }},
        {"edge_cases.ods",
         {
             // In general form: =0.1+0.2 by its cached value, a percentage, a currency.
             {u"Numbers!A1:A9"_qs,
              u"10|1.5|0.3|-2|123456789012345|1.23456789012346E+15|1E-05|0.25|1234.5"_qs},
             {u"Dates!A1:A4"_qs, u"2024/01/05|2024/01/05 9:05:03|2024/01/05 9:05:03|9:05:03"_qs},
             // Before 1900-03-01 the serials count from 1899-12-31; =TIME(9;5;3).
             {u"Dates!A6:A10"_qs, u"1900/01/01|1900/02/28|1900/03/01|True|9:05:03"_qs},
             {u"Dates!B9"_qs, u"False"_qs},
             {u"Hidden!A1"_qs, u"secret"_qs},
             // Error values of formulas are kept as such.
             {u"Errors!A1:A5"_qs, u"[#DIV/0!]|[#N/A]|[Err:502]|[#VALUE!]|7"_qs},
             // Leading and trailing spaces, "a <text:s text:c="2"/>b", paragraphs,
             // spans and links; the annotation left out.
             {u"Texts!A1:A7"_qs,
              u" lead|trail |a   b|first\nsecond\n|spanlink|noted|<&> 日本語"_qs},
             // Header rows, a row group, a nested one, a row repeated three times.
             {u"Layout!A1:C3"_qs, u"H1|H2|H3|g1||g1c||g2|"_qs},
             {u"Layout!A4:D6"_qs, u"rep|||5|rep|||5|rep|||5"_qs},
             // One cell repeated three times after two empty ones.
             {u"Layout!A7:E7"_qs, u"||c|c|c"_qs},
             // Covered cells are empty but take their columns.
             {u"Layout!A8:C9"_qs, u"merged||right|||below"_qs},
         }},
        {"hand_made.ods",
         {
             // A row in a foreign namespace that only looks like a table row is
             // skipped; a text without a value type; a covered cell keeps the value
             // stored in it, as the other formats do.
             {u"P!A1:D1"_qs, u"x  y|plain|hidden|after"_qs},
             {u"P!A2:B2"_qs, u"4|4"_qs},
             {u"P!C3"_qs, QString()},
             {u"P!A4:B4"_qs, u"4|4"_qs},
             {u"P!F4"_qs, u"r\ns\tt"_qs},
             {u"Last!XFD1048576"_qs, u"True"_qs},
         }},
        {"parser_edges.ods",
         {
             // A referenced line feed and tab are kept; a tab as written reads as a space.
             {u"A&B <1>!A1"_qs, u"x&y\nz\t|a b"_qs},
             {u"A&B <1>!B1:C1"_qs, u"1.5|a   b"_qs},
             {u"A&B <1>!D1"_qs, u"aé日😀&"_qs.repeated(1000)},
             {u"A&B <1>!E1"_qs, u"1<2>\n"_qs},
             {u"Long!A1"_qs, u"😀"_qs.repeated(499999) + u"a "_qs},
             {u"Edge!XFC1048575:XFD1048576"_qs, u"7|7|7|7"_qs},
         }},
    };
    for (const auto& [file, cells] : cases) {
        for (const auto& [reference, expected] : cells) {
            EXPECT_EQ(texts(workbook(file), reference), expected)
                << file << " " << reference.toStdString();
        }
    }
}

// The file counts from 1904; its ISO dates and durations still give 1900-system
// serials, dates with a date style and durations with a time style. What the texts
// read above do not show: fractions of a second, and a duration past a day.
TEST(OdsReader, DatesAndDurationsAsSerials)
{
    const WorkbookData& edges = workbook("edge_cases.ods");
    EXPECT_FALSE(edges.date1904());
    EXPECT_FALSE(workbook("table_definitions.ods").date1904());
    const SheetData& dates = sheetNamed(edges, u"Dates"_qs);
    const std::tuple<quint32, NumberStyle, double> cases[] = {
        {3, NumberStyle::Date, 45296 + (9 * 3600 + 5 * 60 + 3.25) / 86400.0},
        {5, NumberStyle::Time, 1.5}}; // PT36H00M00S
    for (const auto& [row, style, number] : cases) {
        const Cell* cell = dates.find({row, 1});
        ASSERT_NE(cell, nullptr) << row;
        EXPECT_EQ(cell->kind, CellKind::Number);
        EXPECT_EQ(cell->style, style);
        EXPECT_DOUBLE_EQ(cell->number, number);
    }
}

// Unreadable files name the file and the reason. Repeats past the bounds are
// refused before any expansion, not after building millions of cells.
TEST(OdsReader, UnreadableFilesNameTheFileAndTheReason)
{
    const std::pair<const char*, std::vector<const char16_t*>> cases[] = {
        {"not_a_zip.ods", {u"zip"}},
        {"no_content.ods", {u"content.xml がありません"}},
        {"dtd.ods", {u"文書型宣言"}},
        {"malformed.ods", {u"XML が不正です"}},
        {"wrong_mimetype.ods", {u"application/vnd.oasis.opendocument.text"}},
        // Found at the end of a part read well ahead of the parser.
        {"wrong_crc.ods", {u"content.xml の CRC が一致しません"}},
        // Bad values name their cell, D3 after repeated rows and cells, and quote the
        // value with its references decoded.
        {"bad_number.ods", {u"シート \"Bad\" の 3 行目 4 列目の数値 \"1&5\" が不正です"}},
        {"bad_date.ods", {u"3 行目 4 列目の日付 \"2024-02-30\" が不正です"}},
        {"bad_boolean.ods", {u"3 行目 4 列目の真偽値 \"yes\" が不正です"}},
        {"bad_space_count.ods", {u"3 行目 4 列目の空白の数 \"-1\" が不正です"}},
        {"bad_repeat.ods", {u"3 行目 4 列目の繰り返し数 \"0\" が不正です"}},
        // One character past the longest text, in pieces or as one space count.
        {"long_text.ods", {u"シート \"Bad\" の 3 行目 4 列目の文字列が上限 1000000 文字を"}},
        {"many_spaces.ods", {u"シート \"Bad\" の 3 行目 4 列目の文字列が上限 1000000 文字を"}},
        {"past_last_column.ods", {u"3 行目 16385 列目に値があり、列の上限 16384 を超えています"}},
        // A value in a row repeated past row 1048576.
        {"huge_row_repeat.ods", {u"\"Big\"", u"1048577"}},
        // Values in 16384 columns of a million rows: more cells than a workbook holds.
        {"huge_cell_repeat.ods", {u"\"Wide\"", u"5000000"}},
    };
    for (const auto& [file, named] : cases) {
        const QString description = test::readErrorOf(readOdsWorkbook, fixture(file));
        for (const char16_t* part : named) {
            EXPECT_TRUE(description.contains(QString::fromUtf16(part)))
                << description.toStdString();
        }
    }
}

TEST(OdsReader, ReadingDownToARowKeepsThoseRowsAndChecksNoFurther)
{
    // Rows repeated across the last row wanted (hand_made.ods) are cut there.
    for (const char* name : {"table_definitions.ods", "edge_cases.ods", "hand_made.ods"}) {
        const WorkbookData top = readOdsWorkbookUpToRow(fixture(name), 3);
        EXPECT_EQ(sheetNames(top), sheetNames(workbook(name))) << name;
        EXPECT_EQ(test::cellDump(top), test::cellDump(workbook(name), 3)) << name;
    }
    // The bad value in row 3 is never read.
    EXPECT_NO_THROW(readOdsWorkbookUpToRow(fixture("bad_number.ods"), 2));
}

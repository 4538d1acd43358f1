#include "common/error.h"
#include "common/thread_budget.h"
#include "support/test_files.h"
#include "support/workbook_test_support.h"
#include "workbook/ods/ods_reader.h"
#include "workbook/workbook_file_reader.h"
#include "workbook/xls/xls_reader.h"
#include "workbook/xlsx/xlsx_package.h"
#include "workbook/xlsx/xlsx_reader.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <tuple>
#include <vector>

// What every reader keeps, one table over the formats and their fixtures
// (tests/data/FOLDER/NAME, each folder with the script that made it): the sheets
// listed, the cells as the spreadsheet application shows them, error values, and
// damage refused naming the file and where it is.

using namespace tavrune;
using test::sheetNamed;
using test::sheetNames;
using test::texts;

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(TAVRUNE_TEST_DATA "/") + QString::fromUtf8(name);
}

// The fixture read by the reader of its format, told by the extension.
WorkbookData readFixture(const QString& path)
{
    if (path.endsWith(u".xls"_qs)) {
        return readXlsWorkbook(path);
    }
    return path.endsWith(u".ods"_qs) ? readOdsWorkbook(path) : readXlsxWorkbook(path);
}

// Read once per test program.
const WorkbookData& workbook(const char* name)
{
    static std::map<QString, WorkbookData> read;
    const QString path = fixture(name);
    auto it = read.find(path);
    if (it == read.end()) {
        it = read.emplace(path, readFixture(path)).first;
    }
    return it->second;
}

// Each cell down to lastRow as "sheet address kind style value", texts from the pool.
QStringList cellDump(const WorkbookData& workbook, quint32 lastRow = kMaxRow)
{
    QStringList cells;
    for (const SheetData& sheet : workbook.sheets()) {
        for (const Cell& cell : sheet.cells()) {
            if (cell.row <= lastRow) {
                const bool text = cell.kind == CellKind::Text || cell.kind == CellKind::Error;
                cells.append(QStringLiteral("%1 %2 %3 %4 %5")
                                 .arg(sheet.name(), formatCellAddress({cell.row, cell.column}))
                                 .arg(static_cast<int>(cell.kind))
                                 .arg(static_cast<int>(cell.style))
                                 .arg(text ? workbook.string(cell.text)
                                           : QString::number(cell.number, 'g', 17)));
            }
        }
    }
    return cells;
}

} // namespace

// Each sheet as "name, last used row, cell count" in the order of the workbook,
// not of sheet ids or part names; hidden ones included, chart, macro and dialog
// sheets left out. Empty repeats and styled but empty cells make no cells.
TEST(ReaderContract, ListsWorksheetsInOrder)
{
    const QStringList loSheets = {u"顧客 10 37"_qs, u"注文 9 33"_qs, u"数式 8 7"_qs,
                                  u"非表示 1 1"_qs, u"数値 7 14"_qs};
    const std::pair<const char*, QStringList> cases[] = {
        {"xlsx/tables_openpyxl.xlsx",
         {u"顧客 10 37"_qs, u"受注 8 25"_qs, u"値 20 17"_qs, u"隠し 1 1"_qs, u"特に隠し 1 1"_qs}},
        // The same package with the <sheet> list reversed.
        {"xlsx/sheet_order.xlsx",
         {u"特に隠し 1 1"_qs, u"隠し 1 1"_qs, u"値 20 17"_qs, u"受注 8 25"_qs, u"顧客 10 37"_qs}},
        {"xlsx/formats_xlsxwriter.xlsx",
         {u"商品 8 27"_qs, u"書式 13 13"_qs, u"非表示 1 1"_qs, u"最後 5 1"_qs}},
        {"xlsx/handmade_cells.xlsx", {u"手作り 8 17"_qs}},
        {"xlsx/handmade_macro.xlsm", {u"手作り 8 17"_qs}},
        {"xls/xlwt_tables.xls",
         {u"顧客 10 37"_qs, u"注文 9 33"_qs, u"非表示 1 1"_qs, u"値 7 22"_qs}},
        {"xls/lo_tables.xls", loSheets + QStringList{u"マクロ扱い 1 1"_qs}},
        {"xls/lo_macro_sheet.xls", loSheets},
        {"xls/lo_dialog_sheet.xls", loSheets},
        {"xls/handmade_edges.xls", {u"境界 13 14"_qs}},
        {"xls/biff5_cp932.xls", {u"顧客 15 40"_qs, u"別シート 1 1"_qs}},
        {"xls/lo_long_strings.xls", {u"長い文字列 42 82"_qs}},
        {"ods/table_definitions.ods",
         {u"顧客 10 37"_qs, u"メモ 1 1"_qs, u"受注 9 32"_qs, u"商品 8 28"_qs}},
        // LibreOffice pads each sheet to 1048576 rows and 16384 columns.
        {"ods/edge_cases.ods",
         {u"Numbers 9 9"_qs, u"Dates 10 11"_qs, u"Hidden 1 1"_qs, u"Errors 5 5"_qs, u"Texts 7 7"_qs,
          u"Layout 9 18"_qs, u"Empty 1 0"_qs}},
        {"ods/hand_made.ods", {u"P 4 13"_qs, u"Last 1048576 1"_qs}},
        {"ods/parser_edges.ods", {u"A&B <1> 1 5"_qs, u"Long 1 1"_qs, u"Edge 1048576 4"_qs}},
        // A value in a row repeated as often as a file may repeat such rows.
        {"hostile/ods_repeated_rows_at_the_limit.ods", {u"T 100007 100003"_qs}},
    };
    for (const auto& [file, expected] : cases) {
        EXPECT_EQ(test::sheetOutline(workbook(file)), expected) << file;
    }
}

// Cells as the application shows them, a cell or a range at a time, the same in
// each file of a row: texts, numbers in general form, dates and times by their
// formats, booleans, error values as "[#N/A]", cached formula results.
TEST(ReaderContract, ReadsCellsAsTheyShow)
{
    using Cells = std::vector<std::pair<QString, QString>>;
    const std::pair<std::vector<const char*>, Cells> cases[] = {
        // The customer table-definition sheet as every writer stores it.
        {{"xlsx/tables_openpyxl.xlsx", "xls/xlwt_tables.xls", "xls/lo_tables.xls",
          "xls/biff5_cp932.xls", "ods/table_definitions.ods"},
         {
             {u"顧客!B3:C4"_qs, u"テーブル名|CUSTOMER|テーブルタイトル|顧客マスタ"_qs},
             {u"顧客!A6:I6"_qs, u"No|項目名|データ型|桁数|小数|PK|NOT NULL|初期値|備考"_qs},
             // Two equal neighbours (F7, G7) are one repeated cell in the .ods.
             {u"顧客!A7:I7"_qs, u"1|CUSTOMER_ID|NUMBER|10||○|○||顧客ID"_qs},
             {u"顧客!I8"_qs, u"氏名"_qs},
             {u"顧客!E10:I10"_qs, u"2|||0|保有ポイント"_qs},
         }},
        {{"xlsx/tables_openpyxl.xlsx"},
         {
             {u"値!A3:A7"_qs, u"0.3|-2|123456789012345|1.23456789012346E+15|1E-05"_qs},
             {u"値!B1:B3"_qs, u"2024/01/31|2024/01/31 12:34:56|6:30:00"_qs},
             {u"値!C1:C2"_qs, u"True|False"_qs},
             {u"値!D1:D2"_qs, u"[#N/A]|[#DIV/0!]"_qs},
             // E1 is a formula stored without a result.
             {u"値!E1:F1"_qs, u"|  前後に空白  "_qs},
         }},
        {{"xlsx/sheet_order.xlsx"}, {{u"受注!B8"_qs, u"ORDERED_AT"_qs}}},
        {{"xlsx/formats_xlsxwriter.xlsx"},
         {
             // yyyy"年"m"月"d"日", 0.0"d", [Red]0.00, h:mm, built-in 14.
             {u"書式!A1:A10"_qs, u"2024/01/31|3.5|1.25|2024/01/31 12:34:56|12:00:00|"
                                 u"2024/01/31|太字と普通|3|abc|True"_qs},
             // The writer stores "_x000D_" unescaped, so it reads as a carriage return.
             {u"書式!A12:A13"_qs, u"ベル\a文字|\r そのまま"_qs},
             {u"非表示!A1"_qs, u"隠れた値"_qs},
             {u"商品!H8"_qs, u"0"_qs},
             {u"最後!B5"_qs, u"end"_qs},
         }},
        {{"xlsx/formulas_libreoffice.xlsx"},
         {
             {u"商品!C3"_qs, u"ITEM"_qs},
             {u"数式!A1:A7"_qs, u"3|[#DIV/0!]|[#N/A]|ab|2024/01/31|  前後に空白  |太字と普通"_qs},
         }},
        {{"xlsx/date1904_openpyxl.xlsx", "xlsx/date1904_libreoffice.xlsx"},
         {{u"日付!A1"_qs, u"2024/01/31"_qs}}},
        // yyyy/m/d(aaa), aaa and aaaa: days of the week are dates too.
        {{"xlsx/weekdays_openpyxl.xlsx"},
         {{u"曜日!A1:A3"_qs, u"2023/06/01|2023/06/01|2023/06/01"_qs}}},
        {{"xlsx/handmade_cells.xlsx", "xlsx/handmade_macro.xlsm"},
         {
             // C1 is skipped by the E1 reference; a phonetic run is left out.
             {u"手作り!A1:F1"_qs, u"共有|  空白付き  |||リッチ テキスト|漢字"_qs},
             {u"手作り!A2:B2"_qs, u"改行\rあり|_x000D_ は文字どおり"_qs},
             // t="d" in C3.
             {u"手作り!A3:D3"_qs, u"インラインA|式\t結果|2024/01/31 12:00:00|1900/01/01"_qs},
             // numFmt 14 redefined as 0.00, an unknown style index in D6.
             {u"手作り!A6:F6"_qs, u"14|2024/01/31|2024/01/31 12:00:00|7|[#DIV/0!]|True"_qs},
         }},
        {{"xls/xlwt_tables.xls"},
         {
             {u"注文!C3"_qs, u"ORDERS"_qs},
             {u"非表示!A1"_qs, u"隠れたシート"_qs},
             {u"値!A1:A7"_qs, u"10|1.5|-2|123456789012345|1.23456789012346E+15|1E-05|0.3"_qs},
             // yyyy"年"m"月"d"日", then a number in the format 0.00.
             {u"値!B1:B5"_qs, u"2024/01/05|18:30:15|2023/12/31|2024/01/05 9:05:03|45296"_qs},
             {u"値!C1:C2"_qs, u"True|False"_qs},
             // Error values by their codes.
             {u"値!D1:D7"_qs, u"[#N/A]|[#DIV/0!]|[#VALUE!]|[#REF!]|[#NAME?]|[#NUM!]|[#NULL!]"_qs},
             {u"値!E1:F1"_qs, u"|  前後に空白  "_qs},
         }},
        {{"xls/xlwt_1904.xls"}, {{u"1904!A1:A2"_qs, u"2024/01/05|10"_qs}}},
        {{"xls/lo_tables.xls"},
         {
             {u"数値!A1:F1"_qs, u"10|1.5|-2|123456789012345|1.23456789012346E+15|1E-05"_qs},
             {u"数値!C2"_qs, u"300"_qs},
             {u"数値!A3:A5"_qs, u"2024/01/05|18:00:00|2023/12/31"_qs},
             {u"数値!A7"_qs, u"45296"_qs},
             // Cached formula results; ="" is an empty text.
             {u"数式!A1:A8"_qs, u"0.3|文字列|True|[#DIV/0!]|[#N/A]||abcdef|False"_qs},
         }},
        {{"xls/lo_long_strings.xls"},
         {
             {u"長い文字列!A1"_qs, u"ascii text number 0001 padding to make it longer"_qs},
             {u"長い文字列!B40"_qs,
              u"日本語の文字列その0040です。境界をまたぐように長くしています"_qs},
             {u"長い文字列!A41:A42"_qs, QString(8300, u'x') + u'|' + QString(4200, u'漢')},
         }},
        {{"xls/handmade_edges.xls"},
         {
             {u"境界!A1:A6"_qs, u"ABCDEFGH|日本語テキスト|Rich|読み方|半角Kana|最後"_qs},
             // Formula results: text after SHRFMLA and over a CONTINUE, boolean, error.
             {u"境界!B1:B3"_qs, u"formel|True|[#N/A]"_qs},
             // MULRK: x100 integer, negative integer, double, integer.
             {u"境界!A11:D11"_qs, u"1.5|-2|0.5|10"_qs},
             // The cell inside the embedded chart is skipped; the one after it is read.
             {u"境界!A12:A13"_qs, u"|42"_qs},
         }},
        {{"xls/biff5_cp932.xls"},
         {
             // A custom 年月日 format, the built-in 14, a formula result.
             {u"顧客!A13:A15"_qs, u"2024/01/05|2024/01/05|計算結果"_qs},
             {u"別シート!A1"_qs, u"半角ｶﾅと全角"_qs},
         }},
        {{"ods/table_definitions.ods"},
         {
             {u"顧客!A10:J10"_qs, u"4|POINT|NUMBER|7|2|||0|保有ポイント|"_qs},
             {u"受注!H9"_qs, u"SYSDATE"_qs},
             {u"メモ!A1"_qs, u"隠しシート"_qs},
             // A line break becomes a second paragraph; spaces and a tab are kept.
             {u"商品!I7:I8"_qs, u"商品コード\n(8桁)|  単価  (税抜)\t円 "_qs},
         }},
        {{"ods/edge_cases.ods"},
         {
             // =0.1+0.2 by its cached value, a percentage, a currency.
             {u"Numbers!A1:A9"_qs,
              u"10|1.5|0.3|-2|123456789012345|1.23456789012346E+15|1E-05|0.25|1234.5"_qs},
             {u"Dates!A1:A4"_qs, u"2024/01/05|2024/01/05 9:05:03|2024/01/05 9:05:03|9:05:03"_qs},
             // Before 1900-03-01 the serials count from 1899-12-31; =TIME(9;5;3).
             {u"Dates!A6:A10"_qs, u"1900/01/01|1900/02/28|1900/03/01|True|9:05:03"_qs},
             {u"Dates!B9"_qs, u"False"_qs},
             {u"Hidden!A1"_qs, u"secret"_qs},
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
        {{"ods/hand_made.ods"},
         {
             // A row in a foreign namespace that only looks like a table row is
             // skipped; a text without a value type.
             {u"P!A1:D1"_qs, u"x  y|plain|hidden|after"_qs},
             {u"P!A2:B2"_qs, u"4|4"_qs},
             {u"P!C3"_qs, QString()},
             {u"P!A4:B4"_qs, u"4|4"_qs},
             {u"P!F4"_qs, u"r\ns\tt"_qs},
             {u"Last!XFD1048576"_qs, u"True"_qs},
         }},
        {{"ods/parser_edges.ods"},
         {
             // A referenced line feed and tab are kept; a tab as written reads as a space.
             {u"A&B <1>!A1"_qs, u"x&y\nz\t|a b"_qs},
             {u"A&B <1>!B1:C1"_qs, u"1.5|a   b"_qs},
             {u"A&B <1>!D1"_qs, u"aé日😀&"_qs.repeated(1000)},
             {u"A&B <1>!E1"_qs, u"1<2>\n"_qs},
             {u"Long!A1"_qs, u"😀"_qs.repeated(499999) + u"a "_qs},
             {u"Edge!XFC1048575:XFD1048576"_qs, u"7|7|7|7"_qs},
         }},
        // LibreOffice keeps a value stored in a cell covered by a merge; each reader
        // returns it, as the application shows it once the merge is undone.
        {{"formats/covered_value.ods", "formats/covered_value.xls", "formats/covered_value.xlsx"},
         {{u"結合!A1:C2"_qs, u"結合元|隠れた値|右|42||下"_qs}}},
        // Elements nested 256 deep, start tags with 128 attributes of which 128
        // declare namespaces, a text of 1,000,000 characters: the bounds sit above
        // what honest workbooks need.
        {{"hostile/xlsx_at_the_limits.xlsx"}, {{u"S!A1"_qs, QString(1'000'000, u'あ')}}},
        // Of two zip entries with one name the first counts.
        {{"hostile/zip_duplicate_names.xlsx"}, {{u"S!A1"_qs, u"first"_qs}}},
    };
    for (const auto& [files, cells] : cases) {
        for (const char* file : files) {
            for (const auto& [reference, expected] : cells) {
                EXPECT_EQ(texts(workbook(file), reference), expected)
                    << file << " " << reference.toStdString();
            }
        }
    }
    // Shared strings spread over thousands of CONTINUE records, empty ones after.
    const WorkbookData& continues = workbook("hostile/xls_empty_continues.xls");
    EXPECT_EQ(continues.stringCount(), 3000);
    EXPECT_EQ(continues.string(2999), u"a"_qs);
}

// Which cells are stored, and the number and style behind a text where the text
// does not show them: fractions of a second, a duration past a day, [h]:mm.
TEST(ReaderContract, StoresValuesWithTheirStyle)
{
    const std::tuple<const char*, QString, CellAddress, bool> stored[] = {
        // A formula without a result is still a cell: an empty text.
        {"xlsx/tables_openpyxl.xlsx", u"値"_qs, {1, 5}, true},
        {"xlsx/handmade_cells.xlsx", u"手作り"_qs, {8, 2}, true},
        // A reference skipped over, a styled but empty cell.
        {"xlsx/handmade_cells.xlsx", u"手作り"_qs, {1, 3}, false},
        {"xlsx/handmade_cells.xlsx", u"手作り"_qs, {8, 3}, false},
        // A formula with an empty result stores no cell.
        {"xls/handmade_edges.xls", u"境界"_qs, {4, 2}, false},
    };
    for (const auto& [file, sheet, address, isStored] : stored) {
        EXPECT_EQ(sheetNamed(workbook(file), sheet).find(address) != nullptr, isStored)
            << file << " " << formatCellAddress(address).toStdString();
    }
    const std::tuple<const char*, QString, CellAddress, NumberStyle, double> numbers[] = {
        {"xls/lo_tables.xls", u"数値"_qs, {6, 1}, NumberStyle::Time, 1.25},
        // The file counts from 1904; its ISO dates and durations still give
        // 1900-system serials.
        {"ods/edge_cases.ods",
         u"Dates"_qs,
         {3, 1},
         NumberStyle::Date,
         45296 + (9 * 3600 + 5 * 60 + 3.25) / 86400.0},
        {"ods/edge_cases.ods", u"Dates"_qs, {5, 1}, NumberStyle::Time, 1.5}, // PT36H00M00S
    };
    for (const auto& [file, sheet, address, style, number] : numbers) {
        const Cell* cell = sheetNamed(workbook(file), sheet).find(address);
        ASSERT_NE(cell, nullptr) << file;
        EXPECT_EQ(cell->kind, CellKind::Number) << file;
        EXPECT_EQ(cell->style, style) << file;
        EXPECT_DOUBLE_EQ(cell->number, number) << file;
    }
}

// One workbook written to each format, and under another format's extension, or
// rewritten with other spellings of the same package: the kind comes from the
// content, and the cells are the same.
TEST(ReaderContract, EveryFormatReadsTheSameWorkbook)
{
    const QStringList expected = cellDump(workbook("formats/tables_libreoffice.xlsx"));
    ASSERT_GT(expected.size(), 100);
    QTemporaryDir dir;
    for (const char* name : {"formats/tables_libreoffice.ods", "formats/tables_libreoffice.xls",
                             "formats/tables_libreoffice.xlsx"}) {
        EXPECT_EQ(cellDump(workbook(name)), expected) << name;
        const QString misnamed = dir.filePath(QString::fromUtf8(name).right(3) + u".other"_qs);
        ASSERT_TRUE(QFile::copy(fixture(name), misnamed));
        EXPECT_EQ(cellDump(readWorkbookFile(misnamed)), expected) << name;
    }
    // Strict namespaces, an element prefix, upper-case backslashed part names,
    // absolute and ".." targets.
    EXPECT_EQ(cellDump(workbook("xlsx/strict_rewritten.xlsx")),
              cellDump(workbook("xlsx/formats_xlsxwriter.xlsx")));
}

// Damaged containers, parts and cells, and files that once hung the readers,
// crashed them or made them take gigabytes, are refused with a message of one line
// naming the file and what is wrong: the part, or the sheet and the cell, or the
// bound, quoting no more than a short start of what the file holds.
TEST(ReaderContract, RefusesDamageNamingWhereItIs)
{
    const std::pair<const char*, std::vector<const char16_t*>> cases[] = {
        {"xlsx/not_zip.xlsx", {u"zip"}},
        {"xlsx/truncated.xlsx", {u"zip"}},
        {"xlsx/missing_package_rels.xlsx", {u"_rels/.rels"}},
        {"xlsx/missing_workbook.xlsx", {u"xl/workbook.xml"}},
        {"xlsx/missing_workbook_rels.xlsx", {u"xl/_rels/workbook.xml.rels"}},
        {"xlsx/missing_sheet.xlsx", {u"xl/worksheets/sheet1.xml", u"壊れ"}},
        {"xlsx/encrypted_entry.xlsx", {u"暗号化"}},
        // bzip2 inflates far past deflate's ratio; workbooks are only ever deflated.
        {"xlsx/ratio_bomb.xlsx", {u"圧縮方式 12"}},
        {"xlsx/dtd.xlsx", {u"文書型宣言"}},
        {"xlsx/malformed.xlsx", {u"XML が不正"}},
        {"xlsx/bad_shared_index.xlsx", {u"壊れ", u"C5"}},
        {"xlsx/row_out_of_range.xlsx", {u"壊れ", u"1048577"}},
        {"xlsx/column_out_of_range.xlsx", {u"壊れ", u"XFE1"}},
        // Sheets are read on several threads, and the seventh sheet's damage is met
        // long before the end of the long third sheet; the third is still the one named.
        {"xlsx/two_damaged_sheets.xlsx", {u"\"S3\"", u"B10001"}},
        // The shared strings are read beside the sheets; their damage still comes
        // before the bad cell of the sheet.
        {"xlsx/shared_strings_damaged_at_end.xlsx", {u"xl/sharedStrings.xml の XML が不正"}},
        {"xls/not_compound.xls", {u"ファイルではありません"}},
        {"xls/truncated_file.xls", {u"途中で切れています"}},
        {"xls/no_workbook_stream.xls", {u"Workbook"}},
        {"xls/root_with_sibling.xls", {u"ルート項目"}},
        {"xls/encrypted_package.xls", {u"暗号化"}},
        {"xls/filepass.xls", {u"暗号化"}},
        {"xls/no_such_file.xls", {u"開けません"}},
        {"xls/truncated_record.xls", {u"0x0203"}},
        {"xls/record_too_long.xls", {u"9000"}},
        {"xls/sst_string_cut.xls", {u"0x00FC"}},
        {"xls/sheet_without_eof.xls", {u"シート \"表\" が EOF"}},
        {"xls/sst_index_out_of_range.xls", {u"シート \"表\" のセル B3"}},
        {"xls/column_out_of_range.xls", {u"20001"}},
        {"xls/sheet_offset_outside.xls", {u"\"表\""}},
        {"xls/sheet_offset_backwards.xls", {u"BOF"}},
        {"ods/not_a_zip.ods", {u"zip"}},
        {"ods/no_content.ods", {u"content.xml がありません"}},
        {"ods/dtd.ods", {u"文書型宣言"}},
        {"ods/malformed.ods", {u"XML が不正です"}},
        {"ods/wrong_mimetype.ods", {u"application/vnd.oasis.opendocument.text"}},
        // Found at the end of a part read well ahead of the parser.
        {"ods/wrong_crc.ods", {u"content.xml の CRC が一致しません"}},
        // Bad values name their cell, D3 after repeated rows and cells, and quote the
        // value with its references decoded.
        {"ods/bad_number.ods", {u"シート \"Bad\" の 3 行目 4 列目の数値 \"1&5\" が不正です"}},
        {"ods/bad_date.ods", {u"3 行目 4 列目の日付 \"2024-02-30\" が不正です"}},
        {"ods/bad_boolean.ods", {u"3 行目 4 列目の真偽値 \"yes\" が不正です"}},
        {"ods/bad_space_count.ods", {u"3 行目 4 列目の空白の数 \"-1\" が不正です"}},
        {"ods/bad_repeat.ods", {u"3 行目 4 列目の繰り返し数 \"0\" が不正です"}},
        // One character past the longest text, in pieces or as one space count.
        {"ods/long_text.ods", {u"シート \"Bad\" の 3 行目 4 列目の文字列が上限 1000000 文字を"}},
        {"ods/many_spaces.ods", {u"シート \"Bad\" の 3 行目 4 列目の文字列が上限 1000000 文字を"}},
        {"ods/past_last_column.ods",
         {u"3 行目 16385 列目に値があり、列の上限 16384 を超えています"}},
        // Repeats past the bounds are refused before any expansion: a value in a row
        // repeated past row 1048576, values in 16384 columns of a million rows.
        {"ods/huge_row_repeat.ods", {u"\"Big\"", u"1048577"}},
        {"ods/huge_cell_repeat.ods", {u"\"Wide\"", u"5000000"}},
        // Made by tests/data/hostile/make_hostile.py.
        {"hostile/xlsx_nested_namespaces.xlsx", {u"名前空間の宣言が上限 128 を"}},
        {"hostile/ods_nested_namespaces.ods", {u"名前空間の宣言が上限 128 を"}},
        {"hostile/xlsx_deep_nesting.xlsx", {u"要素の入れ子が上限 256 を"}},
        {"hostile/xlsx_many_attributes.xlsx", {u"属性の数が上限 128 を"}},
        {"hostile/xlsx_long_comment.xlsx", {u"コメントが上限 8388608 文字"}},
        {"hostile/xlsx_element_flood.xlsx",
         {u"XML 要素の数が、読み取った値に見合う上限 (8000000 個)"}},
        {"hostile/xlsx_many_sheets.xlsx", {u"シートの数が上限 10000 を"}},
        {"hostile/xlsx_shared_sheet_part.xlsx", {u"sheet1.xml が複数の箇所から参照されています"}},
        {"hostile/xlsx_aliased_sheet_part.xlsx", {u"zip のエントリが重なっています"}},
        {"hostile/zip_overlapping_entries.xlsx", {u"zip のエントリが重なっています"}},
        {"hostile/zip_first_entry_overlapping.xlsx", {u"zip のエントリが重なっています"}},
        {"hostile/zip_wrong_crc.xlsx", {u"sheet1.xml の CRC が一致しません"}},
        {"hostile/zip_bzip2_bomb.xlsx", {u"圧縮方式 12 には対応していません"}},
        {"hostile/zip_lying_size.xlsx", {u"zip のエントリが重なっています"}},
        {"hostile/xlsx_huge_value.xlsx", {u"文字列が上限 1000000 文字"}},
        {"hostile/xlsx_huge_sheet_name.xlsx",
         {u"\"nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn…\" が上限 255 文字"}},
        {"hostile/xlsx_empty_shared_strings.xlsx", {u"文字列の数が上限 5000000 を"}},
        {"hostile/xlsx_long_reference.xlsx",
         {u"セル参照 \"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA…\""}},
        {"hostile/xlsx_long_shared_index.xlsx",
         {u"共有文字列番号 \"9999999999999999999999999999999999999999…\""}},
        {"hostile/xlsx_style_not_a_number.xlsx", {u"セル A1 のスタイル番号 \"x\" が不正です"}},
        {"hostile/ods_repeat_20_digits.ods", {u"繰り返し数 \"99999999999999999999\" が不正です"}},
        {"hostile/ods_duration_repeated_unit.ods", {u"時刻 \"PT1H1H1H1H\" が不正です"}},
        {"hostile/ods_repeated_rows.ods",
         {u"シート \"T\" の 7 行目で、値のある行の繰り返しが上限 100000 行を"}},
        {"hostile/ods_repeated_long_text.ods", {u"文字列の合計が上限 50000000 文字を"}},
        {"hostile/xls_nested_bof.xls", {u"EOF レコードの前に次のシートの位置"}},
        {"hostile/xlsx_long_mismatched_tag.xlsx",
         {u"tag mismatch: nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn… line 1 and c)"}},
        {"hostile/ods_not_utf8.ods",
         {u"content.xml の XML が不正です (1 行 381: Input is not proper UTF-8"}},
    };
    for (const auto& [file, named] : cases) {
        const QString path = fixture(file);
        const QString description = test::readErrorOf(readFixture, path);
        for (const char16_t* part : named) {
            EXPECT_TRUE(description.contains(QString::fromUtf16(part)))
                << file << ": " << description.toStdString();
        }
        EXPECT_LT(description.size(), path.size() + 160) << description.toStdString();
        EXPECT_FALSE(description.contains(u'\n')) << description.toStdString();
    }
}

// Reading down to a row keeps the sheets and those rows, cut inside rows repeated
// across it, and reads no further: damage below is never met.
TEST(ReaderContract, ReadingDownToARowKeepsThoseRowsAndReadsNoFurther)
{
    const std::pair<const char*, quint32> tops[] = {{"xlsx/tables_openpyxl.xlsx", 4},
                                                    {"ods/table_definitions.ods", 3},
                                                    {"ods/edge_cases.ods", 3},
                                                    {"ods/hand_made.ods", 3}};
    for (const auto& [name, lastRow] : tops) {
        const WorkbookData top = readWorkbookFileUpToRow(fixture(name), lastRow);
        EXPECT_EQ(sheetNames(top), sheetNames(workbook(name))) << name;
        EXPECT_EQ(cellDump(top), cellDump(workbook(name), lastRow)) << name;
    }
    EXPECT_NO_THROW(readWorkbookFileUpToRow(fixture("xlsx/bad_shared_index.xlsx"), 4));
    EXPECT_NO_THROW(readWorkbookFileUpToRow(fixture("ods/bad_number.ods"), 2));
}

// Neither a workbook nor a file to read at all: the error names the path and why,
// and a pipe or a device, which would block the read or never end, is refused
// before anything is opened.
TEST(ReaderContract, WhatIsNoWorkbookIsRefusedNamingThePath)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(u"notes.xlsx"_qs);
    test::writeBytes(text, "No,Name\n1,CUSTOMER\n");
    const QString empty = dir.filePath(u"empty.xls"_qs);
    test::writeBytes(empty, "");
    const QString pipe = dir.filePath(u"pipe.xlsx"_qs);
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const std::tuple<QString, int, QString> failures[] = {
        {text, ErrorNumber::ApplicationDefined, u"形式"_qs},
        {empty, ErrorNumber::ApplicationDefined, u"空のファイル"_qs},
        {dir.path(), ErrorNumber::PathFileAccess, u"フォルダ"_qs},
        {dir.filePath(u"none.xlsx"_qs), ErrorNumber::FileNotFound, u"見つかりません"_qs},
        {pipe, ErrorNumber::PathFileAccess, u"通常のファイルではありません"_qs},
        {u"/dev/zero"_qs, ErrorNumber::PathFileAccess, u"通常のファイルではありません"_qs}};
    for (const auto& [path, number, reason] : failures) {
        try {
            readWorkbookFile(path);
            ADD_FAILURE() << path.toStdString() << " was read";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), number) << path.toStdString();
            EXPECT_TRUE(error.description().contains(path)) << error.description().toStdString();
            EXPECT_TRUE(error.description().contains(reason)) << error.description().toStdString();
        }
    }
}

// The shared strings are read beside the sheets, and a cell waits for the string
// it refers to. The outcome is still that of reading the strings first: their
// damage stands for a string past it; a list reads the strings only as far as its
// rows need, so damage further on is not met, however the threads ran.
TEST(XlsxReader, SharedStringsReadBesideTheSheetsFailAsIfReadFirst)
{
    const auto listed = [](const char* name) {
        return test::readErrorOf(
            [](const QString& file) { return readXlsxWorkbookUpToRow(file, 4); }, fixture(name));
    };
    // With the thread budget spent they are read first, on the calling thread.
    for (const bool spent : {false, true}) {
        const ThreadBudget::Share held(spent ? ThreadBudget::total() : 0);
        EXPECT_EQ(
            listed("xlsx/shared_string_past_damage.xlsx"),
            test::readErrorOf(readXlsxWorkbook, fixture("xlsx/shared_string_past_damage.xlsx")));
        EXPECT_TRUE(listed("xlsx/shared_string_past_damage.xlsx").contains(u"XML が不正"_qs));
        for (int round = 0; round < 20; ++round) {
            const WorkbookData top =
                readXlsxWorkbookUpToRow(fixture("xlsx/shared_strings_damaged_at_end.xlsx"), 4);
            ASSERT_EQ(texts(top, u"前!A1:B1"_qs), u"s0|s4999"_qs);
        }
    }
}

TEST(XlsxPackage, ResolvesTargetsAgainstTheSourcePartFolder)
{
    const std::tuple<QString, QString, QString> cases[] = {
        {u"xl/workbook.xml"_qs, u"worksheets/sheet1.xml"_qs, u"xl/worksheets/sheet1.xml"_qs},
        {u"xl/workbook.xml"_qs, u"/xl/styles.xml"_qs, u"xl/styles.xml"_qs},
        {u"xl/workbook.xml"_qs, u"../Strings/./Shared.xml"_qs, u"Strings/Shared.xml"_qs},
        {u"xl\\workbook.xml"_qs, u"sub\\..\\sheet.xml"_qs, u"xl/sheet.xml"_qs},
        {QString(), u"xl/workbook.xml"_qs, u"xl/workbook.xml"_qs}};
    for (const auto& [source, target, resolved] : cases) {
        EXPECT_EQ(resolveXlsxTarget(source, target), resolved) << target.toStdString();
    }
    EXPECT_EQ(xlsxRelationshipsPartName(QString()), u"_rels/.rels"_qs);
    EXPECT_EQ(xlsxRelationshipsPartName(u"xl/workbook.xml"_qs), u"xl/_rels/workbook.xml.rels"_qs);
}

TEST(XlsxPackage, DecodesEscapesOnlyWhenComplete)
{
    EXPECT_EQ(decodeXlsxEscapes(u"a_x000D_b"_qs), u"a\rb"_qs);
    EXPECT_EQ(decodeXlsxEscapes(u"_x005F_x000D_"_qs), u"_x000D_"_qs);
    EXPECT_EQ(decodeXlsxEscapes(u"__x00e9__x0041_"_qs), u"_\u00e9A"_qs);
    EXPECT_EQ(decodeXlsxEscapes(u"_x12G4_ _x0041 a_x004"_qs), u"_x12G4_ _x0041 a_x004"_qs);
}

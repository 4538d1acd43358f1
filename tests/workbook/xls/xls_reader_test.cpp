#include "support/workbook_test_support.h"
#include "workbook/reader_checks.h"
#include "workbook/xls/xls_reader.h"

#include <gtest/gtest.h>
#include <vector>

using namespace tavrune;
using test::sheetNamed;
using test::texts;

namespace {

QString fixture(const char* name)
{
    return test::fixturePath("xls", name);
}

const WorkbookData& workbook(const char* name)
{
    return test::readOnce(readXlsWorkbook, fixture(name));
}

} // namespace

// Each sheet as "name, last used row, cell count" in the order of the workbook,
// hidden ones included; chart, macro and dialog sheets are left out.
TEST(XlsReader, ListsWorksheetsInOrder)
{
    const QStringList loSheets = {u"顧客 10 37"_qs, u"注文 9 33"_qs, u"数式 8 7"_qs,
                                  u"非表示 1 1"_qs, u"数値 7 14"_qs};
    const std::pair<const char*, QStringList> cases[] = {
        {"xlwt_tables.xls", {u"顧客 10 37"_qs, u"注文 9 33"_qs, u"非表示 1 1"_qs, u"値 7 22"_qs}},
        {"lo_tables.xls", loSheets + QStringList{u"マクロ扱い 1 1"_qs}},
        {"lo_macro_sheet.xls", loSheets},
        {"lo_dialog_sheet.xls", loSheets},
        {"handmade_edges.xls", {u"境界 13 14"_qs}},
        {"biff5_cp932.xls", {u"顧客 15 40"_qs, u"別シート 1 1"_qs}},
        {"lo_long_strings.xls", {u"長い文字列 42 82"_qs}},
    };
    for (const auto& [file, expected] : cases) {
        EXPECT_EQ(test::sheetOutline(workbook(file)), expected) << file;
    }
}

// The customer table-definition sheet as every writer here stores it: xlwt,
// LibreOffice and a BIFF5 file in the Shift_JIS code page.
TEST(XlsReader, EveryWriterStoresTheCustomerTable)
{
    const std::pair<QString, QString> cells[] = {
        {u"顧客!B3:C4"_qs, u"テーブル名|CUSTOMER|テーブルタイトル|顧客マスタ"_qs},
        {u"顧客!G6:I6"_qs, u"NOT NULL|初期値|備考"_qs},
        {u"顧客!A7:I7"_qs, u"1|CUSTOMER_ID|NUMBER|10||○|○||顧客ID"_qs},
        {u"顧客!I8"_qs, u"氏名"_qs},
        {u"顧客!E10:I10"_qs, u"2|||0|保有ポイント"_qs},
    };
    for (const char* file : {"xlwt_tables.xls", "lo_tables.xls", "biff5_cp932.xls"}) {
        for (const auto& [reference, expected] : cells) {
            EXPECT_EQ(texts(workbook(file), reference), expected)
                << file << " " << reference.toStdString();
        }
    }
}

// Cells as the spreadsheet application shows them: numbers in general form, dates
// and times by their formats, booleans, error values, cached formula results, long
// strings over CONTINUE records, rich text and phonetics.
TEST(XlsReader, ReadsCellsAsTheyShow)
{
    const std::pair<const char*, std::vector<std::pair<QString, QString>>> cases[] = {
        {"xlwt_tables.xls",
         {
             {u"注文!C3"_qs, u"ORDERS"_qs},
             {u"非表示!A1"_qs, u"隠れたシート"_qs},
             {u"値!A1:A7"_qs, u"10|1.5|-2|123456789012345|1.23456789012346E+15|1E-05|0.3"_qs},
             // yyyy"年"m"月"d"日", then a number in the format 0.00.
             {u"値!B1:B5"_qs, u"2024/01/05|18:30:15|2023/12/31|2024/01/05 9:05:03|45296"_qs},
             {u"値!C1:C2"_qs, u"True|False"_qs},
             // Error values by their codes.
             {u"値!D1:D7"_qs, u"[#N/A]|[#DIV/0!]|[#VALUE!]|[#REF!]|[#NAME?]|[#NUM!]|[#NULL!]"_qs},
             // A formula stored without a result reads as an empty cell.
             {u"値!E1:F1"_qs, u"|  前後に空白  "_qs},
         }},
        {"xlwt_1904.xls", {{u"1904!A1:A2"_qs, u"2024/01/05|10"_qs}}},
        {"lo_tables.xls",
         {
             {u"数値!A1:F1"_qs, u"10|1.5|-2|123456789012345|1.23456789012346E+15|1E-05"_qs},
             {u"数値!C2"_qs, u"300"_qs},
             {u"数値!A3:A5"_qs, u"2024/01/05|18:00:00|2023/12/31"_qs},
             {u"数値!A7"_qs, u"45296"_qs},
             // Cached formula results; ="" is an empty text.
             {u"数式!A1:A8"_qs, u"0.3|文字列|True|[#DIV/0!]|[#N/A]||abcdef|False"_qs},
         }},
        {"lo_long_strings.xls",
         {
             {u"長い文字列!A1"_qs, u"ascii text number 0001 padding to make it longer"_qs},
             {u"長い文字列!B40"_qs,
              u"日本語の文字列その0040です。境界をまたぐように長くしています"_qs},
             {u"長い文字列!A41:A42"_qs, QString(8300, u'x') + u'|' + QString(4200, u'漢')},
         }},
        {"handmade_edges.xls",
         {
             {u"境界!A1:A6"_qs, u"ABCDEFGH|日本語テキスト|Rich|読み方|半角Kana|最後"_qs},
             // Formula results: text after SHRFMLA and over a CONTINUE, boolean, error.
             {u"境界!B1:B3"_qs, u"formel|True|[#N/A]"_qs},
             // MULRK: x100 integer, negative integer, double, integer.
             {u"境界!A11:D11"_qs, u"1.5|-2|0.5|10"_qs},
             // The cell inside the embedded chart is skipped; the one after it is read.
             {u"境界!A12:A13"_qs, u"|42"_qs},
         }},
        {"biff5_cp932.xls",
         {
             // A custom 年月日 format, the built-in 14, a formula result.
             {u"顧客!A13:A15"_qs, u"2024/01/05|2024/01/05|計算結果"_qs},
             {u"別シート!A1"_qs, u"半角ｶﾅと全角"_qs},
         }},
    };
    for (const auto& [file, cells] : cases) {
        for (const auto& [reference, expected] : cells) {
            EXPECT_EQ(texts(workbook(file), reference), expected)
                << file << " " << reference.toStdString();
        }
    }
    EXPECT_FALSE(workbook("xlwt_tables.xls").date1904());
    EXPECT_TRUE(workbook("xlwt_1904.xls").date1904());
    // [h]:mm is a time format.
    EXPECT_EQ(sheetNamed(workbook("lo_tables.xls"), u"数値"_qs).find({6, 1})->style,
              NumberStyle::Time);
    // A formula with an empty result stores no cell.
    EXPECT_EQ(sheetNamed(workbook("handmade_edges.xls"), u"境界"_qs).find({4, 2}), nullptr);
}

// Damaged containers and records name the file and what is wrong.
TEST(XlsReader, RefusesDamageNamingWhereItIs)
{
    const std::pair<const char*, const char16_t*> cases[] = {
        {"not_compound.xls", u"ファイルではありません"},
        {"truncated_file.xls", u"途中で切れています"},
        {"no_workbook_stream.xls", u"Workbook"},
        {"root_with_sibling.xls", u"ルート項目"},
        {"encrypted_package.xls", u"暗号化"},
        {"filepass.xls", u"暗号化"},
        {"no_such_file.xls", u"開けません"},
        {"truncated_record.xls", u"0x0203"},
        {"record_too_long.xls", u"9000"},
        {"sst_string_cut.xls", u"0x00FC"},
        {"sheet_without_eof.xls", u"シート \"表\" が EOF"},
        {"sst_index_out_of_range.xls", u"シート \"表\" のセル B3"},
        {"column_out_of_range.xls", u"20001"},
        {"sheet_offset_outside.xls", u"\"表\""},
        {"sheet_offset_backwards.xls", u"BOF"},
    };
    for (const auto& [file, reason] : cases) {
        const QString description = test::readErrorOf(readXlsWorkbook, fixture(file));
        EXPECT_TRUE(description.contains(QString::fromUtf16(reason))) << description.toStdString();
    }
}

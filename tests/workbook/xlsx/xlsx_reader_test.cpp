#include "common/thread_budget.h"
#include "support/workbook_test_support.h"
#include "workbook/reader_checks.h"
#include "workbook/xlsx/xlsx_package.h"
#include "workbook/xlsx/xlsx_reader.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

using namespace tavrune;
using test::sheetNamed;
using test::sheetNames;
using test::text;
using test::texts;

namespace {

QString fixture(const char* name)
{
    return test::fixturePath("xlsx", name);
}

const WorkbookData& workbook(const char* name)
{
    return test::readOnce(readXlsxWorkbook, fixture(name));
}

QString readError(const char* name)
{
    return test::readErrorOf(readXlsxWorkbook, fixture(name));
}

} // namespace

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

TEST(XlsxReader, ListsWorksheetsInWorkbookOrderWithHiddenOnesAndWithoutChartSheets)
{
    const std::pair<const char*, QStringList> cases[] = {
        {"tables_openpyxl.xlsx", {u"顧客"_qs, u"受注"_qs, u"値"_qs, u"隠し"_qs, u"特に隠し"_qs}},
        // The same package with the <sheet> list reversed: order follows the list,
        // not sheet ids or part names.
        {"sheet_order.xlsx", {u"特に隠し"_qs, u"隠し"_qs, u"値"_qs, u"受注"_qs, u"顧客"_qs}},
        {"formats_xlsxwriter.xlsx", {u"商品"_qs, u"書式"_qs, u"非表示"_qs, u"最後"_qs}},
        // Dialog and macro sheets are listed in the workbook part but left out.
        {"handmade_cells.xlsx", {u"手作り"_qs}}};
    for (const auto& [file, names] : cases) {
        EXPECT_EQ(sheetNames(workbook(file)), names) << file;
    }
    EXPECT_EQ(text(workbook("sheet_order.xlsx"), u"受注"_qs, "B8"), u"ORDERED_AT"_qs);
    EXPECT_EQ(text(workbook("formats_xlsxwriter.xlsx"), u"最後"_qs, "B5"), u"end"_qs);
}

TEST(XlsxReader, ReadingDownToARowKeepsThoseRowsAndReadsNoFurther)
{
    const WorkbookData top = readXlsxWorkbookUpToRow(fixture("tables_openpyxl.xlsx"), 4);
    ASSERT_EQ(sheetNames(top), sheetNames(workbook("tables_openpyxl.xlsx")));
    EXPECT_EQ(test::cellDump(top), test::cellDump(workbook("tables_openpyxl.xlsx"), 4));
    EXPECT_EQ(text(top, u"顧客"_qs, "C3"), u"CUSTOMER"_qs);
    // The damaged cell below the rows wanted is never read.
    EXPECT_NE(readError("bad_shared_index.xlsx"), QString());
    EXPECT_NO_THROW(readXlsxWorkbookUpToRow(fixture("bad_shared_index.xlsx"), 4));
}

// The shared strings are read beside the sheets, and a cell waits for the string
// it refers to. The outcome is still that of reading the strings first: their
// damage stands for a string past it; a list reads the strings only as far as its
// rows need, so damage further on is not met, however the threads ran. With the
// thread budget spent they are read first, on the calling thread.
TEST(XlsxReader, SharedStringsReadBesideTheSheetsFailAsIfReadFirst)
{
    const auto listed = [](const char* name) {
        return test::readErrorOf(
            [](const QString& file) { return readXlsxWorkbookUpToRow(file, 4); }, fixture(name));
    };
    for (const bool spent : {false, true}) {
        const ThreadBudget::Share held(spent ? ThreadBudget::total() : 0);
        EXPECT_EQ(listed("shared_string_past_damage.xlsx"),
                  readError("shared_string_past_damage.xlsx"));
        EXPECT_TRUE(listed("shared_string_past_damage.xlsx").contains(u"XML が不正"_qs));
        for (int round = 0; round < 20; ++round) {
            const WorkbookData top =
                readXlsxWorkbookUpToRow(fixture("shared_strings_damaged_at_end.xlsx"), 4);
            ASSERT_EQ(text(top, u"前"_qs, "A1"), u"s0"_qs);
            ASSERT_EQ(text(top, u"前"_qs, "B1"), u"s4999"_qs);
        }
    }
}

// Cells as the spreadsheet application shows them, from workbooks written by each
// kind of program: texts, numbers, dates and times by their formats, booleans,
// rich text, cached formula results, error values and escapes.
TEST(XlsxReader, ReadsCellsAsTextFromEachWriter)
{
    const std::pair<const char*, std::vector<std::pair<QString, QString>>> cases[] = {
        {"tables_openpyxl.xlsx",
         {
             {u"顧客!C3"_qs, u"CUSTOMER"_qs},
             {u"顧客!D7:F7"_qs, u"10||○"_qs},
             {u"値!A3:A7"_qs, u"0.3|-2|123456789012345|1.23456789012346E+15|1E-05"_qs},
             {u"値!B1:B3"_qs, u"2024/01/31|2024/01/31 12:34:56|6:30:00"_qs},
             {u"値!C1:C2"_qs, u"True|False"_qs},
             {u"値!D1:D2"_qs, u"[#N/A]|[#DIV/0!]"_qs},
             // E1 is a formula stored without a result.
             {u"値!E1:F1"_qs, u"|  前後に空白  "_qs},
         }},
        {"formats_xlsxwriter.xlsx",
         {
             // yyyy"年"m"月"d"日", 0.0"d", [Red]0.00, h:mm, built-in 14.
             {u"書式!A1:A10"_qs, u"2024/01/31|3.5|1.25|2024/01/31 12:34:56|12:00:00|"
                                 u"2024/01/31|太字と普通|3|abc|True"_qs},
             // The writer stores "_x000D_" unescaped, so it reads as a carriage return.
             {u"書式!A12:A13"_qs, u"ベル\a文字|\r そのまま"_qs},
             {u"非表示!A1"_qs, u"隠れた値"_qs},
             {u"商品!H8"_qs, u"0"_qs},
         }},
        {"formulas_libreoffice.xlsx",
         {
             {u"商品!C3"_qs, u"ITEM"_qs},
             {u"数式!A1:A7"_qs, u"3|[#DIV/0!]|[#N/A]|ab|2024/01/31|  前後に空白  |太字と普通"_qs},
         }},
    };
    for (const auto& [file, cells] : cases) {
        for (const auto& [reference, expected] : cells) {
            EXPECT_EQ(texts(workbook(file), reference), expected)
                << file << " " << reference.toStdString();
        }
    }
    const WorkbookData& openpyxl = workbook("tables_openpyxl.xlsx");
    EXPECT_FALSE(openpyxl.date1904());
    EXPECT_EQ(sheetNamed(openpyxl, u"顧客"_qs).lastUsedRow(), 10u);
    EXPECT_EQ(sheetNamed(openpyxl, u"値"_qs).lastUsedRow(), 20u);
    // A formula without a result is still a cell: an empty text.
    const Cell* formula = sheetNamed(openpyxl, u"値"_qs).find({1, 5});
    ASSERT_NE(formula, nullptr);
    EXPECT_EQ(formula->kind, CellKind::Text);
}

TEST(XlsxReader, Reads1904DateSystem)
{
    for (const char* name : {"date1904_openpyxl.xlsx", "date1904_libreoffice.xlsx"}) {
        const WorkbookData workbook = readXlsxWorkbook(fixture(name));
        EXPECT_TRUE(workbook.date1904()) << name;
        EXPECT_EQ(text(workbook, u"日付"_qs, "A1"), u"2024/01/31"_qs) << name;
    }
}

TEST(XlsxReader, ReadsHandMadeCellsWithoutReferencesAndSpecialStrings)
{
    for (const char* name : {"handmade_cells.xlsx", "handmade_macro.xlsm"}) {
        SCOPED_TRACE(name);
        const WorkbookData& book = workbook(name);
        // C1 is skipped by the E1 reference; a phonetic run is left out.
        EXPECT_EQ(texts(book, u"手作り!A1:F1"_qs), u"共有|  空白付き  |||リッチ テキスト|漢字"_qs);
        EXPECT_EQ(texts(book, u"手作り!A2:B2"_qs), u"改行\rあり|_x000D_ は文字どおり"_qs);
        // t="d" in C3.
        EXPECT_EQ(texts(book, u"手作り!A3:D3"_qs),
                  u"インラインA|式\t結果|2024/01/31 12:00:00|1900/01/01"_qs);
        // numFmt 14 redefined as 0.00, an unknown style index in D6.
        EXPECT_EQ(texts(book, u"手作り!A6:F6"_qs),
                  u"14|2024/01/31|2024/01/31 12:00:00|7|[#DIV/0!]|True"_qs);
        const SheetData& data = sheetNamed(book, u"手作り"_qs);
        EXPECT_EQ(data.find({1, 3}), nullptr);
        EXPECT_NE(data.find({8, 2}), nullptr); // formula without a result
        EXPECT_EQ(data.find({8, 3}), nullptr); // styled but empty
        EXPECT_EQ(data.lastUsedRow(), 8u);
        EXPECT_EQ(data.cellCount(), 17);
    }
}

TEST(XlsxReader, ReadsStrictNamespacesPrefixesAndOddPartNamesLikeTheOriginal)
{
    // formats_xlsxwriter.xlsx rewritten with strict namespaces, an element prefix,
    // upper-case backslashed part names, absolute and ".." targets.
    const WorkbookData& strict = workbook("strict_rewritten.xlsx");
    EXPECT_EQ(sheetNames(strict), sheetNames(workbook("formats_xlsxwriter.xlsx")));
    EXPECT_EQ(test::cellDump(strict), test::cellDump(workbook("formats_xlsxwriter.xlsx")));
    EXPECT_GT(strict.sheets()[1].cellCount(), 10);
}

// Damaged packages and cells are refused with a message naming the file and what
// is wrong: the part, or the sheet and the cell.
TEST(XlsxReader, RefusesDamageNamingWhereItIs)
{
    const std::pair<const char*, std::vector<const char16_t*>> cases[] = {
        {"not_zip.xlsx", {u"zip"}},
        {"truncated.xlsx", {u"zip"}},
        {"missing_package_rels.xlsx", {u"_rels/.rels"}},
        {"missing_workbook.xlsx", {u"xl/workbook.xml"}},
        {"missing_workbook_rels.xlsx", {u"xl/_rels/workbook.xml.rels"}},
        {"missing_sheet.xlsx", {u"xl/worksheets/sheet1.xml", u"壊れ"}},
        {"encrypted_entry.xlsx", {u"暗号化"}},
        // bzip2 inflates far past deflate's ratio; workbooks are only ever deflated.
        {"ratio_bomb.xlsx", {u"圧縮方式 12"}},
        {"dtd.xlsx", {u"文書型宣言"}},
        {"malformed.xlsx", {u"XML が不正"}},
        {"bad_shared_index.xlsx", {u"壊れ", u"C5"}},
        {"row_out_of_range.xlsx", {u"壊れ", u"1048577"}},
        {"column_out_of_range.xlsx", {u"壊れ", u"XFE1"}},
        // The shared strings are read beside the sheets; their damage still comes
        // before the bad cell of the sheet.
        {"shared_strings_damaged_at_end.xlsx", {u"xl/sharedStrings.xml の XML が不正"}},
    };
    for (const auto& [file, named] : cases) {
        const QString error = readError(file);
        for (const char16_t* part : named) {
            EXPECT_TRUE(error.contains(QString::fromUtf16(part)))
                << file << ": " << error.toStdString();
        }
    }
}

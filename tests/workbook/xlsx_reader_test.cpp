#include "common/error.h"
#include "support/workbook_test_support.h"
#include "workbook/xlsx_package.h"
#include "workbook/xlsx_reader.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

using namespace tavrune;
using test::sheetNamed;
using test::sheetNames;
using test::text;

namespace {

QString fixture(const char* name)
{
    return test::fixturePath("xlsx", name);
}

QString readError(const char* name)
{
    return test::readErrorOf(readXlsxWorkbook, fixture(name));
}

} // namespace

TEST(XlsxPackage, ResolvesTargetsAgainstTheSourcePartFolder)
{
    EXPECT_EQ(resolveXlsxTarget(u"xl/workbook.xml"_qs, u"worksheets/sheet1.xml"_qs),
              u"xl/worksheets/sheet1.xml"_qs);
    EXPECT_EQ(resolveXlsxTarget(u"xl/workbook.xml"_qs, u"/xl/styles.xml"_qs), u"xl/styles.xml"_qs);
    EXPECT_EQ(resolveXlsxTarget(u"xl/workbook.xml"_qs, u"../Strings/./Shared.xml"_qs),
              u"Strings/Shared.xml"_qs);
    EXPECT_EQ(resolveXlsxTarget(u"xl\\workbook.xml"_qs, u"sub\\..\\sheet.xml"_qs),
              u"xl/sheet.xml"_qs);
    EXPECT_EQ(resolveXlsxTarget(QString(), u"xl/workbook.xml"_qs), u"xl/workbook.xml"_qs);
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
    const WorkbookData openpyxl = readXlsxWorkbook(fixture("tables_openpyxl.xlsx"));
    EXPECT_EQ(sheetNames(openpyxl),
              (QStringList{u"顧客"_qs, u"受注"_qs, u"値"_qs, u"隠し"_qs, u"特に隠し"_qs}));
    // The same package with the <sheet> list reversed: order follows the list, not
    // sheet ids or part names.
    const WorkbookData reordered = readXlsxWorkbook(fixture("sheet_order.xlsx"));
    EXPECT_EQ(sheetNames(reordered),
              (QStringList{u"特に隠し"_qs, u"隠し"_qs, u"値"_qs, u"受注"_qs, u"顧客"_qs}));
    EXPECT_EQ(text(reordered, u"受注"_qs, "B8"), u"ORDERED_AT"_qs);

    const WorkbookData xlsxwriter = readXlsxWorkbook(fixture("formats_xlsxwriter.xlsx"));
    EXPECT_EQ(sheetNames(xlsxwriter),
              (QStringList{u"商品"_qs, u"書式"_qs, u"非表示"_qs, u"最後"_qs}));
    EXPECT_EQ(text(xlsxwriter, u"最後"_qs, "B5"), u"end"_qs);

    // Dialog and macro sheets are listed in the workbook part but left out.
    const WorkbookData handmade = readXlsxWorkbook(fixture("handmade_cells.xlsx"));
    EXPECT_EQ(sheetNames(handmade), QStringList{u"手作り"_qs});
}

TEST(XlsxReader, ReadingDownToARowKeepsThoseRowsAndReadsNoFurther)
{
    // Each cell as address, kind and value, texts from the workbook's pool.
    const auto cellsDownTo = [](const WorkbookData& workbook, const SheetData& sheet,
                                quint32 lastRow) {
        QStringList cells;
        for (const Cell& cell : sheet.cells()) {
            if (cell.row <= lastRow) {
                const bool text = cell.kind == CellKind::Text || cell.kind == CellKind::Error;
                cells.append(formatCellAddress({cell.row, cell.column}) + u' ' +
                             QString::number(static_cast<int>(cell.kind)) + u' ' +
                             (text ? workbook.string(cell.text) : QString::number(cell.number)));
            }
        }
        return cells;
    };
    const WorkbookData whole = readXlsxWorkbook(fixture("tables_openpyxl.xlsx"));
    const WorkbookData top = readXlsxWorkbookUpToRow(fixture("tables_openpyxl.xlsx"), 4);
    ASSERT_EQ(sheetNames(top), sheetNames(whole));
    for (size_t i = 0; i < whole.sheets().size(); ++i) {
        EXPECT_EQ(cellsDownTo(top, top.sheets()[i], kMaxRow),
                  cellsDownTo(whole, whole.sheets()[i], 4));
    }
    EXPECT_EQ(text(top, u"顧客"_qs, "C3"), u"CUSTOMER"_qs);
    // The damaged cell below the rows wanted is never read.
    EXPECT_NE(readError("bad_shared_index.xlsx"), QString());
    EXPECT_NO_THROW(readXlsxWorkbookUpToRow(fixture("bad_shared_index.xlsx"), 4));
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

// Cells as the spreadsheet application shows them, from workbooks written by each
// kind of program: texts, numbers, dates and times by their formats, booleans,
// rich text, cached formula results and escapes.
TEST(XlsxReader, ReadsCellsAsTextFromEachWriter)
{
    const struct
    {
        const char* file;
        const char16_t* sheet;
        const char* address;
        const char16_t* expected;
    } cases[] = {
        {"tables_openpyxl.xlsx", u"顧客", "C3", u"CUSTOMER"},
        {"tables_openpyxl.xlsx", u"顧客", "D7", u"10"},
        {"tables_openpyxl.xlsx", u"顧客", "E7", u""},
        {"tables_openpyxl.xlsx", u"顧客", "F7", u"○"},
        {"tables_openpyxl.xlsx", u"値", "A3", u"0.3"},
        {"tables_openpyxl.xlsx", u"値", "A4", u"-2"},
        {"tables_openpyxl.xlsx", u"値", "A5", u"123456789012345"},
        {"tables_openpyxl.xlsx", u"値", "A6", u"1.23456789012346E+15"},
        {"tables_openpyxl.xlsx", u"値", "A7", u"1E-05"},
        {"tables_openpyxl.xlsx", u"値", "B1", u"2024/01/31"},
        {"tables_openpyxl.xlsx", u"値", "B2", u"2024/01/31 12:34:56"},
        {"tables_openpyxl.xlsx", u"値", "B3", u"6:30:00"},
        {"tables_openpyxl.xlsx", u"値", "C1", u"True"},
        {"tables_openpyxl.xlsx", u"値", "C2", u"False"},
        {"tables_openpyxl.xlsx", u"値", "F1", u"  前後に空白  "},
        {"tables_openpyxl.xlsx", u"値", "E1", u""}, // a formula stored without a result
        {"formats_xlsxwriter.xlsx", u"書式", "A1", u"2024/01/31"}, // yyyy"年"m"月"d"日"
        {"formats_xlsxwriter.xlsx", u"書式", "A2", u"3.5"},        // 0.0"d"
        {"formats_xlsxwriter.xlsx", u"書式", "A3", u"1.25"},       // [Red]0.00
        {"formats_xlsxwriter.xlsx", u"書式", "A4", u"2024/01/31 12:34:56"},
        {"formats_xlsxwriter.xlsx", u"書式", "A5", u"12:00:00"},   // h:mm
        {"formats_xlsxwriter.xlsx", u"書式", "A6", u"2024/01/31"}, // built-in 14
        {"formats_xlsxwriter.xlsx", u"書式", "A7", u"太字と普通"},
        {"formats_xlsxwriter.xlsx", u"書式", "A8", u"3"},
        {"formats_xlsxwriter.xlsx", u"書式", "A9", u"abc"},
        {"formats_xlsxwriter.xlsx", u"書式", "A10", u"True"},
        {"formats_xlsxwriter.xlsx", u"書式", "A12", u"ベル\a文字"},
        // The writer stores "_x000D_" unescaped, so it reads as a carriage return.
        {"formats_xlsxwriter.xlsx", u"書式", "A13", u"\r そのまま"},
        {"formats_xlsxwriter.xlsx", u"非表示", "A1", u"隠れた値"},
        {"formats_xlsxwriter.xlsx", u"商品", "H8", u"0"},
        {"formulas_libreoffice.xlsx", u"商品", "C3", u"ITEM"},
        {"formulas_libreoffice.xlsx", u"数式", "A1", u"3"},
        {"formulas_libreoffice.xlsx", u"数式", "A4", u"ab"},
        {"formulas_libreoffice.xlsx", u"数式", "A5", u"2024/01/31"},
        {"formulas_libreoffice.xlsx", u"数式", "A6", u"  前後に空白  "},
        {"formulas_libreoffice.xlsx", u"数式", "A7", u"太字と普通"},
    };
    std::map<std::string, WorkbookData> workbooks;
    for (const auto& c : cases) {
        auto it = workbooks.find(c.file);
        if (it == workbooks.end()) {
            it = workbooks.emplace(c.file, readXlsxWorkbook(fixture(c.file))).first;
        }
        EXPECT_EQ(text(it->second, QString::fromUtf16(c.sheet), c.address),
                  QString::fromUtf16(c.expected))
            << c.file << " " << c.address;
    }
    const WorkbookData& openpyxl = workbooks.at("tables_openpyxl.xlsx");
    EXPECT_FALSE(openpyxl.date1904());
    EXPECT_EQ(sheetNamed(openpyxl, u"顧客"_qs).lastUsedRow(), 10u);
    EXPECT_EQ(sheetNamed(openpyxl, u"値"_qs).lastUsedRow(), 20u);
    // A formula without a result is still a cell: an empty text.
    const Cell* formula = sheetNamed(openpyxl, u"値"_qs).find({1, 5});
    ASSERT_NE(formula, nullptr);
    EXPECT_EQ(formula->kind, CellKind::Text);
}

// Error values are kept as such and refuse to be read as text, naming the value.
TEST(XlsxReader, KeepsErrorValues)
{
    const WorkbookData openpyxl = readXlsxWorkbook(fixture("tables_openpyxl.xlsx"));
    try {
        text(openpyxl, u"値"_qs, "D2");
        ADD_FAILURE() << "an error value read as text";
    } catch (const Error& error) {
        EXPECT_TRUE(error.description().contains(u"#DIV/0!"_qs)) << error.what();
    }
    EXPECT_THROW(text(openpyxl, u"値"_qs, "D1"), Error);
    const WorkbookData libreoffice = readXlsxWorkbook(fixture("formulas_libreoffice.xlsx"));
    const SheetData& sheet = sheetNamed(libreoffice, u"数式"_qs);
    for (const auto& [row, value] : {std::pair{2u, u"#DIV/0!"_qs}, std::pair{3u, u"#N/A"_qs}}) {
        const Cell* cell = sheet.find({row, 1});
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->kind, CellKind::Error);
        EXPECT_EQ(libreoffice.string(cell->text), value);
    }
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
        const WorkbookData workbook = readXlsxWorkbook(fixture(name));
        const QString sheet = u"手作り"_qs;
        EXPECT_EQ(text(workbook, sheet, "A1"), u"共有"_qs);
        EXPECT_EQ(text(workbook, sheet, "B1"), u"  空白付き  "_qs);
        EXPECT_EQ(text(workbook, sheet, "E1"), u"リッチ テキスト"_qs);
        EXPECT_EQ(text(workbook, sheet, "F1"), u"漢字"_qs); // phonetic run left out
        EXPECT_EQ(text(workbook, sheet, "A2"), u"改行\rあり"_qs);
        EXPECT_EQ(text(workbook, sheet, "B2"), u"_x000D_ は文字どおり"_qs);
        EXPECT_EQ(text(workbook, sheet, "A3"), u"インラインA"_qs);
        EXPECT_EQ(text(workbook, sheet, "B3"), u"式\t結果"_qs);
        EXPECT_EQ(text(workbook, sheet, "C3"), u"2024/01/31 12:00:00"_qs); // t="d"
        EXPECT_EQ(text(workbook, sheet, "D3"), u"1900/01/01"_qs);
        EXPECT_EQ(text(workbook, sheet, "A6"), u"14"_qs); // numFmt 14 redefined as 0.00
        EXPECT_EQ(text(workbook, sheet, "B6"), u"2024/01/31"_qs);
        EXPECT_EQ(text(workbook, sheet, "C6"), u"2024/01/31 12:00:00"_qs);
        EXPECT_EQ(text(workbook, sheet, "D6"), u"7"_qs); // unknown style index
        EXPECT_THROW(text(workbook, sheet, "E6"), Error);
        EXPECT_EQ(text(workbook, sheet, "F6"), u"True"_qs);
        const SheetData& data = sheetNamed(workbook, sheet);
        EXPECT_EQ(data.find({1, 3}), nullptr); // C1 skipped by the E1 reference
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
    const WorkbookData original = readXlsxWorkbook(fixture("formats_xlsxwriter.xlsx"));
    const WorkbookData strict = readXlsxWorkbook(fixture("strict_rewritten.xlsx"));
    ASSERT_EQ(sheetNames(strict), sheetNames(original));
    for (size_t i = 0; i < original.sheets().size(); ++i) {
        const SheetData& expected = original.sheets()[i];
        const SheetData& actual = strict.sheets()[i];
        ASSERT_EQ(actual.cellCount(), expected.cellCount()) << expected.name().toStdString();
        for (const Cell& cell : expected.cells()) {
            const Cell* other = actual.find({cell.row, cell.column});
            ASSERT_NE(other, nullptr);
            EXPECT_EQ(other->kind, cell.kind);
            EXPECT_EQ(other->style, cell.style);
            EXPECT_EQ(other->number, cell.number);
            if (cell.kind == CellKind::Text) {
                EXPECT_EQ(strict.string(other->text), original.string(cell.text));
            }
        }
    }
    EXPECT_GT(strict.sheets()[1].cellCount(), 10);
}

// Damaged packages and cells are refused with a message naming the file and what
// is wrong: the part, or the sheet and the cell.
TEST(XlsxReader, RefusesDamageNamingWhereItIs)
{
    const struct
    {
        const char* file;
        std::vector<const char16_t*> named;
    } cases[] = {
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
        // Sheets are read on several threads, and the seventh sheet's damage is met
        // long before the end of the long third sheet; the third is still the one named.
        {"two_damaged_sheets.xlsx", {u"\"S3\"", u"B10001"}},
        // The shared strings are read beside the sheets; their damage still comes
        // before the bad cell of the sheet.
        {"shared_strings_damaged_at_end.xlsx", {u"xl/sharedStrings.xml の XML が不正"}},
    };
    for (const auto& c : cases) {
        const QString error = readError(c.file);
        for (const char16_t* part : c.named) {
            EXPECT_TRUE(error.contains(QString::fromUtf16(part)))
                << c.file << ": " << error.toStdString();
        }
    }
}

#include "common/error.h"
#include "support/workbook_test_support.h"
#include "workbook/xls_reader.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace tavrune;
using test::sheetNamed;
using test::sheetNames;
using test::text;

namespace {

QString fixture(const char* name)
{
    return test::fixturePath("xls", name);
}

QString readError(const char* name)
{
    return test::readErrorOf(readXlsWorkbook, fixture(name));
}

// The customer table-definition sheet as every writer here stores it.
void expectCustomerTable(const WorkbookData& workbook, quint32 lastUsedRow = 10)
{
    const QString sheet = QStringLiteral("顧客");
    EXPECT_EQ(text(workbook, sheet, "B3"), QStringLiteral("テーブル名"));
    EXPECT_EQ(text(workbook, sheet, "C3"), QStringLiteral("CUSTOMER"));
    EXPECT_EQ(text(workbook, sheet, "C4"), QStringLiteral("顧客マスタ"));
    EXPECT_EQ(text(workbook, sheet, "G6"), QStringLiteral("NOT NULL"));
    EXPECT_EQ(text(workbook, sheet, "I6"), QStringLiteral("備考"));
    EXPECT_EQ(text(workbook, sheet, "A7"), QStringLiteral("1"));
    EXPECT_EQ(text(workbook, sheet, "B7"), QStringLiteral("CUSTOMER_ID"));
    EXPECT_EQ(text(workbook, sheet, "D7"), QStringLiteral("10"));
    EXPECT_EQ(text(workbook, sheet, "E7"), QString());
    EXPECT_EQ(text(workbook, sheet, "F7"), QStringLiteral("○"));
    EXPECT_EQ(text(workbook, sheet, "I8"), QStringLiteral("氏名"));
    EXPECT_EQ(text(workbook, sheet, "E10"), QStringLiteral("2"));
    EXPECT_EQ(text(workbook, sheet, "H10"), QStringLiteral("0"));
    EXPECT_EQ(text(workbook, sheet, "I10"), QStringLiteral("保有ポイント"));
    EXPECT_EQ(sheetNamed(workbook, sheet).lastUsedRow(), lastUsedRow);
}

} // namespace

TEST(XlsReader, XlwtWorkbookSheetsInOrderWithHiddenOne)
{
    const WorkbookData workbook = readXlsWorkbook(fixture("xlwt_tables.xls"));
    EXPECT_EQ(sheetNames(workbook), (QStringList{QStringLiteral("顧客"), QStringLiteral("注文"),
                                                 QStringLiteral("非表示"), QStringLiteral("値")}));
    expectCustomerTable(workbook);
    EXPECT_EQ(text(workbook, QStringLiteral("注文"), "C3"), QStringLiteral("ORDERS"));
    EXPECT_EQ(sheetNamed(workbook, QStringLiteral("注文")).lastUsedRow(), 9u);
    EXPECT_EQ(text(workbook, QStringLiteral("非表示"), "A1"), QStringLiteral("隠れたシート"));
    EXPECT_FALSE(workbook.date1904());
}

TEST(XlsReader, XlwtNumbersDatesBooleansAndTexts)
{
    const WorkbookData workbook = readXlsWorkbook(fixture("xlwt_tables.xls"));
    const QString sheet = QStringLiteral("値");
    EXPECT_EQ(text(workbook, sheet, "A1"), QStringLiteral("10"));
    EXPECT_EQ(text(workbook, sheet, "A2"), QStringLiteral("1.5"));
    EXPECT_EQ(text(workbook, sheet, "A3"), QStringLiteral("-2"));
    EXPECT_EQ(text(workbook, sheet, "A4"), QStringLiteral("123456789012345"));
    EXPECT_EQ(text(workbook, sheet, "A5"), QStringLiteral("1.23456789012346E+15"));
    EXPECT_EQ(text(workbook, sheet, "A6"), QStringLiteral("1E-05"));
    EXPECT_EQ(text(workbook, sheet, "A7"), QStringLiteral("0.3"));
    EXPECT_EQ(text(workbook, sheet, "B1"), QStringLiteral("2024/01/05"));
    EXPECT_EQ(text(workbook, sheet, "B2"), QStringLiteral("18:30:15"));
    EXPECT_EQ(text(workbook, sheet, "B3"), QStringLiteral("2023/12/31")); // yyyy"年"m"月"d"日"
    EXPECT_EQ(text(workbook, sheet, "B4"), QStringLiteral("2024/01/05 9:05:03"));
    EXPECT_EQ(text(workbook, sheet, "B5"), QStringLiteral("45296")); // format 0.00
    EXPECT_EQ(text(workbook, sheet, "C1"), QStringLiteral("True"));
    EXPECT_EQ(text(workbook, sheet, "C2"), QStringLiteral("False"));
    // A formula stored without a result reads as an empty cell.
    EXPECT_EQ(text(workbook, sheet, "E1"), QString());
    EXPECT_EQ(text(workbook, sheet, "F1"), QStringLiteral("  前後に空白  "));
}

TEST(XlsReader, ErrorValuesByCode)
{
    const WorkbookData workbook = readXlsWorkbook(fixture("xlwt_tables.xls"));
    const SheetData& sheet = sheetNamed(workbook, QStringLiteral("値"));
    const char* expected[] = {"#N/A", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#NULL!"};
    for (quint32 row = 1; row <= 7; ++row) {
        const Cell* cell = sheet.find({row, 4});
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->kind, CellKind::Error);
        EXPECT_EQ(workbook.string(cell->text), QLatin1String(expected[row - 1]));
    }
    EXPECT_THROW(text(workbook, QStringLiteral("値"), "D1"), Error);
}

TEST(XlsReader, Dates1904)
{
    const WorkbookData workbook = readXlsWorkbook(fixture("xlwt_1904.xls"));
    EXPECT_TRUE(workbook.date1904());
    EXPECT_EQ(text(workbook, QStringLiteral("1904"), "A1"), QStringLiteral("2024/01/05"));
    EXPECT_EQ(text(workbook, QStringLiteral("1904"), "A2"), QStringLiteral("10"));
}

TEST(XlsReader, LibreOfficeWorkbook)
{
    const WorkbookData workbook = readXlsWorkbook(fixture("lo_tables.xls"));
    EXPECT_EQ(sheetNames(workbook),
              (QStringList{QStringLiteral("顧客"), QStringLiteral("注文"), QStringLiteral("数式"),
                           QStringLiteral("非表示"), QStringLiteral("数値"),
                           QStringLiteral("マクロ扱い")}));
    expectCustomerTable(workbook);

    const QString numbers = QStringLiteral("数値");
    const char* row1[] = {"10", "1.5", "-2", "123456789012345", "1.23456789012346E+15", "1E-05"};
    for (int column = 0; column < 6; ++column) {
        const QString address = QChar(u'A' + column) + QStringLiteral("1");
        EXPECT_EQ(workbook.cellText(sheetNamed(workbook, numbers), *parseCellAddress(address)),
                  QLatin1String(row1[column]));
    }
    EXPECT_EQ(text(workbook, numbers, "C2"), QStringLiteral("300"));
    EXPECT_EQ(text(workbook, numbers, "A3"), QStringLiteral("2024/01/05"));
    EXPECT_EQ(text(workbook, numbers, "A4"), QStringLiteral("18:00:00"));
    EXPECT_EQ(text(workbook, numbers, "A5"), QStringLiteral("2023/12/31"));
    EXPECT_EQ(sheetNamed(workbook, numbers).find({6, 1})->style, NumberStyle::Time); // [h]:mm
    EXPECT_EQ(text(workbook, numbers, "A7"), QStringLiteral("45296"));
}

TEST(XlsReader, FormulaResultsCachedByLibreOffice)
{
    const WorkbookData workbook = readXlsWorkbook(fixture("lo_tables.xls"));
    const QString sheet = QStringLiteral("数式");
    EXPECT_EQ(text(workbook, sheet, "A1"), QStringLiteral("0.3"));
    EXPECT_EQ(text(workbook, sheet, "A2"), QStringLiteral("文字列"));
    EXPECT_EQ(text(workbook, sheet, "A3"), QStringLiteral("True"));
    EXPECT_EQ(text(workbook, sheet, "A6"), QString()); // =""
    EXPECT_EQ(text(workbook, sheet, "A7"), QStringLiteral("abcdef"));
    EXPECT_EQ(text(workbook, sheet, "A8"), QStringLiteral("False"));
    const SheetData& data = sheetNamed(workbook, sheet);
    EXPECT_EQ(workbook.string(data.find({4, 1})->text), QStringLiteral("#DIV/0!"));
    EXPECT_EQ(workbook.string(data.find({5, 1})->text), QStringLiteral("#N/A"));
}

TEST(XlsReader, SharedStringsOverContinueRecords)
{
    const WorkbookData workbook = readXlsWorkbook(fixture("lo_long_strings.xls"));
    const QString sheet = QStringLiteral("長い文字列");
    EXPECT_EQ(text(workbook, sheet, "A1"),
              QStringLiteral("ascii text number 0001 padding to make it longer"));
    EXPECT_EQ(text(workbook, sheet, "B40"),
              QStringLiteral("日本語の文字列その0040です。境界をまたぐように長くしています"));
    EXPECT_EQ(text(workbook, sheet, "A41"), QString(8300, u'x'));
    EXPECT_EQ(text(workbook, sheet, "A42"), QString(4200, QChar(u'漢')));
    EXPECT_EQ(sheetNamed(workbook, sheet).lastUsedRow(), 42u);
}

TEST(XlsReader, HandMadeStringsRunsAndPhoneticsAcrossBoundaries)
{
    const WorkbookData workbook = readXlsWorkbook(fixture("handmade_edges.xls"));
    // The chart sheet is left out.
    EXPECT_EQ(sheetNames(workbook), QStringList{QStringLiteral("境界")});
    const QString sheet = QStringLiteral("境界");
    EXPECT_EQ(text(workbook, sheet, "A1"), QStringLiteral("ABCDEFGH"));
    EXPECT_EQ(text(workbook, sheet, "A2"), QStringLiteral("日本語テキスト"));
    EXPECT_EQ(text(workbook, sheet, "A3"), QStringLiteral("Rich"));
    EXPECT_EQ(text(workbook, sheet, "A4"), QStringLiteral("読み方"));
    EXPECT_EQ(text(workbook, sheet, "A5"), QStringLiteral("半角Kana"));
    EXPECT_EQ(text(workbook, sheet, "A6"), QStringLiteral("最後"));
    // Formula results: text after SHRFMLA and over a CONTINUE, boolean, error, empty.
    EXPECT_EQ(text(workbook, sheet, "B1"), QStringLiteral("formel"));
    EXPECT_EQ(text(workbook, sheet, "B2"), QStringLiteral("True"));
    EXPECT_EQ(workbook.string(sheetNamed(workbook, sheet).find({3, 2})->text),
              QStringLiteral("#N/A"));
    EXPECT_EQ(sheetNamed(workbook, sheet).find({4, 2}), nullptr);
    // MULRK: x100 integer, negative integer, double, integer.
    EXPECT_EQ(text(workbook, sheet, "A11"), QStringLiteral("1.5"));
    EXPECT_EQ(text(workbook, sheet, "B11"), QStringLiteral("-2"));
    EXPECT_EQ(text(workbook, sheet, "C11"), QStringLiteral("0.5"));
    EXPECT_EQ(text(workbook, sheet, "D11"), QStringLiteral("10"));
    // The cell inside the embedded chart is skipped; the one after it is read.
    EXPECT_EQ(text(workbook, sheet, "A12"), QString());
    EXPECT_EQ(text(workbook, sheet, "A13"), QStringLiteral("42"));
}

TEST(XlsReader, MacroAndDialogSheetsLeftOut)
{
    const QStringList worksheets{QStringLiteral("顧客"), QStringLiteral("注文"),
                                 QStringLiteral("数式"), QStringLiteral("非表示"),
                                 QStringLiteral("数値")};
    EXPECT_EQ(sheetNames(readXlsWorkbook(fixture("lo_macro_sheet.xls"))), worksheets);
    EXPECT_EQ(sheetNames(readXlsWorkbook(fixture("lo_dialog_sheet.xls"))), worksheets);
}

TEST(XlsReader, Biff5WithShiftJisCodePage)
{
    const WorkbookData workbook = readXlsWorkbook(fixture("biff5_cp932.xls"));
    EXPECT_EQ(sheetNames(workbook),
              (QStringList{QStringLiteral("顧客"), QStringLiteral("別シート")}));
    expectCustomerTable(workbook, 15);
    const QString sheet = QStringLiteral("顧客");
    EXPECT_EQ(text(workbook, sheet, "A13"), QStringLiteral("2024/01/05")); // custom 年月日 format
    EXPECT_EQ(text(workbook, sheet, "A14"), QStringLiteral("2024/01/05")); // built-in 14
    EXPECT_EQ(text(workbook, sheet, "A15"), QStringLiteral("計算結果"));
    EXPECT_EQ(text(workbook, QStringLiteral("別シート"), "A1"), QStringLiteral("半角ｶﾅと全角"));
}

TEST(XlsReader, ContainerErrors)
{
    EXPECT_TRUE(readError("not_compound.xls").contains(QStringLiteral("ファイルではありません")));
    EXPECT_TRUE(readError("truncated_file.xls").contains(QStringLiteral("途中で切れています")));
    EXPECT_TRUE(readError("no_workbook_stream.xls").contains(QStringLiteral("Workbook")));
    EXPECT_TRUE(readError("root_with_sibling.xls").contains(QStringLiteral("ルート項目")));
    EXPECT_TRUE(readError("encrypted_package.xls").contains(QStringLiteral("暗号化")));
    EXPECT_TRUE(readError("filepass.xls").contains(QStringLiteral("暗号化")));
    const QString missing = readError("no_such_file.xls");
    EXPECT_TRUE(missing.contains(QStringLiteral("開けません"))) << missing.toStdString();
}

TEST(XlsReader, RecordErrors)
{
    EXPECT_TRUE(readError("truncated_record.xls").contains(QStringLiteral("0x0203")));
    EXPECT_TRUE(readError("record_too_long.xls").contains(QStringLiteral("9000")));
    EXPECT_TRUE(readError("sst_string_cut.xls").contains(QStringLiteral("0x00FC")));
    const QString noEof = readError("sheet_without_eof.xls");
    EXPECT_TRUE(noEof.contains(QStringLiteral("シート \"表\" が EOF"))) << noEof.toStdString();
    const QString sst = readError("sst_index_out_of_range.xls");
    EXPECT_TRUE(sst.contains(QStringLiteral("シート \"表\" のセル B3"))) << sst.toStdString();
    const QString column = readError("column_out_of_range.xls");
    EXPECT_TRUE(column.contains(QStringLiteral("20001"))) << column.toStdString();
    const QString outside = readError("sheet_offset_outside.xls");
    EXPECT_TRUE(outside.contains(QStringLiteral("\"表\""))) << outside.toStdString();
    const QString backwards = readError("sheet_offset_backwards.xls");
    EXPECT_TRUE(backwards.contains(QStringLiteral("BOF"))) << backwards.toStdString();
}

#include "common/error.h"
#include "support/workbook_test_support.h"
#include "workbook/ods_reader.h"

#include <QElapsedTimer>
#include <QStringList>
#include <gtest/gtest.h>

using namespace tavrune;
using test::sheetNamed;
using test::sheetNames;
using test::text;

namespace {

QString fixture(const char* name)
{
    return test::fixturePath("ods", name);
}

QString readError(const char* name)
{
    return test::readErrorOf(readOdsWorkbook, fixture(name));
}

const Cell* cellAt(const WorkbookData& workbook, const QString& sheetName, const char* address)
{
    return sheetNamed(workbook, sheetName)
        .find(parseCellAddress(QString::fromUtf8(address)).value());
}

} // namespace

TEST(OdsReader, TableDefinitionSheetsInOrderWithTheHiddenOne)
{
    const WorkbookData workbook = readOdsWorkbook(fixture("table_definitions.ods"));
    EXPECT_EQ(sheetNames(workbook), QStringList({u"顧客"_qs, u"メモ"_qs, u"受注"_qs, u"商品"_qs}));
    EXPECT_FALSE(workbook.date1904());

    const QString customer = u"顧客"_qs;
    EXPECT_EQ(text(workbook, customer, "B3"), u"テーブル名"_qs);
    EXPECT_EQ(text(workbook, customer, "C3"), u"CUSTOMER"_qs);
    EXPECT_EQ(text(workbook, customer, "C4"), u"顧客マスタ"_qs);
    const QStringList headers = {u"No"_qs, u"項目名"_qs,   u"データ型"_qs, u"桁数"_qs, u"小数"_qs,
                                 u"PK"_qs, u"NOT NULL"_qs, u"初期値"_qs,   u"備考"_qs};
    const char* headerCells[] = {"A6", "B6", "C6", "D6", "E6", "F6", "G6", "H6", "I6"};
    for (int i = 0; i < headers.size(); ++i) {
        EXPECT_EQ(text(workbook, customer, headerCells[i]), headers[i]) << headerCells[i];
    }
    // Two equal neighbours are written as one repeated cell.
    const QStringList firstColumn = {u"1"_qs, u"CUSTOMER_ID"_qs, u"NUMBER"_qs, u"10"_qs,    u""_qs,
                                     u"○"_qs, u"○"_qs,           u""_qs,       u"顧客ID"_qs};
    const char* rowCells[] = {"A7", "B7", "C7", "D7", "E7", "F7", "G7", "H7", "I7"};
    for (int i = 0; i < firstColumn.size(); ++i) {
        EXPECT_EQ(text(workbook, customer, rowCells[i]), firstColumn[i]) << rowCells[i];
    }
    EXPECT_EQ(text(workbook, customer, "B10"), u"POINT"_qs);
    EXPECT_EQ(text(workbook, customer, "E10"), u"2"_qs);
    EXPECT_EQ(text(workbook, customer, "H10"), u"0"_qs);
    EXPECT_EQ(text(workbook, customer, "J10"), QString());

    // LibreOffice pads each sheet to 1048576 rows and 16384 columns with empty
    // repeats; none of them becomes a cell.
    EXPECT_EQ(sheetNamed(workbook, customer).lastUsedRow(), 10u);
    EXPECT_EQ(sheetNamed(workbook, customer).cellCount(), 2 + 2 + 9 + 7 + 6 + 4 + 7);
    EXPECT_EQ(sheetNamed(workbook, u"受注"_qs).lastUsedRow(), 9u);
    EXPECT_EQ(text(workbook, u"受注"_qs, "H9"), u"SYSDATE"_qs);
    EXPECT_EQ(text(workbook, u"メモ"_qs, "A1"), u"隠しシート"_qs);
    EXPECT_EQ(sheetNamed(workbook, u"メモ"_qs).lastUsedRow(), 1u);

    // A line break becomes a second paragraph; spaces and a tab are kept as written.
    EXPECT_EQ(text(workbook, u"商品"_qs, "I7"), u"商品コード\n(8桁)"_qs);
    EXPECT_EQ(text(workbook, u"商品"_qs, "I8"), u"  単価  (税抜)\t円 "_qs);
}

TEST(OdsReader, NumbersInGeneralForm)
{
    const WorkbookData workbook = readOdsWorkbook(fixture("edge_cases.ods"));
    const QString numbers = u"Numbers"_qs;
    EXPECT_EQ(text(workbook, numbers, "A1"), u"10"_qs);
    EXPECT_EQ(text(workbook, numbers, "A2"), u"1.5"_qs);
    EXPECT_EQ(text(workbook, numbers, "A3"), u"0.3"_qs); // =0.1+0.2, by its cached value
    EXPECT_EQ(text(workbook, numbers, "A4"), u"-2"_qs);
    EXPECT_EQ(text(workbook, numbers, "A5"), u"123456789012345"_qs);
    EXPECT_EQ(text(workbook, numbers, "A6"), u"1.23456789012346E+15"_qs);
    EXPECT_EQ(text(workbook, numbers, "A7"), u"1E-05"_qs);
    EXPECT_EQ(text(workbook, numbers, "A8"), u"0.25"_qs);   // percentage
    EXPECT_EQ(text(workbook, numbers, "A9"), u"1234.5"_qs); // currency
    EXPECT_EQ(sheetNamed(workbook, numbers).lastUsedRow(), 9u);
}

TEST(OdsReader, DatesTimesAndBooleans)
{
    const WorkbookData workbook = readOdsWorkbook(fixture("edge_cases.ods"));
    // The file counts from 1904; its ISO dates still give 1900-system serials.
    EXPECT_FALSE(workbook.date1904());
    const QString dates = u"Dates"_qs;
    EXPECT_EQ(text(workbook, dates, "A1"), u"2024/01/05"_qs);
    EXPECT_EQ(cellAt(workbook, dates, "A1")->number, 45296);
    EXPECT_EQ(text(workbook, dates, "A2"), u"2024/01/05 9:05:03"_qs);
    EXPECT_DOUBLE_EQ(cellAt(workbook, dates, "A3")->number,
                     45296 + (9 * 3600 + 5 * 60 + 3.25) / 86400.0);
    EXPECT_EQ(text(workbook, dates, "A4"), u"9:05:03"_qs);
    EXPECT_EQ(cellAt(workbook, dates, "A4")->style, NumberStyle::Time);
    EXPECT_DOUBLE_EQ(cellAt(workbook, dates, "A5")->number, 1.5); // PT36H00M00S
    EXPECT_EQ(cellAt(workbook, dates, "A5")->style, NumberStyle::Time);
    // Before 1900-03-01 the serials count from 1899-12-31.
    EXPECT_EQ(text(workbook, dates, "A6"), u"1900/01/01"_qs);
    EXPECT_EQ(cellAt(workbook, dates, "A6")->number, 1);
    EXPECT_EQ(text(workbook, dates, "A7"), u"1900/02/28"_qs);
    EXPECT_EQ(text(workbook, dates, "A8"), u"1900/03/01"_qs);
    EXPECT_EQ(cellAt(workbook, dates, "A8")->number, 61);
    EXPECT_EQ(text(workbook, dates, "A9"), u"True"_qs);
    EXPECT_EQ(text(workbook, dates, "B9"), u"False"_qs);
    EXPECT_EQ(cellAt(workbook, dates, "B9")->kind, CellKind::Boolean);
    EXPECT_EQ(text(workbook, dates, "A10"), u"9:05:03"_qs); // =TIME(9;5;3)
}

TEST(OdsReader, ErrorValuesOfFormulas)
{
    const WorkbookData workbook = readOdsWorkbook(fixture("edge_cases.ods"));
    const QString errors = u"Errors"_qs;
    const char* cells[] = {"A1", "A2", "A3", "A4"};
    const QStringList values = {u"#DIV/0!"_qs, u"#N/A"_qs, u"Err:502"_qs, u"#VALUE!"_qs};
    for (int i = 0; i < values.size(); ++i) {
        const Cell* cell = cellAt(workbook, errors, cells[i]);
        ASSERT_NE(cell, nullptr) << cells[i];
        EXPECT_EQ(cell->kind, CellKind::Error) << cells[i];
        EXPECT_EQ(workbook.string(cell->text), values[i]);
    }
    try {
        text(workbook, errors, "A1");
        ADD_FAILURE() << "an error value gave a text";
    } catch (const Error& error) {
        EXPECT_TRUE(error.description().contains(u"Errors"_qs));
        EXPECT_TRUE(error.description().contains(u"#DIV/0!"_qs));
    }
    EXPECT_EQ(text(workbook, errors, "A5"), u"7"_qs);
}

TEST(OdsReader, TextsKeepSpacesParagraphsAndInlineText)
{
    const WorkbookData workbook = readOdsWorkbook(fixture("edge_cases.ods"));
    const QString texts = u"Texts"_qs;
    EXPECT_EQ(text(workbook, texts, "A1"), u" lead"_qs);
    EXPECT_EQ(text(workbook, texts, "A2"), u"trail "_qs);
    EXPECT_EQ(text(workbook, texts, "A3"), u"a   b"_qs); // "a <text:s text:c="2"/>b"
    EXPECT_EQ(text(workbook, texts, "A4"), u"first\nsecond\n"_qs);
    EXPECT_EQ(text(workbook, texts, "A5"), u"spanlink"_qs);
    EXPECT_EQ(text(workbook, texts, "A6"), u"noted"_qs); // the annotation left out
    EXPECT_EQ(text(workbook, texts, "A7"), u"<&> 日本語"_qs);
}

TEST(OdsReader, HeaderRowsGroupsRepeatsAndMergedCells)
{
    const WorkbookData workbook = readOdsWorkbook(fixture("edge_cases.ods"));
    EXPECT_EQ(sheetNames(workbook),
              QStringList({u"Numbers"_qs, u"Dates"_qs, u"Hidden"_qs, u"Errors"_qs, u"Texts"_qs,
                           u"Layout"_qs, u"Empty"_qs}));
    EXPECT_EQ(text(workbook, u"Hidden"_qs, "A1"), u"secret"_qs);

    const QString layout = u"Layout"_qs;
    EXPECT_EQ(text(workbook, layout, "A1"), u"H1"_qs); // in table:table-header-rows
    EXPECT_EQ(text(workbook, layout, "C1"), u"H3"_qs);
    EXPECT_EQ(text(workbook, layout, "A2"), u"g1"_qs); // in a row group
    EXPECT_EQ(text(workbook, layout, "C2"), u"g1c"_qs);
    EXPECT_EQ(text(workbook, layout, "B3"), u"g2"_qs); // in a nested row group
    for (const char* address : {"A4", "A5", "A6"}) {
        EXPECT_EQ(text(workbook, layout, address), u"rep"_qs) << address;
    }
    EXPECT_EQ(text(workbook, layout, "D6"), u"5"_qs);
    // One cell repeated three times after two empty ones.
    EXPECT_EQ(text(workbook, layout, "B7"), QString());
    for (const char* address : {"C7", "D7", "E7"}) {
        EXPECT_EQ(text(workbook, layout, address), u"c"_qs) << address;
    }
    // Covered cells are empty but take their columns.
    EXPECT_EQ(text(workbook, layout, "A8"), u"merged"_qs);
    EXPECT_EQ(text(workbook, layout, "B8"), QString());
    EXPECT_EQ(text(workbook, layout, "C8"), u"right"_qs);
    EXPECT_EQ(text(workbook, layout, "A9"), QString());
    EXPECT_EQ(text(workbook, layout, "C9"), u"below"_qs);
    // Styled but empty rows below the values do not count.
    EXPECT_EQ(sheetNamed(workbook, layout).lastUsedRow(), 9u);
    EXPECT_EQ(sheetNamed(workbook, u"Empty"_qs).lastUsedRow(), 1u);
    EXPECT_EQ(sheetNamed(workbook, u"Empty"_qs).cellCount(), 0);
}

TEST(OdsReader, AnyPrefixValueRepeatsAndTheLastCell)
{
    const WorkbookData workbook = readOdsWorkbook(fixture("hand_made.ods"));
    EXPECT_EQ(sheetNames(workbook), QStringList({u"P"_qs, u"Last"_qs}));
    const QString p = u"P"_qs;
    // A row in a foreign namespace that only looks like a table row is skipped.
    EXPECT_EQ(text(workbook, p, "A1"), u"x  y"_qs);
    EXPECT_EQ(text(workbook, p, "B1"), u"plain"_qs); // text without a value type
    // A covered cell keeps the value stored in it, as the other formats do.
    EXPECT_EQ(text(workbook, p, "C1"), u"hidden"_qs);
    EXPECT_EQ(text(workbook, p, "D1"), u"after"_qs);
    for (const char* address : {"A2", "B2", "A4", "B4"}) {
        EXPECT_EQ(text(workbook, p, address), u"4"_qs) << address;
    }
    EXPECT_EQ(text(workbook, p, "C3"), QString());
    EXPECT_EQ(text(workbook, p, "F4"), u"r\ns\tt"_qs);
    EXPECT_EQ(sheetNamed(workbook, p).lastUsedRow(), 4u);
    EXPECT_EQ(sheetNamed(workbook, p).cellCount(), 4 + 3 * 3);

    EXPECT_EQ(text(workbook, u"Last"_qs, "XFD1048576"), u"True"_qs);
    EXPECT_EQ(sheetNamed(workbook, u"Last"_qs).lastUsedRow(), 1048576u);
    EXPECT_EQ(sheetNamed(workbook, u"Last"_qs).cellCount(), 1);
}

TEST(OdsReader, UnreadableFilesNameTheFileAndTheReason)
{
    const struct
    {
        const char* file;
        QString reason;
    } cases[] = {
        {"not_a_zip.ods", u"zip"_qs},
        {"no_content.ods", u"content.xml がありません"_qs},
        {"dtd.ods", u"文書型宣言"_qs},
        {"malformed.ods", u"XML が不正です"_qs},
        {"wrong_mimetype.ods", u"application/vnd.oasis.opendocument.text"_qs},
        // Found at the end of a part read well ahead of the parser.
        {"wrong_crc.ods", u"content.xml の CRC が一致しません"_qs},
        // Bad values name their cell, D3 after repeated rows and cells, and quote the
        // value with its references decoded.
        {"bad_number.ods", u"シート \"Bad\" の 3 行目 4 列目の数値 \"1&5\" が不正です"_qs},
        {"bad_date.ods", u"3 行目 4 列目の日付 \"2024-02-30\" が不正です"_qs},
        {"bad_boolean.ods", u"3 行目 4 列目の真偽値 \"yes\" が不正です"_qs},
        {"bad_space_count.ods", u"3 行目 4 列目の空白の数 \"-1\" が不正です"_qs},
        {"bad_repeat.ods", u"3 行目 4 列目の繰り返し数 \"0\" が不正です"_qs},
        // One character past the longest text, in pieces or as one space count.
        {"long_text.ods", u"シート \"Bad\" の 3 行目 4 列目の文字列が上限 1000000 文字を"_qs},
        {"many_spaces.ods", u"シート \"Bad\" の 3 行目 4 列目の文字列が上限 1000000 文字を"_qs},
        {"past_last_column.ods", u"3 行目 16385 列目に値があり、列の上限 16384 を超えています"_qs},
    };
    for (const auto& c : cases) {
        const QString description = readError(c.file);
        EXPECT_TRUE(description.contains(fixture(c.file))) << c.file;
        EXPECT_TRUE(description.contains(c.reason)) << description.toStdString();
    }
}

TEST(OdsReader, RepeatsPastTheBoundsAreRefusedAtOnce)
{
    QElapsedTimer timer;
    timer.start();
    // A value in a row repeated past row 1048576.
    const QString rows = readError("huge_row_repeat.ods");
    EXPECT_TRUE(rows.contains(fixture("huge_row_repeat.ods")));
    EXPECT_TRUE(rows.contains(u"\"Big\""_qs)) << rows.toStdString();
    EXPECT_TRUE(rows.contains(u"1048577"_qs)) << rows.toStdString();
    // Values in 16384 columns of a million rows: more cells than a workbook holds.
    const QString cells = readError("huge_cell_repeat.ods");
    EXPECT_TRUE(cells.contains(fixture("huge_cell_repeat.ods")));
    EXPECT_TRUE(cells.contains(u"\"Wide\""_qs)) << cells.toStdString();
    EXPECT_TRUE(cells.contains(u"5000000"_qs)) << cells.toStdString();
    // Refused before any expansion, not after building millions of cells.
    EXPECT_LT(timer.elapsed(), 500);
}

TEST(OdsReader, ReferencesTextInPiecesAndRepeatsUpToTheBounds)
{
    const WorkbookData workbook = readOdsWorkbook(fixture("parser_edges.ods"));
    const QString sheet = u"A&B <1>"_qs;
    EXPECT_EQ(sheetNames(workbook), QStringList({sheet, u"Long"_qs, u"Edge"_qs}));
    const struct
    {
        const char* address;
        QString text;
    } cells[] = {
        // A referenced line feed and tab are kept; a tab as written reads as a space.
        {"A1", u"x&y\nz\t|a b"_qs},          {"B1", u"1.5"_qs},    {"C1", u"a   b"_qs},
        {"D1", u"aé日😀&"_qs.repeated(1000)}, {"E1", u"1<2>\n"_qs},
    };
    for (const auto& c : cells) {
        EXPECT_EQ(text(workbook, sheet, c.address), c.text) << c.address;
    }
    EXPECT_EQ(text(workbook, u"Long"_qs, "A1"), u"😀"_qs.repeated(499999) + u"a "_qs);

    const QString edge = u"Edge"_qs;
    for (const char* address : {"XFC1048575", "XFD1048575", "XFC1048576", "XFD1048576"}) {
        EXPECT_EQ(text(workbook, edge, address), u"7"_qs) << address;
    }
    EXPECT_EQ(sheetNamed(workbook, edge).cellCount(), 4);
}

TEST(OdsReader, ReadingDownToARowKeepsThoseRowsAndChecksNoFurther)
{
    // Each cell down to lastRow as address, kind and value, texts from the pool.
    const auto cellsDownTo = [](const WorkbookData& workbook, quint32 lastRow) {
        QStringList cells;
        for (const SheetData& sheet : workbook.sheets()) {
            for (const Cell& cell : sheet.cells()) {
                if (cell.row <= lastRow) {
                    const bool text = cell.kind == CellKind::Text || cell.kind == CellKind::Error;
                    cells.append(
                        sheet.name() + u' ' + formatCellAddress({cell.row, cell.column}) + u' ' +
                        QString::number(static_cast<int>(cell.kind)) + u' ' +
                        (text ? workbook.string(cell.text) : QString::number(cell.number)));
                }
            }
        }
        return cells;
    };
    // Rows repeated across the last row wanted (hand_made.ods) are cut there.
    for (const char* name : {"table_definitions.ods", "edge_cases.ods", "hand_made.ods"}) {
        const WorkbookData whole = readOdsWorkbook(fixture(name));
        const WorkbookData top = readOdsWorkbookUpToRow(fixture(name), 3);
        EXPECT_EQ(sheetNames(top), sheetNames(whole)) << name;
        EXPECT_EQ(cellsDownTo(top, kMaxRow), cellsDownTo(whole, 3)) << name;
    }
    // The bad value in row 3 is never read.
    EXPECT_NO_THROW(readOdsWorkbookUpToRow(fixture("bad_number.ods"), 2));
}

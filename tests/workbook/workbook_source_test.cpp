#include "common/error.h"
#include "support/memory_workbook_source.h"
#include "support/workbook_builder.h"

#include <gtest/gtest.h>

using namespace tavrune;

namespace {

WorkbookData tablesBook()
{
    return WorkbookBuilder()
        .sheet(QStringLiteral("顧客"))
        .text(QStringLiteral("C3"), QStringLiteral("CUSTOMER"))
        .text(QStringLiteral("B7"), QStringLiteral("  CUSTOMER_ID "))
        .text(QStringLiteral("D40"), QStringLiteral("x"))
        .number(QStringLiteral("D7"), 10)
        .error(QStringLiteral("E7"), QStringLiteral("#N/A"))
        .sheet(QStringLiteral("空"))
        .sheet(QStringLiteral("注文"))
        .text(QStringLiteral("C3"), QStringLiteral("ORDERS"))
        .build();
}

int errorNumberOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

} // namespace

TEST(WorkbookSource, NothingOpen)
{
    MemoryWorkbookSource source;
    auto connection = source.Attach();
    EXPECT_EQ(connection->WorkbookCount(), 0);
    EXPECT_FALSE(connection->HasWorkbook(QStringLiteral("Book1.xlsx")));
    EXPECT_EQ(errorNumberOf([&] { connection->ActiveWorkbookSheets(); }),
              ErrorNumber::ObjectNotSet);
    EXPECT_EQ(errorNumberOf([&] { connection->WorkbookName(1); }),
              ErrorNumber::SubscriptOutOfRange);
}

TEST(WorkbookSource, ListsWorkbooksAndSheetsInOrder)
{
    MemoryWorkbookSource source;
    source.addOpenWorkbook(QStringLiteral("Book1.xlsx"), tablesBook());
    source.addOpenWorkbook(QStringLiteral("Other.xls"),
                           WorkbookBuilder().sheet(QStringLiteral("S")).build());
    auto connection = source.Attach();
    ASSERT_EQ(connection->WorkbookCount(), 2);
    EXPECT_EQ(connection->WorkbookName(1), QStringLiteral("Book1.xlsx"));
    EXPECT_EQ(connection->WorkbookName(2), QStringLiteral("Other.xls"));
    EXPECT_EQ(errorNumberOf([&] { connection->WorkbookName(3); }),
              ErrorNumber::SubscriptOutOfRange);

    // The workbook opened last is active until another is activated.
    EXPECT_EQ(connection->ActiveWorkbookSheets().size(), 1);
    connection->ActivateWorkbook(QStringLiteral("BOOK1.XLSX"));
    const QList<WorksheetHandle> sheets = connection->ActiveWorkbookSheets();
    ASSERT_EQ(sheets.size(), 3);
    EXPECT_EQ(connection->SheetName(sheets[0]), QStringLiteral("顧客"));
    EXPECT_EQ(connection->SheetName(sheets[2]), QStringLiteral("注文"));
    EXPECT_EQ(errorNumberOf([&] { connection->ActivateWorkbook(QStringLiteral("None.xlsx")); }),
              ErrorNumber::SubscriptOutOfRange);

    EXPECT_TRUE(connection->HasWorkbook(QStringLiteral("book1.XLSX")));
    const WorksheetHandle third = connection->WorksheetAt(QStringLiteral("book1.xlsx"), 3);
    EXPECT_EQ(connection->SheetName(third), QStringLiteral("注文"));
    EXPECT_EQ(connection->CellValue(connection->WorksheetAt(QStringLiteral("Book1.xlsx"), 1),
                                    QStringLiteral("C3")),
              connection->CellValue(sheets[0], QStringLiteral("C3")));
    EXPECT_EQ(errorNumberOf([&] { connection->WorksheetAt(QStringLiteral("Book1.xlsx"), 4); }),
              ErrorNumber::SubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { connection->WorksheetAt(QStringLiteral("Book1.xlsx"), 0); }),
              ErrorNumber::SubscriptOutOfRange);
}

TEST(WorkbookSource, ReadsCellsAndLastUsedRows)
{
    MemoryWorkbookSource source;
    source.addOpenWorkbook(QStringLiteral("Book1.xlsx"), tablesBook());
    auto connection = source.Attach();
    const QList<WorksheetHandle> sheets = connection->ActiveWorkbookSheets();
    EXPECT_EQ(connection->CellValue(sheets[0], QStringLiteral("$c$3")), QStringLiteral("CUSTOMER"));
    EXPECT_EQ(connection->CellValue(sheets[0], QStringLiteral("B7")),
              QStringLiteral("  CUSTOMER_ID "));
    EXPECT_EQ(connection->CellValue(sheets[0], QStringLiteral("D7")), QStringLiteral("10"));
    EXPECT_EQ(connection->CellValue(sheets[0], QStringLiteral("Z99")), QString());
    EXPECT_EQ(connection->LastUsedRow(sheets[0]), 40);
    EXPECT_EQ(connection->LastUsedRow(sheets[1]), 1);
    EXPECT_EQ(connection->LastUsedRow(sheets[2]), 3);

    try {
        connection->CellValue(sheets[0], QStringLiteral("E7"));
        FAIL() << "an error value read as text";
    } catch (const Error& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("顧客")));
        EXPECT_TRUE(error.description().contains(QStringLiteral("E7")));
        EXPECT_TRUE(error.description().contains(QStringLiteral("#N/A")));
    }
    for (const QString& bad : {QString(), QStringLiteral("12"), QStringLiteral("B0"),
                               QStringLiteral("A1:B2"), QStringLiteral("Sheet1!A1")}) {
        try {
            connection->CellValue(sheets[0], bad);
            FAIL() << "accepted " << bad.toStdString();
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::ApplicationDefined);
            EXPECT_TRUE(error.description().contains(u'"' + bad + u'"'));
        }
    }
    EXPECT_EQ(
        errorNumberOf([&] { connection->CellValue(WorksheetHandle(), QStringLiteral("A1")); }),
        ErrorNumber::ObjectNotSet);
}

TEST(WorkbookSource, RecordsEveryCellReadInOrder)
{
    MemoryWorkbookSource source;
    source.addOpenWorkbook(QStringLiteral("Book1.xlsx"), tablesBook());
    auto connection = source.Attach();
    const QList<WorksheetHandle> sheets = connection->ActiveWorkbookSheets();
    connection->CellValue(sheets[2], QStringLiteral("C3"));
    connection->CellValue(sheets[0], QStringLiteral("b7"));
    EXPECT_THROW(connection->CellValue(sheets[0], QStringLiteral("7")), Error);
    EXPECT_EQ(source.readLog(), QStringList({QStringLiteral("注文!C3"), QStringLiteral("顧客!b7"),
                                             QStringLiteral("顧客!7")}));
}

TEST(WorkbookSource, OpensFilesUnderTheirFileNameOnce)
{
    MemoryWorkbookSource source;
    source.addFile(QStringLiteral("C:\\data\\Tables.xls"), tablesBook());
    auto connection = source.Attach();
    connection->OpenWorkbook(QStringLiteral("C:\\data\\Tables.xls"));
    connection->OpenWorkbook(QStringLiteral("C:\\data\\Tables.xls"));
    EXPECT_EQ(connection->WorkbookCount(), 1);
    EXPECT_EQ(connection->WorkbookName(1), QStringLiteral("Tables.xls"));
    EXPECT_EQ(errorNumberOf([&] { connection->OpenWorkbook(QStringLiteral("/missing.xlsx")); }),
              ErrorNumber::FileNotFound);
}

TEST(SheetData, FindingAlongARowAgreesWithTheWholeSearch)
{
    SheetData sheet(QStringLiteral("S"));
    for (const auto& [row, column] : std::vector<std::pair<quint32, quint16>>{
             {1, 1}, {1, 3}, {2, 2}, {4, 1}, {4, 2}, {4, 5}, {7, 4}}) {
        Cell cell;
        cell.row = row;
        cell.column = column;
        cell.kind = CellKind::Number;
        cell.number = row * 10 + column;
        sheet.addCell(cell);
    }
    sheet.finish();
    SheetData other(QStringLiteral("T"));
    other.finish();

    // Along the rows, back up, and over rows that hold nothing, with one hint; then
    // with hints a stale or foreign reader might hold.
    RowHint hint;
    for (quint32 row : {1u, 1u, 2u, 4u, 3u, 8u, 4u, 0u, 7u, 1u}) {
        for (quint16 column = 0; column <= 6; ++column) {
            const CellAddress address{row, column};
            EXPECT_EQ(sheet.find(address, hint), sheet.find(address)) << row << "," << column;
        }
    }
    for (const RowHint& forged : {RowHint{&sheet, 4, 0, 7}, RowHint{&sheet, 4, 9, 2},
                                  RowHint{&sheet, 4, 3, 50}, RowHint{&other, 4, 3, 6}}) {
        RowHint stale = forged;
        EXPECT_EQ(sheet.find({4, 2}, stale), sheet.find({4, 2}));
        EXPECT_EQ(sheet.find({4, 2}, stale)->number, 42);
    }
}

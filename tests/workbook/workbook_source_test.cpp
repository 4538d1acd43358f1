#include "common/error.h"
#include "support/memory_workbook_source.h"
#include "support/workbook_builder.h"

#include <gtest/gtest.h>

using namespace tavrune;

namespace {

WorkbookData tablesBook()
{
    return WorkbookBuilder()
        .sheet(u"顧客"_qs)
        .text(u"C3"_qs, u"CUSTOMER"_qs)
        .text(u"B7"_qs, u"  CUSTOMER_ID "_qs)
        .text(u"D40"_qs, u"x"_qs)
        .number(u"D7"_qs, 10)
        .error(u"E7"_qs, u"#N/A"_qs)
        .sheet(u"空"_qs)
        .sheet(u"注文"_qs)
        .text(u"C3"_qs, u"ORDERS"_qs)
        .build();
}

class WorkbookSourceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_source.addOpenWorkbook(u"Other.xls"_qs, WorkbookBuilder().sheet(u"S"_qs).build());
        m_source.addOpenWorkbook(u"Book1.xlsx"_qs, tablesBook());
        m_source.addFile(u"C:\\data\\Tables.xls"_qs, tablesBook());
        m_connection = m_source.attach();
        m_sheets = m_connection->activeWorkbookSheets();
        ASSERT_EQ(m_sheets.size(), 3);
    }

    MemoryWorkbookSource m_source;
    std::unique_ptr<WorkbookConnection> m_connection;
    QList<WorksheetHandle> m_sheets;
};

} // namespace

// Workbooks and sheets by number from 1 in the order opened, workbooks by name in
// any case; the workbook opened last is active until another is activated.
TEST_F(WorkbookSourceTest, ListsWorkbooksAndSheetsInOrder)
{
    ASSERT_EQ(m_connection->workbookCount(), 2);
    EXPECT_EQ(m_connection->workbookName(1), u"Other.xls"_qs);
    EXPECT_EQ(m_connection->workbookName(2), u"Book1.xlsx"_qs);
    EXPECT_EQ(m_connection->sheetName(m_sheets[0]), u"顧客"_qs);
    EXPECT_EQ(m_connection->sheetName(m_sheets[2]), u"注文"_qs);
    EXPECT_TRUE(m_connection->hasWorkbook(u"book1.XLSX"_qs));
    const WorksheetHandle third = m_connection->worksheetAt(u"book1.xlsx"_qs, 3);
    EXPECT_EQ(m_connection->sheetName(third), u"注文"_qs);
    EXPECT_EQ(m_connection->cellValue(third, u"C3"_qs), u"ORDERS"_qs);
    m_connection->activateWorkbook(u"OTHER.XLS"_qs);
    EXPECT_EQ(m_connection->activeWorkbookSheets().size(), 1);
    // A file opens under its file name, and only once.
    m_connection->openWorkbook(u"C:\\data\\Tables.xls"_qs);
    m_connection->openWorkbook(u"C:\\data\\Tables.xls"_qs);
    EXPECT_EQ(m_connection->workbookCount(), 3);
    EXPECT_EQ(m_connection->workbookName(3), u"Tables.xls"_qs);
}

// Cells as text by A1 references in any case, with "$" marks; the last used row is
// 1 for an empty sheet.
TEST_F(WorkbookSourceTest, ReadsCellsAndLastUsedRows)
{
    const std::pair<QString, QString> cells[] = {{u"$c$3"_qs, u"CUSTOMER"_qs},
                                                 {u"B7"_qs, u"  CUSTOMER_ID "_qs},
                                                 {u"D7"_qs, u"10"_qs},
                                                 {u"Z99"_qs, QString()}};
    for (const auto& [address, text] : cells) {
        EXPECT_EQ(m_connection->cellValue(m_sheets[0], address), text) << address.toStdString();
    }
    EXPECT_EQ(m_connection->lastUsedRow(m_sheets[0]), 40);
    EXPECT_EQ(m_connection->lastUsedRow(m_sheets[1]), 1);
    EXPECT_EQ(m_connection->lastUsedRow(m_sheets[2]), 3);
    // Every cell read is recorded in order, a refused one too.
    EXPECT_THROW(m_connection->cellValue(m_sheets[2], u"7"_qs), Error);
    EXPECT_EQ(m_source.readLog(), QStringList({u"顧客!$c$3"_qs, u"顧客!B7"_qs, u"顧客!D7"_qs,
                                               u"顧客!Z99"_qs, u"注文!7"_qs}));
}

// What is not there, with nothing open or past the ends, is refused by number.
TEST_F(WorkbookSourceTest, RefusesWhatIsNotThere)
{
    MemoryWorkbookSource empty;
    auto none = empty.attach();
    EXPECT_EQ(none->workbookCount(), 0);
    EXPECT_FALSE(none->hasWorkbook(u"Book1.xlsx"_qs));
    const std::pair<std::function<void()>, int> cases[] = {
        {[&] { none->activeWorkbookSheets(); }, ErrorNumber::ObjectNotSet},
        {[&] { none->workbookName(1); }, ErrorNumber::SubscriptOutOfRange},
        {[&] { m_connection->workbookName(3); }, ErrorNumber::SubscriptOutOfRange},
        {[&] { m_connection->activateWorkbook(u"None.xlsx"_qs); },
         ErrorNumber::SubscriptOutOfRange},
        {[&] { m_connection->worksheetAt(u"Book1.xlsx"_qs, 4); }, ErrorNumber::SubscriptOutOfRange},
        {[&] { m_connection->worksheetAt(u"Book1.xlsx"_qs, 0); }, ErrorNumber::SubscriptOutOfRange},
        {[&] { m_connection->cellValue(WorksheetHandle(), u"A1"_qs); }, ErrorNumber::ObjectNotSet},
        {[&] { m_connection->openWorkbook(u"/missing.xlsx"_qs); }, ErrorNumber::FileNotFound},
    };
    for (const auto& [action, number] : cases) {
        try {
            action();
            ADD_FAILURE() << "no error " << number;
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), number);
        }
    }
}

// An error value, or a reference that is not a single A1 cell, is an error naming
// the sheet, the cell and the value or the reference.
TEST_F(WorkbookSourceTest, RefusesErrorValuesAndBadReferences)
{
    const std::pair<QString, QStringList> cases[] = {
        {u"E7"_qs, {u"顧客"_qs, u"E7"_qs, u"#N/A"_qs}},
        {QString(), {u"\"\""_qs}},
        {u"12"_qs, {u"\"12\""_qs}},
        {u"B0"_qs, {u"\"B0\""_qs}},
        {u"A1:B2"_qs, {u"\"A1:B2\""_qs}},
        {u"Sheet1!A1"_qs, {u"\"Sheet1!A1\""_qs}},
    };
    for (const auto& [address, named] : cases) {
        try {
            m_connection->cellValue(m_sheets[0], address);
            ADD_FAILURE() << "read " << address.toStdString();
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::ApplicationDefined);
            for (const QString& part : named) {
                EXPECT_TRUE(error.description().contains(part)) << error.what();
            }
        }
    }
}

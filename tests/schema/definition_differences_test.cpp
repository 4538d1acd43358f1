#include "generation/generation_run.h"
#include "schema/difference_report.h"
#include "support/sample_format.h"
#include "workbook/file_workbook_source.h"

#include <gtest/gtest.h>

using namespace tavrune;

namespace {

std::vector<TableDefinition> definitionsOf(const char* name)
{
    FileWorkbookSource files;
    files.attach()->openWorkbook(QStringLiteral(TAVRUNE_TEST_DATA "/schema/") +
                                 QString::fromUtf8(name));
    return readWorkbookDefinitions(*files.snapshot()->attach(),
                                   workingFormat(test::sampleFormat()));
}

// Two versions of a workbook that differ in every way a definition changes.
TEST(DefinitionDifferences, EveryKindNamedWithBothSidesCells)
{
    const std::vector<TableDefinition> older = definitionsOf("definitions_old.xlsx");
    const std::vector<TableDefinition> newer = definitionsOf("definitions_new.xlsx");
    EXPECT_TRUE(compareDefinitions(newer, newer).empty());
    EXPECT_EQ(differenceReport(compareDefinitions(older, newer), DifferenceFormat::Text),
              uR"x(column removed: CUSTOMER.CUSTOMER_KANA (顧客!B9), destructive
column changed: CUSTOMER.CUSTOMER_NAME comment: "氏名" -> "氏名（漢字）" (顧客!I8 -> 顧客!I8)
column changed: CUSTOMER.POINT type: "NUMBER(7,2)" -> "NUMBER(9,2)" (顧客!C10 -> 顧客!C9)
column added: CUSTOMER.EMAIL (顧客!B10)
table added: ITEM (品目!C3), possibly renamed from PRODUCT
table changed: ORDERS title: "注文" -> "受注" (注文!C4 -> 注文!C4)
column changed: ORDERS.ORDERED_ON not null: "no" -> "yes" (注文!G9 -> 注文!G8)
column moved: ORDERS.CUSTOMER_ID position: "2" -> "3" (注文!B8 -> 注文!B9)
column changed: ORDERS.STATUS default: "0" -> "1" (注文!H10 -> 注文!H10)
key changed: ORDERS key: "ORDER_NO" -> "ORDER_NO, ORDERED_ON" (注文!F7 -> 注文!F7)
table added: ORDER_DETAIL (注文明細!C3)
table removed: PRODUCT (商品!C3), possibly renamed to ITEM, destructive
table removed: OLD_LOG (旧ログ!C3), destructive
)x"_qs);
}

// Names are matched without regard to letter case, as databases fold unquoted
// names; values that break lines stay on theirs.
TEST(DefinitionDifferences, NamesMatchInAnyCaseAndValuesStayOnOneLine)
{
    TableDefinition older;
    older.sheet = u"S"_qs;
    older.name = u"customer"_qs;
    older.format = workingFormat(test::sampleFormat());
    ColumnDefinition id;
    id.row = 7;
    id.title = u"id"_qs;
    id.comment = u"a\nb \"c\""_qs;
    older.columns.push_back(id);
    TableDefinition newer = older;
    newer.name = u"CUSTOMER"_qs;
    newer.columns[0].title = u"ID"_qs;
    newer.columns[0].comment = u"a\\b"_qs;
    // A type change may lose data unless the type stays and only grows.
    const struct
    {
        ColumnType from, to;
        bool destructive;
    } types[] = {
        {{u"NUMBER"_qs, u"7"_qs, u"2"_qs, {}}, {u"number"_qs, u"9"_qs, u"2"_qs, {}}, false},
        {{u"VARCHAR"_qs, u"100"_qs, {}, {}}, {u"VARCHAR"_qs, u"50"_qs, {}, {}}, true},
        {{u"NUMBER"_qs, u"9"_qs, u"2"_qs, {}}, {u"NUMBER"_qs, u"9"_qs, u"1"_qs, {}}, true},
        {{u"CHAR"_qs, u"8"_qs, {}, {}}, {u"VARCHAR"_qs, u"8"_qs, {}, {}}, true},
    };
    for (const auto& t : types) {
        TableDefinition from = older;
        from.columns[0].type = t.from;
        TableDefinition to = older;
        to.columns[0].type = t.to;
        to.columns[0].type.text = u"changed"_qs;
        const std::vector<Difference> found = compareDefinitions({from}, {to});
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].destructive, t.destructive) << t.to.name.toStdString();
    }
    EXPECT_EQ(differenceReport(compareDefinitions({older}, {newer}), DifferenceFormat::Text),
              uR"x(column changed: CUSTOMER.ID comment: "a\nb \"c\"" -> "a\\b" (S!I7 -> S!I7)
)x"_qs);
}

} // namespace

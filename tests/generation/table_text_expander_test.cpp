#include "generation/expansion_fixture.h"

#include <gtest/gtest.h>

using namespace tavrune;
using test::expectExpansions;

namespace {

const QStringList kTableReads{u"顧客!C3"_qs, u"顧客!C4"_qs, u"顧客!E1"_qs,
                              u"顧客!E2"_qs, u"顧客!E3"_qs, u"顧客!E4"_qs};

// Name and title, the column cells, then the extra cells.
QStringList reads(const QString& columnCells)
{
    return kTableReads.mid(0, 2) + columnCells.split(u' ') + kTableReads.mid(2);
}

} // namespace

TEST(TableTextExpander, TableLevelPlaceholders)
{
    expectExpansions({
        {"extra cells 1 to 4 only",
         {},
         u"[%Etc1][%etc2][%ETC3][%Etc4] [%Etc0] [%Etc5] [%Etc]"_qs,
         u"e1e2e3e4 [%Etc0] [%Etc5] [%Etc]"_qs},
        {"column placeholders mean nothing outside a column line", u"ID|NUMBER|||○|○|1|c"_qs,
         u"[%RowType] [%NotNull] [%Default] [%Comment] [%*]"_qs,
         u"[%RowType] [%NotNull] [%Default] [%Comment] [%*]"_qs},
        // The cells before the invalid one are read, in order, even for a line
        // without placeholders.
        {"an invalid reference",
         {},
         u"no placeholders"_qs,
         u"error 1004: 書式の「その他3のｾﾙ」から読めません: シート \"顧客\" のセル番地 \"\" が"
         u"正しくありません。"_qs,
         [](FormatSetting& f) { f.Etc[2] = QString(); },
         kTableReads.mid(0, 4) + QStringList{u"顧客!"_qs}},
    });
}

TEST(TableTextExpander, ReadsTheTableCellsForEveryLineAndEachColumnCellInOrder)
{
    const QString typeLine = u"[%RowTitle] [%RowType]"_qs;
    expectExpansions({
        {"a line without placeholders", {}, u"x ("_qs, u"x ("_qs, {}, kTableReads},
        {"a start below the last used row", u"ID|NUMBER\n\nBELOW|NUMBER"_qs,
         u"[%TableName] [%RowTitle]"_qs, QString(), [](FormatSetting& f) { f.RowStart = 11; },
         kTableReads},
        {"every column cell, even unused",
         u"ID|NUMBER|10|2"_qs,
         typeLine,
         u"ID NUMBER(10,2)"_qs,
         {},
         reads(u"顧客!B7 顧客!B7 顧客!C7 顧客!D7 顧客!E7 顧客!G7 顧客!H7 顧客!I7"_qs)},
        {"a column shared by type and length", u"A|CHAR(3)|10|2"_qs, typeLine, u"A CHAR(3)"_qs,
         [](FormatSetting& f) { f.RowLength = f.RowType; },
         reads(u"顧客!B7 顧客!B7 顧客!C7 顧客!G7 顧客!H7 顧客!I7"_qs)},
        {"index lines: title, mark and the title again when marked",
         u"ID|NUMBER|||○\nNAME|VARCHAR2|||   "_qs,
         u"    [%Index]"_qs,
         u"    ID"_qs,
         {},
         reads(u"顧客!B7 顧客!F7 顧客!B7 顧客!B8 顧客!F8"_qs)},
    });
}

TEST(TableTextExpander, IndexLinesListMarkedColumnsOnly)
{
    const QString rows =
        u"ID|NUMBER|||1\nSEQ|NUMBER|||01\nCODE|CHAR||| 1 \nNAME|VARCHAR2|||1\n\nBELOW|CHAR|||1"_qs;
    const auto mark = [](FormatSetting& f) { f.StrIndex = u"1"_qs; };
    expectExpansions({
        {"marked columns only", rows, u"    [%Index]"_qs, u"    ID,\r\n    NAME"_qs, mark},
        {"a final comma stays", rows, u"[%Index] ,"_qs, u"ID,\r\nNAME,"_qs, mark},
        {"no marked column: nothing at all", rows, u"[%TableName] [%Index]"_qs, QString(),
         [](FormatSetting& f) { f.StrIndex = u"9"_qs; }},
        {"with column placeholders: the block per indexed column",
         u"ID|NUMBER|||○\nSEQ|NUMBER|||○\nNAME|VARCHAR2"_qs, u"[%Index]:[%RowTitle]"_qs,
         u"ID:ID,\r\nID:SEQ,\r\nID:NAME,\r\nSEQ:ID,\r\nSEQ:SEQ,\r\nSEQ:NAME"_qs},
    });
}

TEST(TableTextExpander, TableCells)
{
    // The name is not searched again for itself, but the title and extra cells
    // that come after it are put into it.
    test::SheetExpansion inserted;
    inserted.m_book.text(u"C3"_qs, u"[%TableName]/[%Etc1]/[%TableTitle]"_qs).text(u"C4"_qs, {});
    EXPECT_EQ(inserted.expand(u"<[%TableName]>"_qs), u"<[%TableName]/e1/>"_qs);

    // A title holding a column placeholder makes the line a column line.
    test::SheetExpansion title;
    title.m_book.text(u"C4"_qs, u"[%RowTitle]"_qs);
    title.rows(u"ID|NUMBER\nNAME|VARCHAR2"_qs);
    EXPECT_EQ(title.expand(u"-- [%TableTitle]"_qs), u"-- ID,\r\n-- NAME"_qs);

    test::SheetExpansion failing;
    failing.m_book.error(u"C4"_qs, u"#REF!"_qs);
    EXPECT_EQ(
        failing.errorOf(u"[%TableName]"_qs),
        u"書式の「ﾃｰﾌﾞﾙﾀｲﾄﾙのｾﾙ」から読めません: シート \"顧客\" のセル C4 はエラー値 #REF! です。"_qs);
}

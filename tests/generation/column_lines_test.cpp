#include "generation/expansion_fixture.h"

#include <gtest/gtest.h>

using namespace tavrune;
using test::expectExpansions;

TEST(ColumnLines, OneLinePerRowUpToTheFirstEmptyTitleOrTheLastUsedRow)
{
    const QString gap = u"   |NUMBER\nONLY|NUMBER\n\nAFTER_GAP|NUMBER"_qs;
    const QString nameAndTitle = u"[%TableName] [%RowTitle]"_qs;
    expectExpansions({
        {"joined with commas", u"ID|NUMBER|10\nNAME|VARCHAR2|20"_qs, u"[%RowTitle] [%RowType]"_qs,
         u"ID NUMBER(10),\r\nNAME VARCHAR2(20)"_qs,
         [](FormatSetting& f) { f.RowScale = f.RowLength; }},
        {"blanks are a title", gap, u"<[%RowTitle]>"_qs, u"<   >,\r\n<ONLY>"_qs},
        {"the last used row ends them", gap, u"<[%RowTitle]>"_qs, u"<AFTER_GAP>"_qs,
         [](FormatSetting& f) { f.RowStart = 10; }},
        {"an empty first title: nothing at all", gap, nameAndTitle, QString(),
         [](FormatSetting& f) { f.RowStart = 9; }},
        {"a start below the last used row: nothing", gap, nameAndTitle, QString(),
         [](FormatSetting& f) { f.RowStart = 11; }},
        {"an empty comment field", u"ID"_qs, u"[%RowTitle]"_qs,
         u"error 1004: 書式の「Comment の列」から読めません: シート \"顧客\" のセル番地 \"7\" が"
         u"正しくありません。"_qs,
         [](FormatSetting& f) { f.Comment = QString(); }},
        {"start row 0", u"ID"_qs, u"[%RowTitle]"_qs,
         u"error 1004: 書式の「項目ﾀｲﾄﾙの列」から読めません: シート \"顧客\" のセル番地 \"B0\" が"
         u"正しくありません。"_qs,
         [](FormatSetting& f) { f.RowStart = 0; }},
    });
}

TEST(ColumnLines, TypeNotNullDefaultAndCleanUpRules)
{
    const QString marks = u"A|T||||○\nB|T|||| ○\nC|T||||  \nD|T"_qs;
    const QString defaults =
        u"A|VARCHAR2|||||abc\nB|NUMBER|||||0\nC|nchar||||| it's \nD|NUMBER|||||   \nE||||||x"_qs;
    // Only the first row's title asks for its type; the rows after it keep CHAR.
    const QString typeInTitle = u"A[%RowType]|CHAR|||||x\nB|NUMBER|||||1"_qs;
    const QString notNull = u"[%RowTitle]:[%NotNull];"_qs;
    expectExpansions({
        {"type with length and scale",
         u"A| NUMBER |10|2\nB|VARCHAR2| 20 \nC|DATE\nD||10|2\nE|CHAR|abc|2\nF|NUMBER|(5,1)\n"
         u"G|NUMBER|(7\nH|NUMBER|1,000\nI|NUMBER|1.5|x"_qs,
         u"[%RowTitle]=[%RowType];"_qs,
         u"A=NUMBER(10,2);\r\nB=VARCHAR2( 20 );\r\nC=DATE;\r\nD=;\r\nE=CHAR;\r\n"
         u"F=NUMBER(5,1);\r\nG=NUMBER;\r\nH=NUMBER(1,000);\r\nI=NUMBER(1.5,x);"_qs},
        {"length in the type column", u"A|CHAR(3)|10|2"_qs, u"[%RowTitle] [%RowType]"_qs,
         u"A CHAR(3)"_qs, [](FormatSetting& f) { f.RowLength = f.RowType; }},
        {"length and scale in one column", u"A|CHAR(3)|10|2"_qs, u"[%RowTitle] [%RowType]"_qs,
         u"A CHAR(3)(10)"_qs, [](FormatSetting& f) { f.RowScale = f.RowLength; }},
        {"the not-null mark matches exactly", marks, notNull,
         u"A:NOT NULL;\r\nB:;\r\nC:;\r\nD:;"_qs},
        {"character defaults in apostrophes", defaults, u"[%RowTitle] [%RowType] [%Default];"_qs,
         u"A VARCHAR2 DEFAULT 'abc';\r\nB NUMBER DEFAULT 0;\r\n"
         u"C nchar DEFAULT ' it's ';\r\nD NUMBER ;\r\nE  DEFAULT x;"_qs},
        {"without the type rule no apostrophes", defaults, u"[%RowTitle] [%Default];"_qs,
         u"A DEFAULT abc;\r\nB DEFAULT 0;\r\nC DEFAULT  it's ;\r\nD ;\r\nE DEFAULT x;"_qs},
        {"the type of the last row that took the type rule", typeInTitle,
         u"[%RowTitle] [%Default];"_qs, u"ACHAR DEFAULT 'x';\r\nB DEFAULT '1';"_qs},
        {"the type taken before the default", typeInTitle, u"[%Default]|[%RowTitle]"_qs,
         u"DEFAULT 'x'|ACHAR,\r\nDEFAULT '1'|B"_qs},
        {"a final comma stays", u"A|T||||○\nB|T"_qs, u"[%RowTitle] [%Default]  [%NotNull] ,"_qs,
         u"A   NOT NULL,\r\nB,"_qs},
    });
}

TEST(ColumnLines, PlaceholdersMadeByEarlierValuesAreReplacedByLaterOnes)
{
    // The placeholders go in one after the other (title, type, not-null, default,
    // comment), so a value may hold a later one, or complete one with the line, but
    // is not searched again for its own.
    const QString rows =
        u"[%Comment]|NUMBER||||||c\nB|DATE|||||1|[%Default]\nC|NUMBER||||||100%\n[%Row|NUMBER"_qs;
    expectExpansions({
        {"values are not searched again", u"[%RowTitle]|NUMBER||||||[%TableName] [%Etc1]"_qs,
         u"[%RowTitle] -- [%Comment]"_qs, u"[%RowTitle] -- [%TableName] e1"_qs},
        {"a later placeholder in a value", rows, u"[%RowTitle]|[%RowType]|[%Default]|[%Comment]"_qs,
         u"c|NUMBER||c,\r\nB|DATE|DEFAULT 1|[%Default],\r\nC|NUMBER||100%,\r\n[%Row|NUMBER||"_qs},
        {"a value completing the line", rows, u"[%RowTitle]Type] [%rowtitle]"_qs,
         u"cType] c,\r\nBType] B,\r\nCType] C,\r\nNUMBER [%Row"_qs},
        {"a title completing a placeholder before it", u"Type]|NUMBER|10"_qs,
         u"[%Row[%RowTitle]"_qs, u"NUMBER(10)"_qs},
    });
}

TEST(ColumnLines, LongSheetsGiveTheSameLinesOnSeveralThreads)
{
    // Rows 0-999 make lines, row 1000 has no title, row 1500 has an error in its
    // default and row 6000 in its title: a run from the top ends at row 1000 whatever
    // lies below; one from row 1001 fails at the first failure it reads in order, row
    // 1500 for column lines, row 6000 for index lines, which read no default.
    test::SheetExpansion sheet;
    QString expected;
    QString expectedIndex;
    for (int i = 0; i < 6100; ++i) {
        const bool character = i % 3 == 0;
        const QString title = i == 1000 ? QString() : u"C%1"_qs.arg(i);
        const QString index = i % 7 == 0 ? u"○"_qs : QString();
        sheet.rows(title + (character ? u"|CHAR|10||"_qs : u"|NUMBER|10||"_qs) + index + u"||x"_qs);
        if (i < 1000 && !index.isEmpty()) {
            expectedIndex += (i > 0 ? u",\r\n"_qs : QString()) + u"PK "_qs + title;
        }
        if (i < 1000) {
            expected += (i > 0 ? u",\r\n"_qs : QString()) + title +
                        (character ? u" CHAR(10) DEFAULT 'x'"_qs : u" NUMBER(10) DEFAULT x"_qs);
        }
    }
    sheet.m_book.error(u"H1507"_qs, u"#N/A"_qs).error(u"B6007"_qs, u"#REF!"_qs);
    const QString line = u"[%RowTitle] [%RowType] [%Default]"_qs;
    for (const bool elsewhere : {false, true}) {
        SCOPED_TRACE(elsewhere ? "ahead on other threads" : "on the calling thread");
        sheet.m_source.setLogReads(!elsewhere);
        sheet.m_format.RowStart = 7;
        EXPECT_EQ(sheet.expand(line), expected);
        EXPECT_EQ(sheet.expand(u"PK [%Index]"_qs), expectedIndex);
        sheet.m_format.RowStart = 7 + 1001;
        EXPECT_TRUE(sheet.errorOf(line).contains(u"H1507"_qs));
        EXPECT_TRUE(sheet.errorOf(u"PK [%Index]"_qs).contains(u"B6007"_qs));
    }
}

TEST(ColumnLines, ATypeBroughtInByATitleCarriesOverOnSeveralThreadsToo)
{
    // The line holds no type: only row 100 takes the type rule, through its title,
    // and its CHAR puts every later default, however far down, in apostrophes.
    test::SheetExpansion sheet;
    QString expected;
    for (int i = 0; i < 3000; ++i) {
        const QString title = i == 100 ? u"[%RowType]"_qs : u"C%1"_qs.arg(i);
        sheet.rows(title + (i == 100 ? u"|CHAR|10||||x"_qs : u"|NUMBER|10||||x"_qs));
        expected += (i > 0 ? u",\r\n"_qs : QString()) + (i == 100 ? u"CHAR(10)"_qs : title) +
                    (i >= 100 ? u" DEFAULT 'x'"_qs : u" DEFAULT x"_qs);
    }
    for (const bool elsewhere : {false, true}) {
        sheet.m_source.setLogReads(!elsewhere);
        EXPECT_EQ(sheet.expand(u"[%RowTitle] [%Default]"_qs), expected) << elsewhere;
    }
}

#include "common/error.h"
#include "generation/expansion_fixture.h"

using namespace tavrune;

using TableTextExpanderTest = test::ExpansionTest;

namespace {

const QStringList kTableReads{u"顧客!C3"_qs, u"顧客!C4"_qs, u"顧客!E1"_qs,
                              u"顧客!E2"_qs, u"顧客!E3"_qs, u"顧客!E4"_qs};

} // namespace

TEST_F(TableTextExpanderTest, ReadsTheSixTableCellsForEveryLineInOrder)
{
    EXPECT_EQ(expand(QString()), QString());
    EXPECT_EQ(m_source.readLog(), kTableReads);
    EXPECT_EQ(expand(u"CREATE TABLE x ("_qs), u"CREATE TABLE x ("_qs);
    EXPECT_EQ(m_source.readLog(), kTableReads);
}

TEST_F(TableTextExpanderTest, PutsInTableLevelPlaceholdersInAnyCase)
{
    EXPECT_EQ(expand(u"[%tablename] [%TABLENAME] [%TableName] [%TableTitle]"_qs),
              u"CUSTOMER CUSTOMER CUSTOMER 顧客マスタ"_qs);
    EXPECT_EQ(expand(u"[%Etc1][%etc2][%ETC3][%Etc4] [%Etc0] [%Etc5] [%Etc]"_qs),
              u"e1e2e3e4 [%Etc0] [%Etc5] [%Etc]"_qs);
    // Column placeholders mean nothing outside a column line.
    EXPECT_EQ(expand(u"[%RowType] [%NotNull] [%Default] [%Comment] [%*]"_qs),
              u"[%RowType] [%NotNull] [%Default] [%Comment] [%*]"_qs);
}

TEST_F(TableTextExpanderTest, InsertedValuesAreSearchedOnlyByLaterSteps)
{
    m_book.text(u"C3"_qs, u"[%TableName]/[%Etc1]/[%TableTitle]"_qs).text(u"C4"_qs, QString());
    // The name is not searched again for itself, but the title and extra cells
    // that come after it are put into it.
    EXPECT_EQ(expand(u"<[%TableName]>"_qs), u"<[%TableName]/e1/>"_qs);
}

TEST_F(TableTextExpanderTest, ATitleHoldingRowTitleMakesAColumnLine)
{
    m_book.text(u"C4"_qs, u"[%RowTitle]"_qs);
    addColumn(u"ID"_qs, u"NUMBER"_qs);
    addColumn(u"NAME"_qs, u"VARCHAR2"_qs);
    EXPECT_EQ(expand(u"-- [%TableTitle]"_qs), u"-- ID,\r\n-- NAME"_qs);
}

TEST_F(TableTextExpanderTest, AnInvalidReferenceFailsEveryLineNamingTheField)
{
    m_format.Etc[2] = QString();
    try {
        expand(u"no placeholders"_qs);
        FAIL() << "an empty extra-cell field was accepted";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::ApplicationDefined);
        EXPECT_TRUE(error.description().contains(u"その他3のｾﾙ"_qs)) << error.what();
        EXPECT_TRUE(error.description().contains(u"顧客"_qs)) << error.what();
    }
    // The cells before the failing one were read, in order.
    EXPECT_EQ(m_source.readLog().mid(0, 4), kTableReads.mid(0, 4));
}

TEST_F(TableTextExpanderTest, AnErrorValueInATableCellFails)
{
    m_book.error(u"C4"_qs, u"#REF!"_qs);
    try {
        expand(u"[%TableName]"_qs);
        FAIL() << "an error value was read as text";
    } catch (const Error& error) {
        EXPECT_TRUE(error.description().contains(u"ﾃｰﾌﾞﾙﾀｲﾄﾙのｾﾙ"_qs)) << error.what();
        EXPECT_TRUE(error.description().contains(u"C4"_qs)) << error.what();
        EXPECT_TRUE(error.description().contains(u"#REF!"_qs)) << error.what();
    }
}

TEST_F(TableTextExpanderTest, IndexLinesListMarkedColumnsOnly)
{
    m_format.StrIndex = u"1"_qs;
    addColumn(u"ID"_qs, u"NUMBER"_qs, {}, {}, u"1"_qs);
    addColumn(u"SEQ"_qs, u"NUMBER"_qs, {}, {}, u"01"_qs);
    addColumn(u"CODE"_qs, u"CHAR"_qs, {}, {}, u" 1 "_qs);
    addColumn(u"NAME"_qs, u"VARCHAR2"_qs, {}, {}, u"1"_qs);
    m_nextRow++;
    addColumn(u"BELOW"_qs, u"CHAR"_qs, {}, {}, u"1"_qs);
    EXPECT_EQ(expand(u"    [%Index]"_qs), u"    ID,\r\n    NAME"_qs);
    EXPECT_EQ(expand(u"[%Index] ,"_qs), u"ID,\r\nNAME,"_qs);
    EXPECT_EQ(expand(u"[%Index];"_qs), u"ID;\r\nNAME;"_qs);
    m_format.StrIndex = u"9"_qs;
    EXPECT_EQ(expand(u"[%TableName] [%Index]"_qs), QString());
}

TEST_F(TableTextExpanderTest, IndexLinesReadTitleMarkAndTitleAgainPerRow)
{
    addColumn(u"ID"_qs, u"NUMBER"_qs, {}, {}, u"○"_qs);
    addColumn(u"NAME"_qs, u"VARCHAR2"_qs, {}, {}, u"   "_qs);
    EXPECT_EQ(expand(u"    [%Index]"_qs), u"    ID"_qs);
    EXPECT_EQ(
        m_source.readLog().mid(2, 5),
        (QStringList{u"顧客!B7"_qs, u"顧客!F7"_qs, u"顧客!B7"_qs, u"顧客!B8"_qs, u"顧客!F8"_qs}));
    EXPECT_EQ(m_source.readLog().at(7), u"顧客!E1"_qs); // row 8 is the last used row
}

TEST_F(TableTextExpanderTest, ALineWithColumnAndIndexRepeatsTheBlockPerIndexedColumn)
{
    addColumn(u"ID"_qs, u"NUMBER"_qs, {}, {}, u"○"_qs);
    addColumn(u"SEQ"_qs, u"NUMBER"_qs, {}, {}, u"○"_qs);
    addColumn(u"NAME"_qs, u"VARCHAR2"_qs);
    EXPECT_EQ(expand(u"[%Index]:[%RowTitle]"_qs), u"ID:ID,\r\nID:SEQ,\r\nID:NAME,\r\n"
                                                  u"SEQ:ID,\r\nSEQ:SEQ,\r\nSEQ:NAME"_qs);
}

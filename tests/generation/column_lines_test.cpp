#include "common/error.h"
#include "generation/expansion_fixture.h"

using namespace tavrune;

using ColumnLinesTest = test::ExpansionTest;

TEST_F(ColumnLinesTest, OneLinePerColumnJoinedWithCommas)
{
    m_format.RowScale = m_format.RowLength; // no scale column
    addColumn(u"ID"_qs, u"NUMBER"_qs, u"10"_qs);
    addColumn(u"NAME"_qs, u"VARCHAR2"_qs, u"20"_qs);
    EXPECT_EQ(expand(u"[%RowTitle] [%RowType]"_qs), u"ID NUMBER(10),\r\nNAME VARCHAR2(20)"_qs);
}

TEST_F(ColumnLinesTest, EndsAtTheFirstEmptyTitleOrTheLastUsedRow)
{
    addColumn(u"   "_qs, u"NUMBER"_qs); // blanks are a title
    addColumn(u"ONLY"_qs, u"NUMBER"_qs);
    m_nextRow++;
    addColumn(u"AFTER_GAP"_qs, u"NUMBER"_qs);
    EXPECT_EQ(expand(u"<[%RowTitle]>"_qs), u"<   >,\r\n<ONLY>"_qs);
    m_format.RowStart = 10;
    EXPECT_EQ(expand(u"<[%RowTitle]>"_qs), u"<AFTER_GAP>"_qs);
    // An empty first title, or a start below the last used row: nothing at all.
    m_format.RowStart = 9;
    EXPECT_EQ(expand(u"[%TableName] [%RowTitle]"_qs), QString());
    m_format.RowStart = 11;
    EXPECT_EQ(expand(u"[%TableName] [%RowTitle]"_qs), QString());
    EXPECT_EQ(m_source.readLog().size(), 6); // the table cells only
}

TEST_F(ColumnLinesTest, TypeRule)
{
    addColumn(u"A"_qs, u" NUMBER "_qs, u"10"_qs, u"2"_qs);
    addColumn(u"B"_qs, u"VARCHAR2"_qs, u" 20 "_qs);
    addColumn(u"C"_qs, u"DATE"_qs);
    addColumn(u"D"_qs, QString(), u"10"_qs, u"2"_qs);
    addColumn(u"E"_qs, u"CHAR"_qs, u"abc"_qs, u"2"_qs);
    addColumn(u"F"_qs, u"NUMBER"_qs, u"(5,1)"_qs);
    addColumn(u"G"_qs, u"NUMBER"_qs, u"(7"_qs); // not a number: the bare type
    addColumn(u"H"_qs, u"NUMBER"_qs, u"1,000"_qs);
    addColumn(u"I"_qs, u"NUMBER"_qs, u"1.5"_qs, u"x"_qs); // the scale is not checked
    EXPECT_EQ(expand(u"[%RowTitle]=[%RowType];"_qs),
              u"A=NUMBER(10,2);\r\nB=VARCHAR2( 20 );\r\nC=DATE;\r\nD=;\r\nE=CHAR;\r\n"
              u"F=NUMBER(5,1);\r\nG=NUMBER;\r\nH=NUMBER(1,000);\r\nI=NUMBER(1.5,x);"_qs);
}

TEST_F(ColumnLinesTest, TypeRuleWithSharedColumns)
{
    addColumn(u"A"_qs, u"CHAR(3)"_qs, u"10"_qs, u"2"_qs);
    m_format.RowLength = m_format.RowType;
    EXPECT_EQ(expand(u"[%RowTitle] [%RowType]"_qs), u"A CHAR(3)"_qs);
    EXPECT_EQ(m_source.readLog().mid(2, 3),
              (QStringList{u"顧客!B7"_qs, u"顧客!B7"_qs, u"顧客!C7"_qs}));

    m_format.RowLength = u"D"_qs;
    m_format.RowScale = u"D"_qs;
    EXPECT_EQ(expand(u"[%RowTitle] [%RowType]"_qs), u"A CHAR(3)(10)"_qs);
}

TEST_F(ColumnLinesTest, ReadsEveryColumnCellInOrderEvenWhenUnused)
{
    addColumn(u"ID"_qs, u"NUMBER"_qs, u"10"_qs, u"2"_qs);
    expand(u"[%RowTitle] [%RowType]"_qs);
    EXPECT_EQ(m_source.readLog().mid(2, 9),
              (QStringList{u"顧客!B7"_qs, u"顧客!B7"_qs, u"顧客!C7"_qs, u"顧客!D7"_qs,
                           u"顧客!E7"_qs, u"顧客!G7"_qs, u"顧客!H7"_qs, u"顧客!I7"_qs,
                           u"顧客!E1"_qs})); // row 7 is the last used row

    m_format.Comment = QString();
    try {
        expand(u"[%RowTitle]"_qs);
        FAIL() << "an empty comment field was accepted";
    } catch (const Error& error) {
        EXPECT_TRUE(error.description().contains(u"Comment の列"_qs)) << error.what();
        EXPECT_TRUE(error.description().contains(u"\"7\""_qs)) << error.what();
    }
    m_format.Comment = u"I"_qs;
    m_format.RowStart = 0;
    EXPECT_THROW(expand(u"[%RowTitle]"_qs), Error);
}

TEST_F(ColumnLinesTest, NotNullRule)
{
    addColumn(u"A"_qs, u"T"_qs, {}, {}, {}, u"○"_qs);
    addColumn(u"B"_qs, u"T"_qs, {}, {}, {}, u" ○"_qs);
    addColumn(u"C"_qs, u"T"_qs, {}, {}, {}, u"  "_qs);
    addColumn(u"D"_qs, u"T"_qs);
    EXPECT_EQ(expand(u"[%RowTitle]:[%NotNull];"_qs), u"A:NOT NULL;\r\nB:;\r\nC:;\r\nD:;"_qs);
    m_format.StrNotNull = u"[%*]"_qs;
    EXPECT_EQ(expand(u"[%RowTitle]:[%NotNull];"_qs),
              u"A:NOT NULL;\r\nB:NOT NULL;\r\nC:;\r\nD:;"_qs);
    // An empty match string matches the rows without a mark.
    m_format.StrNotNull = QString();
    EXPECT_EQ(expand(u"[%RowTitle]:[%NotNull];"_qs), u"A:;\r\nB:;\r\nC:;\r\nD:NOT NULL;"_qs);
}

TEST_F(ColumnLinesTest, CleanUpRemovesBlanksLeftByEmptyValues)
{
    addColumn(u"A"_qs, u"T"_qs, {}, {}, {}, u"○"_qs);
    addColumn(u"B"_qs, u"T"_qs);
    EXPECT_EQ(expand(u"[%RowTitle]\t[%NotNull]"_qs), u"A\tNOT NULL,\r\nB"_qs);
    EXPECT_EQ(expand(u"[%RowTitle]\t[%NotNull],"_qs), u"A\tNOT NULL,\r\nB,"_qs);
    EXPECT_EQ(expand(u"[%RowTitle] [%Default]  [%NotNull] ,"_qs), u"A   NOT NULL,\r\nB,"_qs);
    EXPECT_EQ(expand(u"[%RowTitle] \t[%Comment]"_qs), u"A ,\r\nB "_qs);
}

TEST_F(ColumnLinesTest, DefaultsInApostrophesForCharacterTypes)
{
    addColumn(u"A"_qs, u"VARCHAR2"_qs, {}, {}, {}, {}, u"abc"_qs);
    addColumn(u"B"_qs, u"NUMBER"_qs, {}, {}, {}, {}, u"0"_qs);
    addColumn(u"C"_qs, u"nchar"_qs, {}, {}, {}, {}, u" it's "_qs);
    addColumn(u"D"_qs, u"NUMBER"_qs, {}, {}, {}, {}, u"   "_qs);
    addColumn(u"E"_qs, QString(), {}, {}, {}, {}, u"x"_qs);
    EXPECT_EQ(expand(u"[%RowTitle] [%RowType] [%Default];"_qs),
              u"A VARCHAR2 DEFAULT 'abc';\r\nB NUMBER DEFAULT 0;\r\n"
              u"C nchar DEFAULT ' it's ';\r\nD NUMBER ;\r\nE  DEFAULT x;"_qs);
    // Without the type rule the type name stays empty: no apostrophes at all.
    EXPECT_EQ(expand(u"[%RowTitle] [%Default];"_qs),
              u"A DEFAULT abc;\r\nB DEFAULT 0;\r\nC DEFAULT  it's ;\r\nD ;\r\nE DEFAULT x;"_qs);
}

TEST_F(ColumnLinesTest, TheTypeNameComesFromTheLastRowThatTookTheTypeRule)
{
    // Only the first row's title asks for its type; the rows after it keep CHAR.
    addColumn(u"A[%RowType]"_qs, u"CHAR"_qs, {}, {}, {}, {}, u"x"_qs);
    addColumn(u"B"_qs, u"NUMBER"_qs, {}, {}, {}, {}, u"1"_qs);
    EXPECT_EQ(expand(u"[%RowTitle] [%Default];"_qs), u"ACHAR DEFAULT 'x';\r\nB DEFAULT '1';"_qs);
    EXPECT_EQ(expand(u"[%Default]|[%RowTitle]"_qs), u"DEFAULT 'x'|ACHAR,\r\nDEFAULT '1'|B"_qs);
}

TEST_F(ColumnLinesTest, ValuesAreInsertedAsReadAndNotSearchedAgain)
{
    addColumn(u"[%RowTitle]"_qs, u"NUMBER"_qs, {}, {}, {}, {}, {}, u"[%TableName] [%Etc1]"_qs);
    EXPECT_EQ(expand(u"[%RowTitle] -- [%Comment]"_qs), u"[%RowTitle] -- [%TableName] e1"_qs);
}

TEST_F(ColumnLinesTest, PlaceholdersMadeByEarlierValuesAreReplacedByLaterOnes)
{
    // The placeholders go in one after the other (title, type, not-null, default,
    // comment), so a value may hold a later one, or complete one with the line.
    addColumn(u"[%Comment]"_qs, u"NUMBER"_qs, {}, {}, {}, {}, {}, u"c"_qs);
    addColumn(u"B"_qs, u"DATE"_qs, {}, {}, {}, {}, u"1"_qs, u"[%Default]"_qs);
    addColumn(u"C"_qs, u"NUMBER"_qs, {}, {}, {}, {}, {}, u"100%"_qs);
    addColumn(u"[%Row"_qs, u"NUMBER"_qs);
    const struct
    {
        QString line;
        QString expanded;
    } cases[] = {
        {u"[%RowTitle]|[%RowType]|[%Default]|[%Comment]"_qs,
         u"c|NUMBER||c,\r\nB|DATE|DEFAULT 1|[%Default],\r\nC|NUMBER||100%,\r\n[%Row|NUMBER||"_qs},
        {u"[%RowTitle]Type] [%rowtitle]"_qs,
         u"cType] c,\r\nBType] B,\r\nCType] C,\r\nNUMBER [%Row"_qs},
        {u"5% [%RowTitle]"_qs, u"5% c,\r\n5% B,\r\n5% C,\r\n5% [%Row"_qs},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(expand(c.line), c.expanded) << c.line.toStdString();
    }
}

TEST_F(ColumnLinesTest, LongSheetsGiveTheSameLinesOnSeveralThreads)
{
    // Rows 0-999 make lines, row 1000 has no title, row 1500 has an error in its
    // default and row 6000 in its title: a run from the top ends at row 1000 whatever
    // lies below; one from row 1001 fails at the first failure it reads in order, row
    // 1500 for column lines, row 6000 for index lines, which read no default.
    QString expected;
    QString expectedIndex;
    for (int i = 0; i < 6100; ++i) {
        const bool character = i % 3 == 0;
        const QString title = u"C%1"_qs.arg(i);
        if (i == 1000) {
            m_book.text(u"C%1"_qs.arg(m_nextRow++), u"NUMBER"_qs);
            continue;
        }
        const QString index = i % 7 == 0 ? u"○"_qs : QString();
        addColumn(title, character ? u"CHAR"_qs : u"NUMBER"_qs, u"10"_qs, {}, index, {}, u"x"_qs);
        if (i < 1000 && !index.isEmpty()) {
            expectedIndex += (i > 0 ? u",\r\n"_qs : QString()) + u"PK "_qs + title;
        }
        if (i < 1000) {
            expected += (i > 0 ? u",\r\n"_qs : QString()) + title +
                        (character ? u" CHAR(10) DEFAULT 'x'"_qs : u" NUMBER(10) DEFAULT x"_qs);
        }
    }
    m_book.error(u"H%1"_qs.arg(7 + 1500), u"#N/A"_qs).error(u"B%1"_qs.arg(7 + 6000), u"#REF!"_qs);
    const QString line = u"[%RowTitle] [%RowType] [%Default]"_qs;
    for (const bool elsewhere : {false, true}) {
        m_source.setLogReads(!elsewhere);
        m_format.RowStart = 7;
        EXPECT_EQ(expand(line), expected) << elsewhere;
        EXPECT_EQ(expand(u"PK [%Index]"_qs), expectedIndex) << elsewhere;
        m_format.RowStart = 7 + 1001;
        for (const auto& [text, cell] :
             {std::pair{line, u"H1507"_qs}, std::pair{u"PK [%Index]"_qs, u"B6007"_qs}}) {
            try {
                expand(text);
                ADD_FAILURE() << "no error " << elsewhere;
            } catch (const Error& error) {
                EXPECT_TRUE(error.description().contains(cell)) << error.what();
            }
        }
    }
}

TEST_F(ColumnLinesTest, ATypeBroughtInByATitleCarriesOverOnSeveralThreadsToo)
{
    // The line holds no type: only row 100 takes the type rule, through its title,
    // and its CHAR puts every later default, however far down, in apostrophes.
    QString expected;
    for (int i = 0; i < 3000; ++i) {
        const QString title = i == 100 ? u"[%RowType]"_qs : u"C%1"_qs.arg(i);
        addColumn(title, i == 100 ? u"CHAR"_qs : u"NUMBER"_qs, u"10"_qs, {}, {}, {}, u"x"_qs);
        expected += (i > 0 ? u",\r\n"_qs : QString()) + (i == 100 ? u"CHAR(10)"_qs : title) +
                    (i >= 100 ? u" DEFAULT 'x'"_qs : u" DEFAULT x"_qs);
    }
    for (const bool elsewhere : {false, true}) {
        m_source.setLogReads(!elsewhere);
        EXPECT_EQ(expand(u"[%RowTitle] [%Default]"_qs), expected) << elsewhere;
    }
}

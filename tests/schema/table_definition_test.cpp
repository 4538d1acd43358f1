#include "generation/expansion_fixture.h"
#include "generation/generation_run.h"
#include "schema/definition_text.h"

#include <gtest/gtest.h>

using namespace tavrune;

namespace {

// The model of a sheet, read on the sheet the expansion read.
TableDefinition definitionOf(test::SheetExpansion& sheet)
{
    sheet.expand(QString()); // opens the workbook built so far
    auto connection = sheet.m_source.attach();
    return readTableDefinition(*connection, connection->worksheetAt(u"Book1.xlsx"_qs, 1),
                               workingFormat(sheet.m_format));
}

// Every column value of the model is what the run puts in for the same row, so a
// definition read for differences never disagrees with the script written from it.
TEST(TableDefinition, ColumnsAreWhatTheRunPutsIn)
{
    test::SheetExpansion sheet;
    sheet.rows(u"ID|NUMBER|10||○|○||番号\n"
               "NAME|VARCHAR2|(40)||||abc|氏名\n"
               "RATE|NUMBER|4|2||x|0|\n"
               "CODE|CHAR|two||○||'A'|\n"
               "NOTE|||||||\n"
               "\n"
               "AFTER|CHAR|1||○|○||"_qs);
    const TableDefinition table = definitionOf(sheet);
    EXPECT_EQ(table.name, u"CUSTOMER");
    EXPECT_EQ(table.title, u"顧客マスタ");
    EXPECT_EQ(table.extra[0], u"e1");
    ASSERT_EQ(table.columns.size(), 5u); // up to the first empty title
    EXPECT_EQ(table.key(), QStringList({u"ID"_qs, u"CODE"_qs}));
    EXPECT_EQ(table.key().join(u','), sheet.expand(u"[%Index]"_qs).remove(u"\r\n"_qs));

    const FormatSetting format = workingFormat(sheet.m_format);
    QStringList fromModel;
    for (const ColumnDefinition& column : table.columns) {
        fromModel.append(QStringList{
            column.title, column.type.text, column.notNull ? format.SetNotNull : QString(),
            defaultText(format, column.type.name, column.defaultValue), column.comment}
                             .join(u'|'));
    }
    EXPECT_EQ(fromModel.join(u','),
              sheet.expand(u"[%RowTitle]|[%RowType]|[%NotNull]|[%Default]|[%Comment]"_qs)
                  .remove(u"\r\n"_qs));
}

TEST(DefinitionText, OneLinePerTableAndColumnWhateverTheCellsHold)
{
    test::SheetExpansion sheet;
    sheet.m_book.text(u"C4"_qs, u"顧客\nマスタ"_qs);
    sheet.rows(u"ID|NUMBER|10||○|○|0|番号\\旧\tID\n"
               "NAME|VARCHAR2|40||||||"_qs);
    EXPECT_EQ(definitionText({definitionOf(sheet)}),
              u"TABLE CUSTOMER 顧客\\nマスタ (sheet 顧客) ETC1 e1 ETC2 e2 ETC3 e3 ETC4 e4\n"
              "  ID NUMBER(10) KEY NOT NULL DEFAULT 0 COMMENT 番号\\\\旧\\tID\n"
              "  NAME VARCHAR2(40)\n"_qs);
}

} // namespace

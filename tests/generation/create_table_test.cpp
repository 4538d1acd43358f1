#include "generation/table_text_expander.h"
#include "workbook/file_workbook_source.h"

#include <gtest/gtest.h>

using namespace tavrune;

// A realistic CREATE TABLE template expanded over the sample workbook, as a user
// would set it up: header, column lines with type, default, NOT NULL and comment,
// a primary-key list, footer with column comments.
TEST(CreateTable, SampleWorkbookGivesTheExpectedScript)
{
    FormatSetting format;
    format.TableName = u"C3"_qs;
    format.TableTitle = u"C4"_qs;
    format.RowStart = 7;
    format.RowTitle = u"B"_qs;
    format.RowType = u"C"_qs;
    format.RowLength = u"D"_qs;
    format.RowScale = u"E"_qs;
    format.Index = u"F"_qs;
    format.StrIndex = u"○"_qs;
    format.NotNull = u"G"_qs;
    format.StrNotNull = u"[%*]"_qs;
    format.SetNotNull = u"NOT NULL"_qs;
    format.Default = u"H"_qs;
    format.SetDefault = u"DEFAULT"_qs;
    format.Comment = u"I"_qs;
    format.Etc = {u"A1"_qs, u"B3"_qs, u"B4"_qs, u"A6"_qs};

    const QStringList header{u"-- [%Etc1]: [%TableTitle]"_qs, u"CREATE TABLE [%TableName] ("_qs};
    const QStringList body{u"    [%RowTitle]\t[%RowType]\t[%Default]\t[%NotNull],"_qs,
                           u"    CONSTRAINT PK_[%TableName] PRIMARY KEY ("_qs,
                           u"        [%Index]"_qs, u"    )"_qs};
    const QStringList footer{u");"_qs, u"COMMENT ON TABLE [%TableName] IS '[%TableTitle]';"_qs,
                             u"COMMENT ON COLUMN [%TableName].[%RowTitle] IS '[%Comment]';"_qs,
                             QString()};

    FileWorkbookSource source;
    auto connection = source.Attach();
    connection->OpenWorkbook(QStringLiteral(TAVRUNE_SAMPLES "/table_definitions.xlsx"));
    const WorksheetHandle sheet = connection->WorksheetAt(u"table_definitions.xlsx"_qs, 1);
    const TableTextExpander expander(*connection, format);
    QString script;
    for (const QStringList* part : {&header, &body, &footer}) {
        for (const QString& line : *part) {
            script += expander.ExpandLine(sheet, line) + u"\r\n"_qs;
        }
    }

    EXPECT_EQ(script, u"-- テーブル定義書: 顧客マスタ\r\n"
                      u"CREATE TABLE CUSTOMER (\r\n"
                      u"    CUSTOMER_ID\tNUMBER(10)\t\tNOT NULL,\r\n"
                      u"    CUSTOMER_NAME\tVARCHAR2(100)\t\tNOT NULL,\r\n"
                      u"    CUSTOMER_KANA\tVARCHAR2(100),\r\n"
                      u"    BIRTH_DATE\tDATE,\r\n"
                      u"    POINT\tNUMBER(7,2)\tDEFAULT 0\tNOT NULL,\r\n"
                      u"    CREATED_AT\tDATE\tDEFAULT SYSDATE\tNOT NULL,\r\n"
                      u"    CONSTRAINT PK_CUSTOMER PRIMARY KEY (\r\n"
                      u"        CUSTOMER_ID\r\n"
                      u"    )\r\n"
                      u");\r\n"
                      u"COMMENT ON TABLE CUSTOMER IS '顧客マスタ';\r\n"
                      u"COMMENT ON COLUMN CUSTOMER.CUSTOMER_ID IS '顧客ID';\r\n"
                      u"COMMENT ON COLUMN CUSTOMER.CUSTOMER_NAME IS '氏名';\r\n"
                      u"COMMENT ON COLUMN CUSTOMER.CUSTOMER_KANA IS '氏名カナ';\r\n"
                      u"COMMENT ON COLUMN CUSTOMER.BIRTH_DATE IS '生年月日';\r\n"
                      u"COMMENT ON COLUMN CUSTOMER.POINT IS '保有ポイント';\r\n"
                      u"COMMENT ON COLUMN CUSTOMER.CREATED_AT IS '登録日時';\r\n"
                      u"\r\n"_qs);

    // The order-detail table has a two-column key and a character default.
    const WorksheetHandle orders = connection->WorksheetAt(u"table_definitions.xlsx"_qs, 3);
    EXPECT_EQ(expander.ExpandLine(orders, u"    [%RowTitle] [%RowType] [%Default]"_qs),
              u"    ORDER_NO NUMBER(12),\r\n"
              u"    CUSTOMER_ID NUMBER(10),\r\n"
              u"    ORDERED_ON DATE DEFAULT SYSDATE,\r\n"
              u"    STATUS CHAR(1) DEFAULT ''0''"_qs);
    const WorksheetHandle details = connection->WorksheetAt(u"table_definitions.xlsx"_qs, 4);
    EXPECT_EQ(expander.ExpandLine(details, u"PRIMARY KEY ([%Index])"_qs),
              u"PRIMARY KEY (ORDER_NO),\r\nPRIMARY KEY (LINE_NO)"_qs);
}

#include "generation/sheet_checks.h"
#include "support/memory_workbook_source.h"
#include "support/workbook_builder.h"

#include <gtest/gtest.h>

using namespace tavrune;

namespace {

RunInputs inputsFor(QList<bool> selected)
{
    RunInputs inputs;
    inputs.format.TableName = QStringLiteral("C3");
    inputs.format.TableTitle = QStringLiteral("C4");
    inputs.rowStartText = QStringLiteral("7");
    inputs.format.RowTitle = QStringLiteral("B");
    inputs.format.RowType = QStringLiteral("C");
    inputs.format.RowLength = QStringLiteral("D");
    inputs.format.RowScale = QStringLiteral("E");
    inputs.format.Comment = QStringLiteral("I");
    inputs.file.OutputFileStrCheck = {0, 1};
    inputs.file.OutputFileStr[1] = QStringLiteral(".sql");
    inputs.workbookName = QStringLiteral("book.xlsx");
    inputs.sheetSelected = std::move(selected);
    return inputs;
}

TEST(SheetChecksTest, FindsWhatWouldMakeARunFailOrWriteAWrongScript)
{
    WorkbookBuilder book;
    book.sheet(QStringLiteral("良い"))
        .text(QStringLiteral("C3"), QStringLiteral("GOOD"))
        .text(QStringLiteral("C4"), QStringLiteral("良い表"))
        .text(QStringLiteral("B7"), QStringLiteral("ID"))
        .text(QStringLiteral("C7"), QStringLiteral("NUMBER"))
        .number(QStringLiteral("D7"), 10)
        .text(QStringLiteral("B8"), QStringLiteral("AMOUNT"))
        .text(QStringLiteral("C8"), QStringLiteral("NUMBER"))
        .text(QStringLiteral("D8"), QStringLiteral("(9,2)"));
    book.sheet(QStringLiteral("悪い"))
        .text(QStringLiteral("C3"), QStringLiteral("GOOD")) // the first sheet's name
        .text(QStringLiteral("C4"), QStringLiteral("a/b"))
        .text(QStringLiteral("B7"), QStringLiteral("ID"))
        .text(QStringLiteral("D7"), QStringLiteral("十"))
        .text(QStringLiteral("B8"), QStringLiteral("ID"))
        .text(QStringLiteral("C8"), QStringLiteral("CHAR"))
        .text(QStringLiteral("E8"), QStringLiteral("x"))
        .error(QStringLiteral("I8"), QStringLiteral("#N/A"))
        .text(QStringLiteral("B9"), QStringLiteral("NOTE"))
        .text(QStringLiteral("C9"), QStringLiteral("VARCHAR2"))
        .text(QStringLiteral("I9"), QStringLiteral("é"));
    book.sheet(QStringLiteral("空"));
    book.sheet(QStringLiteral("選ばれない")).text(QStringLiteral("C3"), QStringLiteral("GOOD"));
    MemoryWorkbookSource source;
    source.addOpenWorkbook(QStringLiteral("book.xlsx"), book.build());

    const QList<SheetFinding> findings = checkSheets(source, inputsFor({true, true, true, false}));
    const QStringList where = [&] {
        QStringList list;
        for (const SheetFinding& f : findings) {
            list.append(f.sheet + u'!' + f.cell);
        }
        return list;
    }();
    EXPECT_EQ(where, QStringList({QStringLiteral("悪い!C4"), QStringLiteral("悪い!C7"),
                                  QStringLiteral("悪い!D7"), QStringLiteral("悪い!B8"),
                                  QStringLiteral("悪い!E8"), QStringLiteral("悪い!I8"),
                                  QStringLiteral("悪い!I9"), QStringLiteral("悪い!C3"),
                                  QStringLiteral("空!C3"), QStringLiteral("空!C4")}));
    const auto message = [&](qsizetype i) { return findings.at(i).message; };
    EXPECT_TRUE(message(0).contains(u"/")) << message(0).toStdString();
    EXPECT_TRUE(message(1).contains(u"データ型がありません"));
    EXPECT_TRUE(message(2).contains(u"Length の列") && message(2).contains(u"十"));
    EXPECT_TRUE(message(3).contains(u"7 行目と重複"));
    EXPECT_TRUE(message(4).contains(u"Scale の列"));
    EXPECT_TRUE(message(5).contains(u"#N/A")) << message(5).toStdString();
    EXPECT_TRUE(message(6).contains(u"U+00E9"));
    EXPECT_TRUE(message(7).contains(u"シート \"良い\""));
    EXPECT_TRUE(message(8).contains(u"テーブル名称が空"));
    EXPECT_TRUE(message(9).contains(u"テーブルタイトルが空"));
}

TEST(SheetChecksTest, OutputSettingsDecideWhatCounts)
{
    WorkbookBuilder book;
    book.sheet(QStringLiteral("S"))
        .text(QStringLiteral("C3"), QStringLiteral("T"))
        .text(QStringLiteral("C4"), QStringLiteral("a/b é"));
    MemoryWorkbookSource source;
    source.addOpenWorkbook(QStringLiteral("book.xlsx"), book.build());
    RunInputs inputs = inputsFor({true});
    // One file for all and UTF-8: neither the title's "/" nor é matter.
    inputs.file.OutputFile = 1;
    inputs.file.Encoding = OutputEncoding::Utf8;
    EXPECT_EQ(checkSheets(source, inputs), QList<SheetFinding>());
    inputs.workbookName = QStringLiteral("other.xlsx");
    ASSERT_EQ(checkSheets(source, inputs).size(), 1);
    EXPECT_TRUE(checkSheets(source, inputs).first().message.contains(u"other.xlsx"));
}

} // namespace

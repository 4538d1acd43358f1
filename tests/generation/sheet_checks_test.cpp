#include "generation/sheet_checks.h"
#include "support/memory_workbook_source.h"
#include "support/sample_format.h"
#include "support/workbook_builder.h"

#include <gtest/gtest.h>

using namespace tavrune;

namespace {

const std::atomic_bool kNeverCancelled = false;

RunInputs inputsFor(QList<bool> selected)
{
    RunInputs inputs;
    inputs.format = test::sampleFormat();
    inputs.file.OutputFileStrCheck = {0, 1};
    inputs.file.OutputFileStr[1] = u".sql"_qs;
    inputs.workbookName = u"book.xlsx"_qs;
    inputs.sheetSelected = std::move(selected);
    return inputs;
}

TEST(SheetChecksTest, FindsWhatWouldMakeARunFailOrWriteAWrongScript)
{
    WorkbookBuilder book;
    book.sheet(u"良い"_qs)
        .text(u"C3"_qs, u"GOOD"_qs)
        .text(u"C4"_qs, u"良い表"_qs)
        .text(u"B7"_qs, u"ID"_qs)
        .text(u"C7"_qs, u"NUMBER"_qs)
        .number(u"D7"_qs, 10)
        .text(u"B8"_qs, u"AMOUNT"_qs)
        .text(u"C8"_qs, u"NUMBER"_qs)
        .text(u"D8"_qs, u"(9,2)"_qs);
    book.sheet(u"悪い"_qs)
        .text(u"C3"_qs, u"GOOD"_qs) // the first sheet's name
        .text(u"C4"_qs, u"a/b"_qs)
        .text(u"B7"_qs, u"ID"_qs)
        .text(u"D7"_qs, u"十"_qs)
        .text(u"B8"_qs, u"ID"_qs)
        .text(u"C8"_qs, u"CHAR"_qs)
        .text(u"E8"_qs, u"x"_qs)
        .error(u"I8"_qs, u"#N/A"_qs)
        .text(u"B9"_qs, u"NOTE"_qs)
        .text(u"C9"_qs, u"VARCHAR2"_qs)
        .text(u"I9"_qs, u"é"_qs);
    book.sheet(u"空"_qs);
    book.sheet(u"隠れ"_qs).text(u"C3"_qs, u"HIDDEN"_qs).text(u"C4"_qs, u".profile"_qs);
    book.sheet(u"選ばれない"_qs).text(u"C3"_qs, u"GOOD"_qs);
    MemoryWorkbookSource source;
    source.addOpenWorkbook(u"book.xlsx"_qs, book.build());

    // Where each finding is, in order, and a part of what it says.
    const std::pair<QString, QString> expected[] = {
        {u"悪い!C4"_qs, u"/"_qs},
        {u"悪い!C7"_qs, u"データ型がありません"_qs},
        {u"悪い!D7"_qs, u"Length の列"_qs},
        {u"悪い!B8"_qs, u"7 行目と重複"_qs},
        {u"悪い!E8"_qs, u"Scale の列"_qs},
        {u"悪い!I8"_qs, u"#N/A"_qs},
        {u"悪い!I9"_qs, u"U+00E9"_qs},
        {u"悪い!C3"_qs, u"シート \"良い\""_qs},
        {u"空!C3"_qs, u"テーブル名称が空"_qs},
        {u"空!C4"_qs, u"テーブルタイトルが空"_qs},
        {u"隠れ!C4"_qs, u". で始まる"_qs},
    };
    const QList<SheetFinding> findings =
        checkSheets(source, inputsFor({true, true, true, true, false}), kNeverCancelled);
    ASSERT_EQ(findings.size(), std::size(expected));
    for (qsizetype i = 0; i < findings.size(); ++i) {
        const auto& [where, says] = expected[i];
        EXPECT_EQ(findings.at(i).sheet + u'!' + findings.at(i).cell, where);
        EXPECT_TRUE(findings.at(i).message.contains(says)) << findings.at(i).message.toStdString();
    }
    EXPECT_TRUE(findings.at(2).message.contains(u"十"_qs));
}

TEST(SheetChecksTest, OutputSettingsDecideWhatCounts)
{
    WorkbookBuilder book;
    book.sheet(u"S"_qs).text(u"C3"_qs, u"T"_qs).text(u"C4"_qs, u"a/b é"_qs);
    MemoryWorkbookSource source;
    source.addOpenWorkbook(u"book.xlsx"_qs, book.build());
    RunInputs inputs = inputsFor({true});
    // One file for all and UTF-8: neither the title's "/" nor é matter.
    inputs.file.OutputFile = 1;
    inputs.file.Encoding = OutputEncoding::Utf8;
    EXPECT_EQ(checkSheets(source, inputs, kNeverCancelled), QList<SheetFinding>());
    inputs.workbookName = u"other.xlsx"_qs;
    const QList<SheetFinding> findings = checkSheets(source, inputs, kNeverCancelled);
    ASSERT_EQ(findings.size(), 1);
    EXPECT_TRUE(findings.first().message.contains(u"other.xlsx"_qs));
}

TEST(SheetChecksTest, ManyFindingsOfAKindAreToldAsOneAndTheListIsBounded)
{
    // Each sheet: 100 rows titled ID with a length that is no number.
    WorkbookBuilder book;
    for (int n = 1; n <= 60; ++n) {
        book.sheet(u"S%1"_qs.arg(n)).text(u"C3"_qs, u"T"_qs).text(u"C4"_qs, u"t"_qs);
        for (int row = 7; row < 107; ++row) {
            book.text(u"B%1"_qs.arg(row), u"ID"_qs).text(u"C%1"_qs.arg(row), u"NUMBER"_qs);
            book.text(u"D%1"_qs.arg(row), u"x"_qs);
        }
    }
    MemoryWorkbookSource source;
    source.addOpenWorkbook(u"book.xlsx"_qs, book.build());
    const QList<SheetFinding> findings =
        checkSheets(source, inputsFor(QList<bool>(60, true)), kNeverCancelled);

    // In row order, the 21st of each kind stands for the rest of the sheet's.
    const auto& [d27, b28] = std::pair{findings.at(40), findings.at(41)};
    EXPECT_EQ(d27.cell, u"D27");
    EXPECT_EQ(d27.more, 100 - 21);
    EXPECT_TRUE(d27.message.endsWith(u"数値ではありません。（ほか 79 件）"_qs));
    EXPECT_EQ(b28.cell, u"B28");
    EXPECT_EQ(b28.more, 99 - 21);
    EXPECT_EQ(findings.at(42).sheet + findings.at(42).cell, u"S2D7");
    // 42 findings in the first sheet, 43 with the duplicate table name in each
    // after it: the check stops in the 24th sheet, past the bound by a row's.
    EXPECT_GT(findings.size(), kMaxFindings);
    EXPECT_LT(findings.size(), kMaxFindings + 10);
    EXPECT_EQ(findings.last().message,
              u"見つかったことが多すぎるため、シート \"S24\" でチェックを打ち切りました。");
}

} // namespace

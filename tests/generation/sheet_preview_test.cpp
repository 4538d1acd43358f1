#include "common/error.h"
#include "generation/expansion_fixture.h"
#include "generation/sheet_checks.h"
#include "generation/sheet_preview.h"

#include <gtest/gtest.h>

using namespace tavrune;

namespace {

const std::atomic_bool kNeverCancelled = false;

// The fixture's sheet, opened with count column rows, each with an index mark.
void addRows(test::SheetExpansion& sheet, int count)
{
    QStringList rows;
    for (int n = 1; n <= count; ++n) {
        rows.append(u"C%1|NUMBER|10||○"_qs.arg(n));
    }
    sheet.rows(rows.join(u'\n'));
    sheet.m_source.addOpenWorkbook(u"Book1.xlsx"_qs, sheet.m_book.build());
}

SheetPreview preview(test::SheetExpansion& sheet, const QString& body,
                     const std::atomic_bool& cancelled = kNeverCancelled)
{
    FileSetting file;
    file.Text = {body, QString(), u"END"_qs};
    return previewSheet(sheet.m_source, u"Book1.xlsx"_qs, 1, sheet.m_format, file, cancelled);
}

} // namespace

TEST(SheetPreview, ShowsTheTextUpToItsBoundsAndSaysWhenItCut)
{
    const struct
    {
        int rows;
        QString body;
        qsizetype lines;
        bool cut;
    } cases[] = {
        {10, u"[%RowTitle]"_qs, 11, false},
        {20000, u"[%RowTitle]"_qs, kMaxPreviewLines, true},
        {20000, u"x\r\n[%Index]"_qs, kMaxPreviewLines, true},
        {1, u"[%TableName]\r\n[%TableName]"_qs, 2, true}, // 600,000 characters
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.toStdString());
        test::SheetExpansion sheet;
        sheet.m_book.text(u"C3"_qs, QString(300'000, u'N'));
        addRows(sheet, c.rows);
        const SheetPreview shown = preview(sheet, c.body);
        EXPECT_EQ(shown.text.count(u'\n') + 1, c.lines);
        EXPECT_LE(shown.text.size(), kMaxPreviewChars);
        EXPECT_EQ(shown.cut, c.cut);
        // Nothing after a gap: the footer only when nothing was cut.
        EXPECT_EQ(shown.text.endsWith(u"\nEND"_qs), !c.cut);
        // The rows past the bound are not gone through: a row reads at most 8 cells.
        EXPECT_LE(sheet.m_source.readLog().size(), 8 * (kMaxPreviewLines + 2));
    }
}

TEST(SheetPreview, ACancelStopsThePreviewAndTheCheckWithinARow)
{
    const auto check = [](test::SheetExpansion& sheet, const std::atomic_bool& cancelled) {
        checkSheets(sheet.m_source, {sheet.m_format, {}, u"Book1.xlsx"_qs, {true}}, cancelled);
    };
    const auto show = [](test::SheetExpansion& sheet, const std::atomic_bool& cancelled) {
        preview(sheet, u"[%RowTitle] [%RowType]\r\n[%Index]"_qs, cancelled);
    };
    for (const auto& work : {std::function(check), std::function(show)}) {
        for (const int raisedAt : {0, 100}) { // 0: before the work starts
            test::SheetExpansion sheet;
            addRows(sheet, 1000);
            std::atomic_bool cancelled = raisedAt == 0;
            int reads = 0;
            sheet.m_source.setReadHook([&] { cancelled = cancelled || ++reads == raisedAt; });
            try {
                work(sheet, cancelled);
                ADD_FAILURE() << "not given up at " << raisedAt;
            } catch (const Error& error) {
                EXPECT_EQ(error.number(), ErrorNumber::UserDeclined);
            }
            // At most the rest of the row: its 8 cells and the title read again.
            EXPECT_LE(sheet.m_source.readLog().size(), raisedAt + 9);
        }
    }
}

#include "common/error.h"
#include "workbook/file_workbook_source.h"
#include "workbook/workbook_file_reader.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

const QString kSample = QStringLiteral(TAVRUNE_SAMPLES "/table_definitions.xlsx");

QString fixture(const char* name)
{
    return QStringLiteral(TAVRUNE_TEST_DATA "/") + QString::fromUtf8(name);
}

// Every sheet as "name|last used row" followed by the texts of A1:J30, row by row.
QStringList contentOf(const QString& path)
{
    FileWorkbookSource source;
    auto connection = source.Attach();
    connection->OpenWorkbook(path);
    QStringList lines;
    for (const WorksheetHandle& sheet : connection->ActiveWorkbookSheets()) {
        lines.append(connection->SheetName(sheet) + u'|' +
                     QString::number(connection->LastUsedRow(sheet)));
        for (int row = 1; row <= 30; ++row) {
            QStringList cells;
            for (const char16_t column : u"ABCDEFGHIJ") {
                if (column != 0) {
                    cells.append(connection->CellValue(sheet, QString(QChar(column)) +
                                                                  QString::number(row)));
                }
            }
            lines.append(cells.join(u'|'));
        }
    }
    return lines;
}

QString copyTo(const QTemporaryDir& dir, const QString& from, const QString& name)
{
    const QString to = dir.filePath(name);
    QFile::remove(to);
    EXPECT_TRUE(QFile::copy(from, to));
    return to;
}

QString errorOf(const QString& path)
{
    try {
        contentOf(path);
    } catch (const Error& error) {
        return error.description();
    }
    return {};
}

} // namespace

TEST(FileFormats, EveryFormatReadsTheSameTableDefinitions)
{
    const QStringList expected = contentOf(kSample);
    ASSERT_EQ(expected.size(), 4 * 31);
    EXPECT_EQ(expected.at(0), QStringLiteral("顧客|12"));
    EXPECT_EQ(expected.at(3), QStringLiteral("|テーブル名|CUSTOMER|||||||"));
    EXPECT_EQ(expected.at(11), QStringLiteral("5|POINT|NUMBER|7|2||○|0|保有ポイント|"));
    for (const char* name : {"formats/tables_libreoffice.ods", "formats/tables_libreoffice.xls",
                             "formats/tables_libreoffice.xlsx"}) {
        EXPECT_EQ(contentOf(fixture(name)), expected) << name;
    }
}

// LibreOffice keeps a value stored in a cell covered by a merge and writes it to
// every format; each reader returns the stored value, as the application shows it
// once the merge is undone.
TEST(FileFormats, EveryFormatReadsTheValuesStoredUnderAMerge)
{
    for (const char* name :
         {"formats/covered_value.ods", "formats/covered_value.xls", "formats/covered_value.xlsx"}) {
        SCOPED_TRACE(name);
        const WorkbookData workbook = readWorkbookFile(fixture(name));
        ASSERT_EQ(workbook.sheets().size(), 1u);
        const SheetData& sheet = workbook.sheets()[0];
        EXPECT_EQ(workbook.cellText(sheet, {1, 1}), QStringLiteral("結合元"));
        EXPECT_EQ(workbook.cellText(sheet, {1, 2}), QStringLiteral("隠れた値"));
        EXPECT_EQ(workbook.cellText(sheet, {2, 1}), QStringLiteral("42"));
        EXPECT_EQ(workbook.cellText(sheet, {2, 2}), QString());
        EXPECT_EQ(workbook.cellText(sheet, {1, 3}), QStringLiteral("右"));
        EXPECT_EQ(workbook.cellText(sheet, {2, 3}), QStringLiteral("下"));
    }
}

TEST(FileFormats, TheKindComesFromTheContentNotTheExtension)
{
    QTemporaryDir dir;
    const QStringList expected = contentOf(kSample);
    EXPECT_EQ(contentOf(copyTo(dir, fixture("formats/tables_libreoffice.ods"), "a.xlsx")),
              expected);
    EXPECT_EQ(contentOf(copyTo(dir, fixture("formats/tables_libreoffice.xls"), "b.ods")), expected);
    EXPECT_EQ(contentOf(copyTo(dir, fixture("formats/tables_libreoffice.xlsx"), "c.xls")),
              expected);

    QFile text(dir.filePath(QStringLiteral("notes.xlsx")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("No,Name\n1,CUSTOMER\n");
    text.close();
    const QString notWorkbook = errorOf(text.fileName());
    EXPECT_TRUE(notWorkbook.contains(text.fileName()));
    EXPECT_TRUE(notWorkbook.contains(QStringLiteral("形式")));

    QFile empty(dir.filePath(QStringLiteral("empty.xls")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_TRUE(errorOf(empty.fileName()).contains(QStringLiteral("空のファイル")));

    EXPECT_TRUE(errorOf(dir.path()).contains(dir.path()));
    EXPECT_TRUE(errorOf(dir.filePath(QStringLiteral("none.xlsx")))
                    .contains(QStringLiteral("見つかりません")));
}

TEST(FileFormats, ASavedWorkbookIsReadAgainAtTheNextAttach)
{
    QTemporaryDir dir;
    const QString path = copyTo(dir, kSample, QStringLiteral("Tables.xlsx"));
    FileWorkbookSource source;
    source.Attach()->OpenWorkbook(path);
    {
        auto connection = source.Attach();
        const QList<WorksheetHandle> sheets = connection->ActiveWorkbookSheets();
        ASSERT_EQ(sheets.size(), 4);
        EXPECT_EQ(connection->CellValue(sheets[0], QStringLiteral("C3")),
                  QStringLiteral("CUSTOMER"));
    }
    // The user saves the workbook in another format under the same name.
    copyTo(dir, fixture("ods/table_definitions.ods"), QStringLiteral("Tables.xlsx"));
    auto connection = source.Attach();
    EXPECT_EQ(connection->WorkbookName(1), QStringLiteral("Tables.xlsx"));
    const QList<WorksheetHandle> sheets = connection->ActiveWorkbookSheets();
    ASSERT_GE(sheets.size(), 2);
    EXPECT_EQ(connection->SheetName(sheets[1]), QStringLiteral("メモ"));
}

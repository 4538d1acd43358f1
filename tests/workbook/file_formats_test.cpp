#include "common/error.h"
#include "support/test_files.h"
#include "support/workbook_test_support.h"
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
    auto connection = source.attach();
    connection->openWorkbook(path);
    QStringList lines;
    for (const WorksheetHandle& sheet : connection->activeWorkbookSheets()) {
        lines.append(connection->sheetName(sheet) + u'|' +
                     QString::number(connection->lastUsedRow(sheet)));
        for (int row = 1; row <= 30; ++row) {
            QStringList cells;
            for (char column = 'A'; column <= 'J'; ++column) {
                cells.append(connection->cellValue(sheet, QChar(column) + QString::number(row)));
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
    // Each also under another format's extension: the kind comes from the content.
    QTemporaryDir dir;
    const std::pair<const char*, QString> files[] = {
        {"formats/tables_libreoffice.ods", u"a.xlsx"_qs},
        {"formats/tables_libreoffice.xls", u"b.ods"_qs},
        {"formats/tables_libreoffice.xlsx", u"c.xls"_qs}};
    for (const auto& [name, misnamed] : files) {
        EXPECT_EQ(contentOf(fixture(name)), expected) << name;
        EXPECT_EQ(contentOf(copyTo(dir, fixture(name), misnamed)), expected) << name;
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
        EXPECT_EQ(test::texts(workbook, workbook.sheets()[0].name() + u"!A1:C2"_qs),
                  u"結合元|隠れた値|右|42||下"_qs);
    }
}

// Neither a workbook nor a file at all: the error names the path and why.
TEST(FileFormats, WhatIsNoWorkbookIsRefusedNamingThePath)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(u"notes.xlsx"_qs);
    test::writeBytes(text, "No,Name\n1,CUSTOMER\n");
    const QString empty = dir.filePath(u"empty.xls"_qs);
    test::writeBytes(empty, "");
    const QString missing = dir.filePath(u"none.xlsx"_qs);
    const std::pair<QString, QString> failures[] = {{text, u"形式"_qs},
                                                    {empty, u"空のファイル"_qs},
                                                    {dir.path(), QString()},
                                                    {missing, u"見つかりません"_qs}};
    for (const auto& [path, reason] : failures) {
        const QString description = errorOf(path);
        EXPECT_TRUE(description.contains(path)) << description.toStdString();
        EXPECT_TRUE(description.contains(reason)) << description.toStdString();
    }
}

#include "common/error.h"
#include "schema/definition_text.h"
#include "schema/definition_workbook.h"
#include "support/sample_format.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

const QString kTemplate = QStringLiteral(TAVRUNE_SAMPLES "/definition_template.xlsx");

ColumnDefinition column(const QString& title, const QString& type, const QString& length,
                        const QString& scale, bool key, bool notNull, const QString& defaultValue,
                        const QString& comment)
{
    ColumnDefinition column{0,      title, {type, length, scale, type}, key, notNull, defaultValue,
                            comment};
    if (!length.isEmpty()) {
        column.type.text += u'(' + length + (scale.isEmpty() ? QString() : u',' + scale) + u')';
    }
    return column;
}

std::vector<TableDefinition> sampleTables()
{
    TableDefinition customer{{}, u"CUSTOMER"_qs, u"顧客 & <マスタ>"_qs, {u"e1"_qs}, {}, {}};
    customer.columns = {
        column(u"ID"_qs, u"NUMBER"_qs, u"10"_qs, {}, true, true, {}, u"番号"_qs),
        column(u"NAME"_qs, u"VARCHAR"_qs, u"40"_qs, {}, false, false, u"'A'"_qs,
               u" 先頭_x000D_\n二行目\x01"_qs),
        column(u"RATE"_qs, u"NUMERIC"_qs, u"7"_qs, u"2"_qs, true, true, u"0"_qs, {}),
        column(u"CREATED"_qs, u"TIMESTAMP"_qs, {}, {}, false, true, u"CURRENT_TIMESTAMP"_qs, {}),
    };
    TableDefinition untitled{{}, u"NO_TITLE"_qs, {}, {}, {}, {}};
    // More rows than the template has ruled.
    for (int n = 1; n <= 40; ++n) {
        untitled.columns.push_back(
            column(QStringLiteral("C%1").arg(n), u"CHAR"_qs, u"1"_qs, {}, n == 1, false, {}, {}));
    }
    return {customer, untitled};
}

FormatSetting withColumns(FormatSetting format, const QString& length, const QString& scale)
{
    format.RowLength = length;
    format.RowScale = scale;
    return format;
}

// What a sheet written from table reads back as through format: the title the sheet
// gets, and the type as the format's columns hold it.
TableDefinition asRead(TableDefinition table, const FormatSetting& format)
{
    if (table.title.isEmpty()) {
        table.title = table.name;
    }
    for (ColumnDefinition& column : table.columns) {
        if (format.RowLength == format.RowType) {
            column.type = {column.type.text, {}, {}, column.type.text};
        } else if (format.RowScale == format.RowLength && !column.type.scale.isEmpty()) {
            column.type.length += u',' + column.type.scale;
            column.type.scale.clear();
        }
    }
    return table;
}

// A workbook written from tables reads back as those tables, whichever way the
// format lays them out and whether the sheets copy a template or not.
TEST(DefinitionWorkbook, ReadsBackAsTheTablesWritten)
{
    FormatSetting marks = test::sampleFormat();
    marks.StrIndex = u"PK"_qs;
    marks.StrNotNull = u"[%*]"_qs;
    marks.TableName = u" A1 "_qs; // as typed, blanks around
    marks.TableTitle = u"B1"_qs;
    marks.Etc = {u"E1"_qs, u"F1"_qs, u"G1"_qs, u"H1"_qs};
    marks.RowStart = 3;
    const struct
    {
        const char* what;
        FormatSetting format;
        QString templatePath;
    } cases[] = {
        {"plain", test::sampleFormat(), {}},
        {"template", test::sampleFormat(), kTemplate},
        {"length in the type column", withColumns(test::sampleFormat(), u"C"_qs, u"C"_qs), {}},
        {"scale in the length column", withColumns(test::sampleFormat(), u"D"_qs, u"D"_qs),
         kTemplate},
        {"marks written as the format wants them", marks, {}},
    };
    QTemporaryDir dir;
    const std::vector<TableDefinition> tables = sampleTables();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(u"out.xlsx"_qs);
        writeDefinitionWorkbook(path, tables, c.format, {c.templatePath, {}}, {}, false);
        std::vector<TableDefinition> read = readWorkbookFileDefinitions(path, c.format);
        ASSERT_EQ(read.size(), tables.size());
        for (size_t n = 0; n < read.size(); ++n) {
            TableDefinition& table = read[n];
            EXPECT_EQ(table.sheet, definitionSheetNames(tables)[n]);
            table.sheet.clear();
            table.format = {};
            for (ColumnDefinition& column : table.columns) {
                column.row = 0;
            }
            const TableDefinition expected = asRead(tables[n], c.format);
            EXPECT_EQ(definitionText({table}), definitionText({expected}));
            EXPECT_TRUE(table == expected);
        }
    }
}

TEST(DefinitionWorkbook, SheetNamesAsTheSpreadsheetProgramsAllowThem)
{
    std::vector<TableDefinition> tables;
    for (const char16_t* title :
         {u"顧客", u"", u"顧客", u"A[1]:b*c?d/e\\f", u"'引用'",
          u"abcdefghijklmnopqrstuvwxyz0123456789", u"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234"}) {
        tables.push_back({{}, u"NAME"_qs, QString::fromUtf16(title), {}, {}, {}});
    }
    tables.push_back({{}, u"abcdefghijklmnopqrstuvwxyz01234"_qs, {}, {}, {}, {}});
    EXPECT_EQ(
        definitionSheetNames(tables),
        QStringList({u"顧客"_qs, u"NAME"_qs, u"顧客 (2)"_qs, u"A_1__b_c_d_e_f"_qs, u"_引用_"_qs,
                     u"abcdefghijklmnopqrstuvwxyz01234"_qs, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0 (2)"_qs,
                     u"abcdefghijklmnopqrstuvwxyz0 (3)"_qs}));
}

// Reading files are never replaced, a template must have the sheet named, and a
// cancelled writing leaves nothing.
TEST(DefinitionWorkbook, RefusedOrCancelledLeavesTheFilesAsTheyWere)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(u"input.xlsx"_qs);
    const QString link = dir.filePath(u"link.xlsx"_qs);
    const QString copied = dir.filePath(u"template.xlsx"_qs);
    test::writeBytes(input, "input");
    ASSERT_TRUE(QFile::link(input, link));
    ASSERT_TRUE(QFile::copy(kTemplate, copied));
    const struct
    {
        QString path;
        QString templatePath;
        QString templateSheet;
        bool cancelled;
        int number;
        QString named;
    } cases[] = {
        {link, {}, {}, false, ErrorNumber::PermissionDenied, input},
        {copied, copied, {}, false, ErrorNumber::PermissionDenied, copied},
        {dir.filePath(u"new.xlsx"_qs), copied, u"無い"_qs, false, ErrorNumber::ApplicationDefined,
         u"無い"_qs},
        {dir.filePath(u"new.xlsx"_qs), {}, {}, true, ErrorNumber::UserDeclined, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        std::atomic_bool cancelled = c.cancelled;
        try {
            writeDefinitionWorkbook(c.path, sampleTables(), test::sampleFormat(),
                                    {c.templatePath, c.templateSheet}, {input}, cancelled);
            ADD_FAILURE() << "written";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), c.number);
            EXPECT_TRUE(error.description().contains(c.named)) << error.description().toStdString();
        }
    }
    EXPECT_EQ(test::readBytes(input), "input");
    EXPECT_EQ(test::readBytes(copied), test::readBytes(kTemplate));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList({u"input.xlsx"_qs, u"link.xlsx"_qs, u"template.xlsx"_qs}));
}

} // namespace

#include "cli/batch_command.h"
#include "settings/settings_file.h"
#include "support/scripted_interaction.h"
#include "support/test_files.h"
#include "support/workbook_builder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <new>

using namespace tavrune;
using test::readBytes;
using test::writeBytes;

namespace {

const QString kWorkbook = QStringLiteral(TAVRUNE_SAMPLES "/table_definitions.xlsx");
const QString kSettings = QStringLiteral(TAVRUNE_SAMPLES "/tavrune.dat");

struct Result
{
    int status;
    QByteArray out;
    QString err;
};

Result run(QStringList arguments, const FileWorkbookSource::Reader& reader = {})
{
    arguments.prepend(u"tavrune-batch"_qs);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString err;
    QTextStream errStream(&err);
    const int status = runBatchCommand(arguments, out, errStream, reader);
    errStream.flush();
    return {status, out.data(), err};
}

// Runs with the sample settings; arguments go before the workbook.
Result runSample(const QStringList& arguments)
{
    return run(QStringList{u"--settings"_qs, kSettings} + arguments + QStringList{kWorkbook});
}

} // namespace

TEST(BatchCommand, ListsWorksheetsWithTheFormatsTableNames)
{
    const Result result = runSample({u"--list"_qs});
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(result.out), u"1\t顧客\tCUSTOMER\n"
                                             u"2\t商品\tPRODUCT\n"
                                             u"3\t注文\tORDERS\n"
                                             u"4\t注文明細\tORDER_DETAIL\n"_qs);
}

TEST(BatchCommand, WritesOneFilePerTableAndStopsAtExistingFiles)
{
    QTemporaryDir dir;
    const Result first = runSample({u"--output-dir"_qs, dir.path()});
    EXPECT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_EQ(first.err, u"終了しました。\n"_qs);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{u"商品マスタ.sql"_qs, u"注文.sql"_qs, u"注文明細.sql"_qs,
                           u"顧客マスタ.sql"_qs}));
    const QString customer =
        QStringDecoder("windows-31j").decode(readBytes(dir.filePath(u"顧客マスタ.sql"_qs)));
    EXPECT_TRUE(customer.startsWith(u"-- 顧客マスタ (CUSTOMER)\r\nCREATE TABLE CUSTOMER (\r\n"_qs));
    EXPECT_TRUE(customer.endsWith(u"IS '登録日時';\r\n\r\n"_qs));

    QFile::remove(dir.filePath(u"注文.sql"_qs));
    const Result second = runSample({u"--output-dir"_qs, dir.path()});
    EXPECT_EQ(second.status, 1);
    EXPECT_TRUE(second.err.contains(u"既に同名のファイルが存在します。"_qs));
    EXPECT_TRUE(second.err.contains(u"--overwrite"_qs));
    EXPECT_TRUE(second.err.endsWith(u"中断しました\n"_qs));
    EXPECT_FALSE(QFile::exists(dir.filePath(u"注文.sql"_qs)));

    // With --overwrite every file is written anew; a relative directory is taken
    // from the current one.
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const Result third = runSample({u"--output-dir"_qs, u"."_qs, u"--overwrite"_qs});
    QDir::setCurrent(previous);
    EXPECT_EQ(third.status, 0) << third.err.toStdString();
    EXPECT_TRUE(readBytes(dir.filePath(u"注文.sql"_qs)).startsWith("-- "));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);
}

TEST(BatchCommand, StandardOutputGetsExactlyTheFilesBytes)
{
    QTemporaryDir dir;
    const QStringList oneFile{u"--file"_qs, u"CREATE TABLE (1ファイル)"_qs};
    const Result toFile =
        runSample(oneFile + QStringList{u"--output-dir"_qs, dir.path() + u"/new/sub"_qs});
    EXPECT_EQ(toFile.status, 0) << toFile.err.toStdString();
    const QByteArray written = readBytes(dir.filePath(u"new/sub/create_tables.sql"_qs));
    EXPECT_GT(written.size(), 1000);

    const Result toStdout = runSample(oneFile + QStringList{u"--stdout"_qs});
    EXPECT_EQ(toStdout.status, 0) << toStdout.err.toStdString();
    EXPECT_EQ(toStdout.out, written);
}

TEST(BatchCommand, EncodingAndLineEndReplaceTheFileSettings)
{
    const QStringList oneFile{u"--file"_qs, u"CREATE TABLE (1ファイル)"_qs, u"--stdout"_qs};
    const Result cp932 = runSample(oneFile);
    ASSERT_EQ(cp932.status, 0) << cp932.err.toStdString();
    QString text = QStringDecoder("windows-31j").decode(cp932.out);
    const struct
    {
        const char* encoding;
        const char* eol;
        QByteArray expected;
    } cases[] = {
        {"CP932", "CRLF", cp932.out},
        {"utf-8", "crlf", text.toUtf8()},
        {"UTF-8-BOM", "LF", "\xEF\xBB\xBF" + QString(text).replace(u"\r\n"_qs, u"\n"_qs).toUtf8()},
        {"cp932", "lf", QByteArray(cp932.out).replace("\r\n", "\n")},
    };
    for (const auto& c : cases) {
        const Result result =
            runSample(oneFile + QStringList{u"--encoding"_qs, QString::fromLatin1(c.encoding),
                                            u"--eol"_qs, QString::fromLatin1(c.eol)});
        EXPECT_EQ(result.status, 0) << result.err.toStdString();
        EXPECT_EQ(result.out, c.expected) << c.encoding << " " << c.eol;
    }
    EXPECT_TRUE(text.contains(u"顧客マスタ"_qs));
}

TEST(BatchCommand, CheckListsFindingsAndSaysByItsStatus)
{
    EXPECT_EQ(runSample({u"--check"_qs}).out, QByteArray());
    EXPECT_EQ(runSample({u"--check"_qs}).status, 0);

    QTemporaryDir dir;
    const QString book = dir.filePath(u"book.xlsx"_qs);
    const Result clean = runSample({u"--check"_qs});
    // A sheet whose title cell is empty and whose rows repeat a title.
    WorkbookBuilder builder;
    builder.sheet(u"S"_qs)
        .text(u"C3"_qs, u"T"_qs)
        .text(u"B7"_qs, u"ID"_qs)
        .text(u"C7"_qs, u"NUMBER"_qs)
        .text(u"B8"_qs, u"ID"_qs)
        .text(u"C8"_qs, u"NUMBER"_qs);
    const Result result = run({u"--settings"_qs, kSettings, u"--check"_qs, kWorkbook},
                              [&](const QString&) { return builder.build(); });
    EXPECT_EQ(result.status, 1) << result.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(result.out).split(u'\n', Qt::SkipEmptyParts).size(), 2)
        << result.out.toStdString();
    EXPECT_TRUE(result.out.startsWith("S!C4: ")) << result.out.toStdString();
    EXPECT_TRUE(result.out.contains("S!B8: ")) << result.out.toStdString();
    EXPECT_EQ(clean.status, 0);
    EXPECT_TRUE(readBytes(book).startsWith("<unreadable>")); // nothing written
}

TEST(BatchCommand, SelectsSheetsByNumberRangeAndName)
{
    const auto tables = [](const Result& result) {
        QStringList names;
        const QString text = QStringDecoder("windows-31j").decode(result.out);
        for (const QString& line : text.split(u"\r\n"_qs)) {
            if (line.startsWith(u"CREATE TABLE "_qs)) {
                names.append(line.mid(13).chopped(2));
            }
        }
        return names;
    };
    EXPECT_EQ(
        tables(runSample({u"--stdout"_qs, u"--sheet"_qs, u"4"_qs, u"--sheet"_qs, u"顧客"_qs})),
        (QStringList{u"CUSTOMER"_qs, u"ORDER_DETAIL"_qs}));
    EXPECT_EQ(tables(runSample({u"--stdout"_qs, u"--sheet"_qs, u"2-3"_qs})),
              (QStringList{u"PRODUCT"_qs, u"ORDERS"_qs}));

    EXPECT_EQ(runSample({u"--stdout"_qs, u"--sheet"_qs, u"0"_qs}).status, 2);
    EXPECT_EQ(runSample({u"--stdout"_qs, u"--sheet"_qs, u"3-2"_qs}).status, 2);
    const Result beyond = runSample({u"--stdout"_qs, u"--sheet"_qs, u"2-9"_qs});
    EXPECT_EQ(beyond.status, 1);
    EXPECT_TRUE(beyond.out.isEmpty());
    EXPECT_EQ(runSample({u"--stdout"_qs, u"--sheet"_qs, u"売上"_qs}).status, 1);
}

TEST(BatchCommand, ReportsUsageErrorsAndMissingInputs)
{
    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({u"--no-such-option"_qs, kWorkbook}).status, 2);
    EXPECT_EQ(run({kWorkbook, kWorkbook}).status, 2);
    EXPECT_EQ(runSample({u"--stdout"_qs, u"--output-dir"_qs, u"/tmp"_qs}).status, 2);
    EXPECT_EQ(runSample({u"--stdout"_qs, u"--encoding"_qs, u"sjis"_qs}).status, 2);
    EXPECT_EQ(runSample({u"--stdout"_qs, u"--eol"_qs, u"cr"_qs}).status, 2);

    const Result missing =
        run({u"--settings"_qs, kSettings, u"--list"_qs, u"/nonexistent/a.xlsx"_qs});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains(u"/nonexistent/a.xlsx"_qs));
    EXPECT_TRUE(missing.out.isEmpty());

    const Result noSettings = run({u"--settings"_qs, u"/nonexistent/x.dat"_qs, kWorkbook});
    EXPECT_EQ(noSettings.status, 1);
    EXPECT_TRUE(noSettings.err.contains(u"/nonexistent/x.dat"_qs));

    const Result unknownFormat = runSample({u"--format"_qs, u"無い書式"_qs, u"--stdout"_qs});
    EXPECT_EQ(unknownFormat.status, 1);
    EXPECT_TRUE(unknownFormat.err.contains(u"無い書式"_qs));

    const Result version = run({u"--version"_qs});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith("tavrune-batch "));
}

TEST(BatchCommand, AMalformedSettingsFileStopsTheRun)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(u"broken.dat"_qs);
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(readBytes(kSettings) + "\r\n");
    file.close();
    const Result result = run({u"--settings"_qs, settings, u"--stdout"_qs, kWorkbook});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.contains(settings));
    EXPECT_TRUE(result.out.isEmpty());
}

TEST(BatchCommand, TheSampleSettingsAreWhatTheProgramWrites)
{
    test::ScriptedInteraction interaction;
    FormatSettings formats;
    FileSettings files;
    ASSERT_TRUE(SettingsFile(kSettings, interaction).LoadSettingsFile(formats, files));
    ASSERT_EQ(formats.size(), 1);
    ASSERT_GE(files.size(), 2);
    EXPECT_EQ(files.at(1).OutputFileName, u"create_tables.sql"_qs);
    QTemporaryDir dir;
    const QString copy = dir.filePath(u"tavrune.dat"_qs);
    ASSERT_TRUE(SettingsFile(copy, interaction).SaveSettingsFile(formats, files));
    EXPECT_EQ(readBytes(copy), readBytes(kSettings));
    EXPECT_TRUE(interaction.shown().isEmpty());
}

TEST(BatchCommand, AnUnrepresentableCharacterNamesWhereItGoesAndComesFrom)
{
    // A table name holding a character code page 932 cannot represent, in the
    // sample format's layout.
    const auto reader = [](const QString&) {
        WorkbookBuilder book;
        book.sheet(u"顧客"_qs)
            .text(u"C3"_qs, u"CUSTOMER\U0001F600"_qs)
            .text(u"C4"_qs, u"顧客マスタ"_qs)
            .text(u"B7"_qs, u"ID"_qs)
            .text(u"C7"_qs, u"NUMBER"_qs);
        return book.build();
    };
    QTemporaryDir dir;
    const QString workbook = dir.filePath(u"book.xlsx"_qs);
    writeBytes(workbook, "book");
    const QString out = dir.filePath(u"out"_qs);
    const std::pair<QStringList, QString> modes[] = {
        {{u"--stdout"_qs}, u"標準出力"_qs},
        {{u"--output-dir"_qs, out}, u"ファイル \""_qs + out + u"/顧客マスタ.sql\""_qs},
    };
    for (const auto& [options, destination] : modes) {
        const Result result =
            run(QStringList{u"--settings"_qs, kSettings} + options + QStringList{workbook}, reader);
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(result.err.startsWith(
            u"文字 U+1F600 (\U0001F600) はシフト JIS (コードページ 932) で書けないため、"_qs +
            destination + u" に出力できません (シート \"顧客\" のセル C3)。\n"_qs))
            << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
    // The file was never written.
    EXPECT_TRUE(QDir(out).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST(BatchCommand, RunningOutOfMemoryIsReportedNotAborted)
{
    QTemporaryDir dir;
    const QString workbook = dir.filePath(u"book.xlsx"_qs);
    writeBytes(workbook, "book");
    const Result result = run({u"--settings"_qs, kSettings, u"--stdout"_qs, workbook},
                              [](const QString&) -> WorkbookData { throw std::bad_alloc(); });
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, u"メモリが足りません。ブック \""_qs + workbook +
                              u"\" の読み込みを続けられません。\n"_qs);
}

#include "cli/batch_command.h"
#include "settings/connection_settings.h"
#include "support/test_files.h"
#include "support/workbook_builder.h"
#include "workbook/workbook_file_reader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
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

TEST(BatchCommand, EncodingAndLineEndReplaceTheFileSettings)
{
    // Standard output gets exactly the bytes the file gets, in a directory made for it.
    QTemporaryDir dir;
    const QStringList oneFile{u"--file"_qs, u"CREATE TABLE (1ファイル)"_qs};
    const Result toFile =
        runSample(oneFile + QStringList{u"--output-dir"_qs, dir.path() + u"/new/sub"_qs});
    EXPECT_EQ(toFile.status, 0) << toFile.err.toStdString();
    const QByteArray cp932 = readBytes(dir.filePath(u"new/sub/create_tables.sql"_qs));
    const QString text = QStringDecoder("windows-31j").decode(cp932);
    EXPECT_TRUE(text.contains(u"顧客マスタ"_qs));
    const struct
    {
        QStringList options;
        QByteArray expected;
    } cases[] = {
        {{}, cp932},
        {{u"--encoding"_qs, u"utf-8"_qs, u"--eol"_qs, u"crlf"_qs}, text.toUtf8()},
        {{u"--encoding"_qs, u"UTF-8-BOM"_qs, u"--eol"_qs, u"LF"_qs},
         "\xEF\xBB\xBF" + QString(text).replace(u"\r\n"_qs, u"\n"_qs).toUtf8()},
        {{u"--encoding"_qs, u"cp932"_qs, u"--eol"_qs, u"lf"_qs},
         QByteArray(cp932).replace("\r\n", "\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.join(u' ').toStdString());
        const Result result = runSample(oneFile + QStringList{u"--stdout"_qs} + c.options);
        EXPECT_EQ(result.status, 0) << result.err.toStdString();
        EXPECT_EQ(result.out, c.expected);
    }
}

TEST(BatchCommand, CheckListsFindingsAndSaysByItsStatus)
{
    const Result clean = runSample({u"--check"_qs});
    EXPECT_EQ(clean.status, 0) << clean.err.toStdString();
    EXPECT_EQ(clean.out, QByteArray());

    // A sheet whose title cell is empty, its name in the listings' escapes.
    WorkbookBuilder builder;
    builder.sheet(u"S\\1\n"_qs).text(u"C3"_qs, u"T"_qs);
    const WorkbookData book = builder.build();
    const auto listing = [&](const QString& option) {
        return run({u"--settings"_qs, kSettings, option, kWorkbook},
                   [&](const QString&) { return book; });
    };
    const Result result = listing(u"--check"_qs);
    EXPECT_EQ(result.status, 1) << result.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(result.out), u"S\\\\1\\n!C4: テーブルタイトルが空です。\n"_qs);
    EXPECT_EQ(QString::fromUtf8(listing(u"--list"_qs).out), u"1\tS\\\\1\\n\tT\n"_qs);
}

TEST(BatchCommand, SelectsSheetsByNumberRangeAndName)
{
    const auto tables = [](const QStringList& sheets,
                           const FileWorkbookSource::Reader& reader = {}) {
        QStringList names;
        const QStringList arguments = QStringList{u"--settings"_qs, kSettings, u"--stdout"_qs};
        const QString text =
            QStringDecoder("windows-31j")
                .decode(run(arguments + sheets + QStringList{kWorkbook}, reader).out);
        for (const QString& line : text.split(u"\r\n"_qs)) {
            if (line.startsWith(u"CREATE TABLE "_qs)) {
                names.append(line.mid(13).chopped(2));
            }
        }
        return names;
    };
    EXPECT_EQ(tables({u"--sheet"_qs, u"4"_qs, u"--sheet"_qs, u"顧客"_qs}),
              (QStringList{u"CUSTOMER"_qs, u"ORDER_DETAIL"_qs}));
    EXPECT_EQ(tables({u"--sheet"_qs, u"2-3"_qs}), (QStringList{u"PRODUCT"_qs, u"ORDERS"_qs}));
    // A sheet's name wins over a number: the fourth sheet, named "1".
    const auto fourthNamedOne = [](const QString& path) {
        WorkbookData workbook = readWorkbookFile(path);
        workbook.sheets()[3].setName(u"1"_qs);
        return workbook;
    };
    EXPECT_EQ(tables({u"--sheet"_qs, u"1"_qs}, fourthNamedOne), QStringList{u"ORDER_DETAIL"_qs});
}

TEST(BatchCommand, UsageErrorsAndMissingInputsStopWithNoOutput)
{
    QTemporaryDir dir;
    const QString broken = dir.filePath(u"broken.dat"_qs);
    writeBytes(broken, readBytes(kSettings) + "\r\n");          // an empty last line
    const QString emptyDatabase = dir.filePath(u"empty.db"_qs); // SQLite's, of no tables
    writeBytes(emptyDatabase, {});
    const QString settings = u"--settings"_qs;
    const QString sheet = u"--sheet"_qs;
    const struct
    {
        QStringList arguments;
        int status;
        QString named; // what the message names
    } cases[] = {
        {{}, 2, {}},
        {{u"--no-such-option"_qs, kWorkbook}, 2, u"no-such-option"_qs},
        {{kWorkbook, kWorkbook}, 2, {}},
        {{settings, kSettings, u"--stdout"_qs, u"--output-dir"_qs, u"/tmp"_qs, kWorkbook}, 2, {}},
        {{settings, kSettings, u"--encoding"_qs, u"sjis"_qs, kWorkbook}, 2, u"sjis"_qs},
        {{settings, kSettings, u"--eol"_qs, u"cr"_qs, kWorkbook}, 2, u"cr"_qs},
        {{settings, kSettings, u"--stdout"_qs, sheet, u"0"_qs, kWorkbook}, 2, {}},
        {{settings, kSettings, u"--stdout"_qs, sheet, u"3-2"_qs, kWorkbook}, 2, u"3-2"_qs},
        {{settings, kSettings, u"--stdout"_qs, sheet, u"2-9"_qs, kWorkbook}, 1, {}},
        {{settings, kSettings, u"--stdout"_qs, sheet, u"売上"_qs, kWorkbook}, 1, u"売上"_qs},
        // Blank values name nothing; control characters are shown escaped.
        {{settings, kSettings, u"--list"_qs, u"--output-dir"_qs, QString(), kWorkbook},
         2,
         u"--output-dir"_qs},
        {{settings, kSettings, u"--list"_qs, sheet, u" \t"_qs, kWorkbook}, 2, u"--sheet"_qs},
        {{settings, kSettings, u"--list"_qs, u"/nonexistent/a\x1b[2J.xlsx"_qs},
         1,
         u"/nonexistent/a\\x1b[2J.xlsx"_qs},
        {{settings, u"/nonexistent/x.dat"_qs, kWorkbook}, 1, u"/nonexistent/x.dat"_qs},
        {{settings, kSettings, u"--format"_qs, u"無い書式"_qs, u"--stdout"_qs, kWorkbook},
         1,
         u"無い書式"_qs},
        {{settings, broken, u"--stdout"_qs, kWorkbook}, 1, broken},
        // --diff answers 2 for any trouble, as diff does.
        {{settings, kSettings, u"--diff"_qs, kWorkbook}, 2, u"--diff"_qs},
        {{settings, kSettings, u"--diff"_qs, u"--diff-format"_qs, u"xml"_qs, kWorkbook, kWorkbook},
         2,
         u"xml"_qs},
        {{settings, kSettings, u"--diff"_qs, u"/nonexistent/old.xlsx"_qs, kWorkbook},
         2,
         u"/nonexistent/old.xlsx"_qs},
        {{settings, broken, u"--diff"_qs, kWorkbook, kWorkbook}, 2, broken},
        {{settings, kSettings, u"--diff"_qs, u"--database"_qs, u"sqlite:///nonexistent/x.db"_qs,
          kWorkbook},
         2,
         u"接続できません"_qs},
        {{settings, kSettings, u"--diff"_qs, u"--database"_qs, u"mysql://u:pw@h/d"_qs, kWorkbook},
         2,
         u"パスワード"_qs},
        {{settings, kSettings, u"--diff"_qs, u"--database"_qs, u"手元"_qs, kWorkbook},
         2,
         u"接続設定の名前"_qs},
        {{settings, kSettings, u"--diff"_qs, u"sqlite:///a.db"_qs, u"sqlite:///b.db"_qs},
         2,
         u"片側だけ"_qs},
        {{settings, kSettings, u"--diff"_qs, u"--change"_qs, u"C"_qs, kWorkbook,
          u"sqlite:///b.db"_qs},
         2,
         u"新しい側がブック"_qs},
        // --write-workbook answers 2 for any trouble too; it never writes over an input.
        {{settings, kSettings, u"--write-workbook"_qs, u"out.xlsx"_qs}, 2, u"--database"_qs},
        {{settings, kSettings, u"--write-workbook"_qs, u"out.xlsx"_qs, u"--database"_qs,
          u"sqlite:///x.db"_qs, kWorkbook},
         2,
         u"ブック"_qs},
        {{settings, kSettings, u"--table"_qs, u"T"_qs, kWorkbook}, 2, u"--table"_qs},
        {{settings, kSettings, u"--write-workbook"_qs, u"out.xlsx"_qs, u"--database"_qs,
          u"sqlite:///x.db"_qs, u"--template-sheet"_qs, u"S"_qs},
         2,
         u"--template"_qs},
        {{settings, kSettings, u"--write-workbook"_qs, kWorkbook, u"--database"_qs,
          u"sqlite://"_qs + kSettings},
         2,
         u"--overwrite"_qs},
        {{settings, kSettings, u"--write-workbook"_qs, emptyDatabase, u"--overwrite"_qs,
          u"--database"_qs, u"sqlite://"_qs + emptyDatabase},
         2,
         emptyDatabase},
        {{settings, kSettings, u"--write-workbook"_qs, u"/nonexistent/out.xlsx"_qs,
          u"--database"_qs, u"sqlite:///nonexistent/x.db"_qs},
         2,
         u"接続できません"_qs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const Result result = run(c.arguments);
        EXPECT_EQ(result.status, c.status) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(c.named)) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
    const Result version = run({u"--version"_qs});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith("tavrune-batch "));
}

TEST(BatchCommand, DiffAnswersByItsStatusInEveryFormat)
{
    const QString old = QStringLiteral(TAVRUNE_TEST_DATA "/schema/definitions_old.xlsx");
    const QString now = QStringLiteral(TAVRUNE_TEST_DATA "/schema/definitions_new.xlsx");
    const QStringList diff = {u"--settings"_qs, kSettings, u"--diff"_qs};
    EXPECT_EQ(run(diff + QStringList{now, now}).status, 0);
    const Result text = run(diff + QStringList{old, now});
    EXPECT_EQ(text.status, 1);
    const qsizetype count = text.out.count('\n');
    const Result json = run(diff + QStringList{u"--diff-format"_qs, u"json"_qs, old, now});
    EXPECT_EQ(json.status, 1);
    EXPECT_EQ(QJsonDocument::fromJson(json.out).array().size(), count);
    const Result markdown = run(diff + QStringList{u"--diff-format"_qs, u"Markdown"_qs, old, now});
    EXPECT_EQ(markdown.out.count('\n'), count + 2); // the head and its rule

    // A change script to standard output, the statements that lose data left out
    // and named; every kind of setting listed.
    const QString portable = QStringLiteral(TAVRUNE_TEST_DATA "/samples/portable_tables.xlsx");
    const QString next = QStringLiteral(TAVRUNE_TEST_DATA "/samples/portable_tables_next.xlsx");
    const Result safe =
        run(diff + QStringList{u"--change"_qs, u"PostgreSQL (変更)"_qs, u"--no-destructive"_qs,
                               u"--stdout"_qs, u"--encoding"_qs, u"utf-8"_qs, portable, next});
    EXPECT_EQ(safe.status, 1) << safe.err.toStdString();
    EXPECT_TRUE(
        safe.out.contains("ALTER TABLE DEPARTMENT ALTER COLUMN SORT_ORDER SET DEFAULT 10;"));
    EXPECT_FALSE(safe.out.contains("DROP TABLE"));
    EXPECT_TRUE(safe.err.contains(u"EMPLOYEE.HIRED_ON, EMPLOYEE_LICENSE"_qs))
        << safe.err.toStdString();
    // A connection registered in the windows names the database.
    QTemporaryDir dir;
    const QString settings = dir.filePath(u"tavrune.dat"_qs);
    ASSERT_TRUE(QFile::copy(kSettings, settings));
    const QString database = dir.filePath(u"empty.db"_qs);
    writeBytes(database, {});
    saveConnectionSettings(connectionSettingsPathBeside(settings),
                           {{u"手元"_qs, u"sqlite"_qs, {}, {}, database, {}, {}, false}});
    const Result named =
        run({u"--settings"_qs, settings, u"--diff"_qs, u"--database"_qs, u"手元"_qs, portable});
    EXPECT_EQ(named.status, 1) << named.err.toStdString();
    EXPECT_TRUE(named.out.startsWith("table added: DEPARTMENT")) << named.out.toStdString();
    const Result listed = run({u"--settings"_qs, kSettings, u"--list-settings"_qs});
    EXPECT_TRUE(listed.out.startsWith("format\tテーブル定義書\nfile\t"));
    EXPECT_TRUE(listed.out.endsWith("change\tSQL Server (変更)\n"));
}

TEST(BatchCommand, AnUnrepresentableCharacterOnStandardOutputNamesItAndWhereItComesFrom)
{
    // A table name holding a character code page 932 cannot represent, in the
    // sample format's layout.
    WorkbookBuilder book;
    book.sheet(u"顧客"_qs)
        .text(u"C3"_qs, u"CUSTOMER\U0001F600"_qs)
        .text(u"C4"_qs, u"顧客マスタ"_qs)
        .text(u"B7"_qs, u"ID"_qs)
        .text(u"C7"_qs, u"NUMBER"_qs);
    const Result result = run({u"--settings"_qs, kSettings, u"--stdout"_qs, kWorkbook},
                              [&](const QString&) { return book.build(); });
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.startsWith(
        u"文字 U+1F600 (\U0001F600) はシフト JIS (コードページ 932) で書けないため、標準出力"
        u"に出力できません (シート \"顧客\" のセル C3)。\n"_qs))
        << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
}

TEST(BatchCommand, RunningOutOfMemoryIsReportedNotAborted)
{
    const Result result = run({u"--settings"_qs, kSettings, u"--stdout"_qs, kWorkbook},
                              [](const QString&) -> WorkbookData { throw std::bad_alloc(); });
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, u"メモリが足りません。ブック \""_qs + kWorkbook +
                              u"\" の読み込みを続けられません。\n"_qs);
}

#include "cli/batch_command.h"
#include "settings/settings_file.h"
#include "support/scripted_interaction.h"
#include "support/test_files.h"

#include <QBuffer>
#include <QDir>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

using namespace tavrune;
using test::readBytes;

namespace {

const QString kSamples = QStringLiteral(TAVRUNE_SAMPLES);
const QString kWorkbook = kSamples + u"/table_definitions.xlsx"_qs;
const QString kSettings = kSamples + u"/tavrune.dat"_qs;

// A sample file setting and what it writes from the sample workbook: the files, in
// sheet order, as samples/make_expected.sh keeps them below samples/expected/.
struct SampleSetting
{
    const char* id;
    QString name;
    QString expectedDir;
    QStringList files;
};

const std::vector<SampleSetting> kSampleSettings = {
    {"Oracle", u"Oracle (1ファイル)"_qs, {}, {u"create_tables_oracle.sql"_qs}},
    {"PostgreSQL", u"PostgreSQL (1ファイル)"_qs, {}, {u"create_tables_postgresql.sql"_qs}},
    {"MySQL", u"MySQL (1ファイル)"_qs, {}, {u"create_tables_mysql.sql"_qs}},
    {"SqlServer", u"SQL Server (1ファイル)"_qs, {}, {u"create_tables_sqlserver.sql"_qs}},
    {"SQLite", u"SQLite (1ファイル)"_qs, {}, {u"create_tables_sqlite.sql"_qs}},
    {"Markdown",
     u"Markdown (テーブルごと)"_qs,
     u"markdown"_qs,
     {u"顧客マスタ.md"_qs, u"商品マスタ.md"_qs, u"注文.md"_qs, u"注文明細.md"_qs}},
};

void PrintTo(const SampleSetting& setting, std::ostream* out)
{
    *out << setting.name.toStdString();
}

QString expectedPath(const SampleSetting& setting, const QString& file)
{
    return QDir(kSamples + u"/expected/"_qs + setting.expectedDir).filePath(file);
}

// Runs tavrune-batch in-process with the sample settings and workbook; its
// standard output.
QByteArray runSample(const SampleSetting& setting, const QStringList& options)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString messages;
    QTextStream err(&messages);
    const int status = runBatchCommand(
        QStringList{u"tavrune-batch"_qs, u"--settings"_qs, kSettings, u"--file"_qs, setting.name} +
            options + QStringList{kWorkbook},
        buffer, err);
    err.flush();
    EXPECT_EQ(status, 0) << messages.toStdString();
    return buffer.data();
}

// Where two outputs part, as the lines there, so that a failure is readable.
std::string firstDifference(const QByteArray& actual, const QByteArray& expected)
{
    const QList<QByteArray> actualLines = actual.split('\n');
    const QList<QByteArray> expectedLines = expected.split('\n');
    for (qsizetype k = 0; k < std::max(actualLines.size(), expectedLines.size()); ++k) {
        const QByteArray a = actualLines.value(k, "<end>");
        const QByteArray e = expectedLines.value(k, "<end>");
        if (a != e) {
            QStringDecoder cp932("windows-31j");
            return "line " + std::to_string(k + 1) +
                   ":\n  written:  " + cp932.decode(a).operator QString().toStdString() +
                   "\n  expected: " + cp932.decode(e).operator QString().toStdString();
        }
    }
    return {};
}

using SampleSettingTest = testing::TestWithParam<SampleSetting>;

TEST_P(SampleSettingTest, WritesTheExpectedFilesByTheirNamesAndInSheetOrderToStandardOutput)
{
    QTemporaryDir dir;
    runSample(GetParam(), {u"--output-dir"_qs, dir.path()});
    QStringList expectedNames = GetParam().files;
    expectedNames.sort();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name), expectedNames);
    QByteArray all;
    for (const QString& file : GetParam().files) {
        const QByteArray written = readBytes(QDir(dir.path()).filePath(file));
        const QByteArray expected = readBytes(expectedPath(GetParam(), file));
        EXPECT_TRUE(written == expected)
            << file.toStdString() << ", " << firstDifference(written, expected);
        all += expected;
    }
    const QByteArray out = runSample(GetParam(), {u"--stdout"_qs});
    EXPECT_TRUE(out == all) << "standard output, " << firstDifference(out, all);
}

// Every sample change setting writes from the previous sample workbook to the
// current one what samples/make_expected.sh keeps in samples/expected/changes.
TEST(SampleChangeSettings, WriteTheExpectedScripts)
{
    for (const char* database : {"Oracle", "PostgreSQL", "MySQL", "SQL Server", "SQLite"}) {
        QTemporaryDir dir;
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QString messages;
        QTextStream err(&messages);
        const int status = runBatchCommand(
            {u"tavrune-batch"_qs, u"--settings"_qs, kSettings, u"--diff"_qs, u"--change"_qs,
             QString::fromUtf8(database) + u" (変更)"_qs, u"--output-dir"_qs, dir.path(),
             kSamples + u"/table_definitions_previous.xlsx"_qs, kWorkbook},
            out, err);
        err.flush();
        EXPECT_EQ(status, 1) << messages.toStdString(); // the versions differ
        const QStringList written = QDir(dir.path()).entryList(QDir::Files);
        ASSERT_EQ(written.size(), 1) << database;
        const QByteArray expected = readBytes(kSamples + u"/expected/changes/"_qs + written[0]);
        const QByteArray actual = readBytes(dir.filePath(written[0]));
        EXPECT_TRUE(actual == expected) << database << ", " << firstDifference(actual, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(SampleSettings, SampleSettingTest, testing::ValuesIn(kSampleSettings),
                         [](const testing::TestParamInfo<SampleSetting>& info) {
                             return std::string(info.param.id);
                         });

// make_settings.py writes the file as the program itself would save it, the first
// records where the README and other tests expect them.
TEST(SampleSettings, KeepTheFirstRecordsInPlaceAndAddOneFileSettingPerOutput)
{
    test::ScriptedInteraction interaction;
    FormatSettings formats;
    FileSettings files;
    ASSERT_TRUE(SettingsFile(kSettings, interaction).loadSettingsFile(formats, files));
    QTemporaryDir dir;
    const QString saved = dir.filePath(u"tavrune.dat"_qs);
    ASSERT_TRUE(SettingsFile(saved, interaction).saveSettingsFile(formats, files));
    EXPECT_EQ(readBytes(saved), readBytes(kSettings));
    ASSERT_EQ(formats.size(), 1);
    EXPECT_EQ(formats.first().Name, u"テーブル定義書"_qs);
    QStringList names;
    for (const FileSetting& file : files) {
        names.append(file.Name);
    }
    QStringList expected{u"CREATE TABLE (テーブルごと)"_qs, u"CREATE TABLE (1ファイル)"_qs};
    for (const SampleSetting& setting : kSampleSettings) {
        expected.append(setting.name);
    }
    EXPECT_EQ(names, expected);
}

} // namespace

#include "settings/settings_file.h"
#include "support/scripted_interaction.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavrune;
using tavrune::test::ScriptedInteraction;
using test::readBytes;
using test::writeBytes;

namespace {

const QByteArray kSection = "\x02\r\n";

// Each value followed by the field end 0x01.
QByteArray fields(const QByteArrayList& values)
{
    QByteArray bytes;
    for (const QByteArray& value : values) {
        bytes += value + '\x01';
    }
    return bytes;
}

// The twelve required fields of a format line with the given start row.
QByteArray formatFields(const QByteArray& name, const QByteArray& rowStart = "7")
{
    return fields({name, "C3", "C4", rowStart, "B", "C", "D", "E", "F", "o", "G", "*"});
}

// The eleven fields of a file line with the given output mode and first check.
QByteArray fileFields(const QByteArray& mode = "0", const QByteArray& check = "0")
{
    return fields({"f", "", "", "", mode, check, "0", "", "", "", ""});
}

// The example file setting "DDL" and its fields as written.
FileSetting ddl()
{
    FileSetting s;
    s.Name = u"DDL"_qs;
    s.text(Template::Body) = u"a\r\nb"_qs;
    s.OutputFileStrCheck = {0, 1};
    s.OutputFileStr[1] = u"_T"_qs;
    s.OutputDir = u"C:\\out"_qs;
    return s;
}
const QByteArray kDdlFields =
    fields({"DDL", "a\003b", "", "", "0", "0", "1", "", "_T", "", "C:\\out"});

// Every field set, each to its own value, in the order they are declared.
FormatSetting fullFormat()
{
    const std::array<QString, 4> etc{u"H1"_qs, u""_qs, u"ｿ"_qs, u"J1"_qs};
    return {u"標準"_qs,      u"C3"_qs, u"C4"_qs,        -7,      u"B"_qs, u"C"_qs,
            u"D"_qs,         u"E"_qs,  u"F"_qs,         u"○"_qs, u"G"_qs, u"[%*]"_qs,
            u" NOT NULL"_qs, u"H"_qs,  u" DEFAULT "_qs, u"I"_qs, etc};
}

// Expects exactly one message, with the stop icon, holding each of the texts.
void expectOneStop(const ScriptedInteraction& ui, const QStringList& texts)
{
    ASSERT_EQ(ui.shown().size(), 1);
    EXPECT_EQ(ui.shown()[0].icon, MessageIcon::Stop);
    for (const QString& text : texts) {
        EXPECT_TRUE(ui.shown()[0].text.contains(text)) << ui.shown()[0].text.toStdString();
    }
}

class SettingsFileTest : public ::testing::Test
{
protected:
    QString path() const { return m_dir.filePath(u"tavrune.dat"_qs); }

    // Loads bytes written to the file; returns whether the load read everything.
    bool load(const QByteArray& bytes)
    {
        writeBytes(path(), bytes);
        return file.loadSettingsFile(formats, files);
    }

    QTemporaryDir m_dir;
    ScriptedInteraction ui;
    SettingsFile file{path(), ui};
    FormatSettings formats;
    FileSettings files;
};

} // namespace

TEST_F(SettingsFileTest, SavesFileSettingsByteForByteAndReadsThemBack)
{
    FileSetting utf8 = ddl();
    utf8.Encoding = OutputEncoding::Utf8Bom;
    utf8.LineEnding = LineEnd::Lf;
    FileSetting lfOnly = ddl();
    lfOnly.LineEnding = LineEnd::Lf;
    FileSetting japanese;
    japanese.Name = u"顧客"_qs;                     // 8C DA 8B 71
    japanese.text(Template::Body) = u"～ｱ\r\n①"_qs; // 81 60, B1, 03, 87 40
    japanese.OutputDir = u"C:\\出力\\髙"_qs;        // 8F 6F 97 CD, FB FC
    FileSetting loneBreaks = ddl();
    loneBreaks.text(Template::Body) = u"a\rb\nc\r\n\n\rd"_qs;
    FileSetting loneBreaksRead = loneBreaks;
    loneBreaksRead.text(Template::Body) = u"a\r\nb\r\nc\r\n\r\n\r\nd"_qs;
    const struct
    {
        const char* what;
        FileSettings saved;
        QByteArray bytes;
        FileSettings read;
    } cases[] = {
        {"no records: only the section line", {}, kSection, {}},
        {"encoding and line end only when not the defaults",
         {ddl(), utf8, lfOnly},
         kSection + kDdlFields + "\r\n" + kDdlFields + fields({"UTF-8-BOM", "LF"}) + "\r\n" +
             kDdlFields + fields({"CP932", "LF"}) + "\r\n",
         {ddl(), utf8, lfOnly}},
        {"Japanese text in code page 932",
         {japanese},
         kSection +
             fields({"\x8c\xda\x8b\x71", "\x81\x60\xb1\x03\x87\x40", "", "", "0", "0", "0", "", "",
                     "", "C:\\\x8f\x6f\x97\xcd\\\xfb\xfc"}) +
             "\r\n",
         {japanese}},
        {"lone CR and LF in templates are line breaks, not refused",
         {loneBreaks},
         kSection +
             fields({"DDL", "a\003b\003c\003\003\003d", "", "", "0", "0", "1", "", "_T", "",
                     "C:\\out"}) +
             "\r\n",
         {loneBreaksRead}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(file.saveSettingsFile({}, c.saved));
        EXPECT_EQ(readBytes(path()), c.bytes);
        // Loading replaces whatever the lists held.
        formats = {fullFormat()};
        files = {ddl()};
        ASSERT_TRUE(file.loadSettingsFile(formats, files));
        EXPECT_TRUE(formats.isEmpty());
        EXPECT_EQ(files, c.read);
    }
    EXPECT_TRUE(ui.shown().isEmpty());
}

TEST_F(SettingsFileTest, RoundTripKeepsEveryFieldAndTheBytes)
{
    FormatSetting second = fullFormat();
    second.Name = u"second"_qs;
    second.RowStart = 2147483647;
    FileSetting japanese = ddl();
    japanese.Name = u"顧客～"_qs;
    japanese.Text = {u"CREATE TABLE [%TableName]\r\n(\r\n"_qs, u"\r\n"_qs, u"表\x03"_qs};
    japanese.OutputFile = 1;
    japanese.OutputFileStrCheck = {1, 0};
    japanese.OutputFileName = u"全テーブル.sql"_qs;
    ASSERT_TRUE(file.saveSettingsFile({fullFormat(), second}, {ddl(), japanese}));
    const QByteArray written = readBytes(path());

    ASSERT_TRUE(file.loadSettingsFile(formats, files));
    EXPECT_EQ(formats, (FormatSettings{fullFormat(), second}));
    japanese.text(Template::Footer) = u"表\r\n"_qs; // a typed 0x03 comes back as a line break
    EXPECT_EQ(files, (FileSettings{ddl(), japanese}));

    ASSERT_TRUE(file.saveSettingsFile(formats, files));
    EXPECT_EQ(readBytes(path()), written);
    EXPECT_TRUE(ui.shown().isEmpty());
}

TEST_F(SettingsFileTest, ShortFormatLinesLoadAndAreWrittenBackWithTwentyFields)
{
    ASSERT_TRUE(load(formatFields("twelve") + "\r\n" + formatFields("fifteen") +
                     fields({"NN", "H1", "H2"}) + "\r\n" + formatFields("nineteen") +
                     fields({"NN", "", "", "", "", "Def", "SD"}) + "\r\n" + kSection));
    ASSERT_EQ(formats.size(), 3);
    // The fields a line leaves out are empty.
    const FormatSetting twelve{u"twelve"_qs, u"C3"_qs, u"C4"_qs, 7,       u"B"_qs, u"C"_qs,
                               u"D"_qs,      u"E"_qs,  u"F"_qs,  u"o"_qs, u"G"_qs, u"*"_qs,
                               {},           {},       {},       {},      {}};
    EXPECT_EQ(formats[0], twelve);
    FormatSetting expected = twelve;
    expected.Name = u"fifteen"_qs;
    expected.SetNotNull = u"NN"_qs;
    expected.Etc = {u"H1"_qs, u"H2"_qs};
    EXPECT_EQ(formats[1], expected);
    expected.Name = u"nineteen"_qs;
    expected.Etc = {};
    expected.Default = u"Def"_qs;
    expected.SetDefault = u"SD"_qs;
    EXPECT_EQ(formats[2], expected);

    ASSERT_TRUE(file.saveSettingsFile({twelve}, {}));
    EXPECT_EQ(readBytes(path()),
              formatFields("twelve") + QByteArray(8, '\x01') + "\r\n" + kSection);
}

TEST_F(SettingsFileTest, MalformedLinesStopTheLoadKeepingTheRecordsBefore)
{
    const QByteArray good = formatFields("good") + "\r\n";
    const QByteArray goodFile = fileFields("1") + "\r\n";
    const struct
    {
        const char* what;
        QByteArray bytes;
        int formats;
        int files;
        const char* line;
    } cases[] = {
        {"line ends after Default",
         good + formatFields("d") + fields({"NN", "", "", "", "", "Def"}) + "\r\n" + good, 1, 0,
         "2 行目"},
        {"empty line", good + "\r\n" + good + kSection + goodFile, 1, 0, "2 行目"},
        {"trailing empty line", good + kSection + goodFile + "\r\n", 1, 1, "4 行目"},
        {"x as output mode", kSection + goodFile + fileFields("x") + "\r\n", 0, 1, "3 行目"},
        {"file line short of a field", kSection + fileFields().chopped(1) + "\r\n", 0, 0, "2 行目"},
        {"empty start row", formatFields("e", ""), 0, 0, "1 行目"},
        {"letters in start row", formatFields("e", "12abc"), 0, 0, "1 行目"},
        {"start row beyond 32 bits", formatFields("e", "2147483648"), 0, 0, "1 行目"},
        {"check beyond 16 bits", kSection + fileFields("0", "32768"), 0, 0, "2 行目"},
        {"byte invalid in code page 932", good + formatFields("bad\x81"), 1, 0, "2 行目"},
        {"LF CR: an empty line between", formatFields("g") + "\n\r" + good, 1, 0, "2 行目"},
        {"bytes behind the last field", formatFields("e") + "NN", 0, 0, "取得文字列」の後に"},
        {"a field too many", kSection + fileFields() + fields({"UTF-8", "LF", "?"}), 0, 0,
         "2 行目を読み込めません: 「改行」の後に"},
        {"unknown encoding", kSection + fileFields() + fields({"utf8", "LF"}), 0, 0,
         "2 行目を読み込めません: 「文字コード」"},
        {"unknown line end", kSection + fileFields() + fields({"CP932", "CR"}), 0, 0, "「改行」"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedInteraction messages;
        SettingsFile settings(path(), messages);
        writeBytes(path(), c.bytes);
        EXPECT_FALSE(settings.loadSettingsFile(formats, files));
        EXPECT_EQ(formats.size(), c.formats);
        EXPECT_EQ(files.size(), c.files);
        expectOneStop(messages, {path(), QString::fromUtf8(c.line)});
    }
}

TEST_F(SettingsFileTest, LoadingFollowsTheLineRules)
{
    // Lines ended by CR or LF alone, a second section line, integers with blanks
    // and signs at the limits of their range, and a last line without its line end.
    ASSERT_TRUE(load(formatFields("a", " -2147483648 ") + "\r" + formatFields("b", "+2147483647") +
                     "\n\x02\r" + kSection +
                     fields({"f", "", "", "", "1", "-32768", "32767", "", "", "", "D"})));
    ASSERT_EQ(formats.size(), 2);
    EXPECT_EQ(formats[0].RowStart, -2147483647 - 1);
    EXPECT_EQ(formats[1].RowStart, 2147483647);
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0].OutputFile, 1);
    EXPECT_EQ(files[0].OutputFileStrCheck, (std::array<qint16, 2>{-32768, 32767}));
    EXPECT_EQ(files[0].OutputDir, u"D"_qs);
    EXPECT_TRUE(ui.shown().isEmpty());

    // Without the section line every line is a format record.
    ASSERT_TRUE(load(formatFields("a") + "\r\n" + formatFields("b") + "\r\n"));
    EXPECT_EQ(formats.size(), 2);
    EXPECT_TRUE(files.isEmpty());
}

TEST_F(SettingsFileTest, RefusedFieldsLeaveTheFileUnchanged)
{
    ASSERT_TRUE(file.saveSettingsFile({fullFormat()}, {ddl()}));
    const QByteArray before = readBytes(path());
    const struct
    {
        QString text;
        bool inFormat;
        QString expected;
    } cases[] = {
        {u"smile😀"_qs, true, u"U+1F600"_qs}, {u"𠮷野家"_qs, false, u"U+20BB7"_qs},
        {u"é"_qs, false, u"U+00E9"_qs},      {u"double ℕ"_qs, true, u"U+2115"_qs},
        {u"a\001b"_qs, true, u"U+0001"_qs},  {u"line\nbreak"_qs, false, u"U+000A"_qs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ScriptedInteraction messages;
        SettingsFile settings(path(), messages);
        FormatSetting format = fullFormat();
        FileSetting fileSetting = ddl();
        (c.inFormat ? format.Name : fileSetting.OutputDir) = c.text;
        EXPECT_FALSE(settings.saveSettingsFile({format}, {fileSetting}));
        EXPECT_EQ(readBytes(path()), before);
        expectOneStop(messages, c.inFormat ? QStringList{c.expected, u"書式設定 \""_qs + c.text}
                                           : QStringList{c.expected, u"ファイル設定 \"DDL\""_qs,
                                                         u"出力先ディレクトリ"_qs});
    }
}

TEST_F(SettingsFileTest, FailedWritesReportAndLoseNothing)
{
    ASSERT_TRUE(file.saveSettingsFile({}, {ddl()}));
    FileSetting large = ddl();
    large.text(Template::Body) = QString(5000, u'x');
    test::withFileSizeLimit(4096, [&] { EXPECT_FALSE(file.saveSettingsFile({}, {large})); });
    EXPECT_EQ(readBytes(path()), kSection + kDdlFields + "\r\n");
    expectOneStop(ui, {path(), u"ファイルが大きすぎます"_qs});
    ASSERT_TRUE(QFile::remove(path()));

    // A directory where the file should be.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"tavrune.dat"_qs));
    EXPECT_FALSE(file.saveSettingsFile({fullFormat()}, {ddl()}));
    EXPECT_TRUE(QFileInfo(path()).isDir());
    EXPECT_FALSE(file.loadSettingsFile(formats, files));
    ASSERT_EQ(ui.shown().size(), 3);
    for (const auto& shown : ui.shown()) {
        EXPECT_EQ(shown.icon, MessageIcon::Stop);
    }
    EXPECT_TRUE(ui.shown()[1].text.contains(path()));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(SettingsFileTest, NoSaveOverAFailedLoadWhenNoFreeCopyNameIsLeft)
{
    const QByteArray damaged = formatFields("kept") + "\r\n\r\n" + formatFields("unread") + "\r\n";
    ASSERT_FALSE(load(damaged));
    writeBytes(path() + u".bak"_qs, "0");
    for (int n = 1; n <= 999; ++n) {
        writeBytes(path() + u".bak."_qs + QString::number(n), QByteArray::number(n));
    }
    EXPECT_FALSE(file.saveSettingsFile(formats, files));
    EXPECT_EQ(readBytes(path()), damaged);
    EXPECT_EQ(readBytes(path() + u".bak.999"_qs), QByteArray("999"));
    EXPECT_FALSE(QFileInfo::exists(path() + u".bak.1000"_qs));
    ASSERT_EQ(ui.shown().size(), 2);
    EXPECT_EQ(ui.shown()[1].icon, MessageIcon::Stop);
    EXPECT_TRUE(ui.shown()[1].text.contains(
        u"\"%1.bak\" から \"%1.bak.999\" まですべてあります"_qs.arg(path())))
        << ui.shown()[1].text.toStdString();
    EXPECT_TRUE(file.backupPending());
}

TEST_F(SettingsFileTest, AFileNotReadWholeOrChangedSinceIsKeptAsACopyOnce)
{
    const QByteArray loaded = kSection + kDdlFields + "\r\n";
    QByteArray changed = loaded; // the same size: only the content tells
    changed[3] = 'X';
    const QByteArray damaged = formatFields("kept") + "\r\n\r\n" + formatFields("unread") + "\r\n";
    const struct
    {
        const char* what;
        std::optional<QByteArray> loaded;
        QByteArray onDisk; // when saving
        QByteArray saved;
        int shown; // messages of the load and the first save
    } cases[] = {
        {"a load stopped early", damaged, damaged,
         formatFields("kept") + QByteArray(8, '\x01') + "\r\n" + kSection, 2},
        {"changed since the load", loaded, changed, loaded, 1},
        {"put where there was none", std::nullopt, changed, kSection, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString dat = dir.filePath(u"tavrune.dat"_qs);
        writeBytes(dat + u".bak"_qs, "older copy");
        ScriptedInteraction messages;
        SettingsFile settings(dat, messages);
        if (c.loaded) {
            writeBytes(dat, *c.loaded);
        }
        settings.loadSettingsFile(formats, files);
        writeBytes(dat, c.onDisk);
        ASSERT_TRUE(settings.saveSettingsFile(formats, files));
        EXPECT_EQ(readBytes(dat + u".bak.1"_qs), c.onDisk);
        EXPECT_EQ(readBytes(dat + u".bak"_qs), QByteArray("older copy"));
        ASSERT_EQ(messages.shown().size(), c.shown);
        EXPECT_EQ(messages.shown().last().icon, MessageIcon::Information);
        EXPECT_TRUE(messages.shown().last().text.contains(dat + u".bak.1"_qs));
        // What this object wrote itself is replaced without another copy.
        ASSERT_TRUE(settings.saveSettingsFile(formats, files));
        EXPECT_EQ(readBytes(dat), c.saved);
        EXPECT_EQ(messages.shown().size(), c.shown);
        EXPECT_FALSE(QFileInfo::exists(dat + u".bak.2"_qs));
    }

    // A save refused for what it holds makes no copy yet.
    ASSERT_FALSE(load(damaged));
    formats[0].Name = u"😀"_qs;
    EXPECT_FALSE(file.saveSettingsFile(formats, files));
    EXPECT_FALSE(QFileInfo::exists(path() + u".bak"_qs));
    EXPECT_TRUE(file.backupPending());
}

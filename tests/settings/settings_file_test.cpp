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

// The example file setting "DDL".
FileSetting ddl()
{
    FileSetting s;
    s.Name = QStringLiteral("DDL");
    s.Text[0] = QStringLiteral("a\r\nb");
    s.OutputFile = 0;
    s.OutputFileStrCheck = {0, 1};
    s.OutputFileStr[1] = QStringLiteral("_T");
    s.OutputDir = QStringLiteral("C:\\out");
    return s;
}

FormatSetting fullFormat()
{
    FormatSetting s;
    s.Name = QStringLiteral("標準");
    s.TableName = QStringLiteral("C3");
    s.TableTitle = QStringLiteral("C4");
    s.RowStart = -7;
    s.RowTitle = QStringLiteral("B");
    s.RowType = QStringLiteral("C");
    s.RowLength = QStringLiteral("D");
    s.RowScale = QStringLiteral("E");
    s.Index = QStringLiteral("F");
    s.StrIndex = QStringLiteral("○");
    s.NotNull = QStringLiteral("G");
    s.StrNotNull = QStringLiteral("[%*]");
    s.SetNotNull = QStringLiteral(" NOT NULL");
    s.Etc = {QStringLiteral("H1"), QStringLiteral(""), QStringLiteral("ｿ"), QStringLiteral("J1")};
    s.Default = QStringLiteral("H");
    s.SetDefault = QStringLiteral(" DEFAULT ");
    s.Comment = QStringLiteral("I");
    return s;
}

// Twelve required format fields with the given start row.
QByteArray formatFields(const QByteArray& name, const QByteArray& rowStart = "7")
{
    return name +
           "\x01"
           "C3\x01"
           "C4\x01" +
           rowStart +
           "\x01"
           "B\x01"
           "C\x01"
           "D\x01"
           "E\x01"
           "F\x01"
           "o\x01"
           "G\x01"
           "*\x01";
}

class SettingsFileTest : public ::testing::Test
{
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("tavrune.dat")); }

    // Loads bytes written to the file; returns whether the load read everything.
    bool load(const QByteArray& bytes)
    {
        writeBytes(path(), bytes);
        return file.LoadSettingsFile(formats, files);
    }

    QTemporaryDir m_dir;
    ScriptedInteraction ui;
    SettingsFile file{path(), ui};
    FormatSettings formats;
    FileSettings files;
};

} // namespace

TEST_F(SettingsFileTest, WritesTheExampleFileSettingByteForByte)
{
    ASSERT_TRUE(file.SaveSettingsFile({}, {ddl()}));
    EXPECT_EQ(readBytes(path()), QByteArray("\x02\r\n"
                                            "DDL\x01"
                                            "a\x03"
                                            "b\x01\x01\x01"
                                            "0\x01"
                                            "0\x01"
                                            "1\x01\x01"
                                            "_T\x01\x01"
                                            "C:\\out\x01\r\n"));
    EXPECT_TRUE(ui.shown().isEmpty());
}

TEST_F(SettingsFileTest, EncodingAndLineEndAreTwoMoreFieldsOnlyWhenNotTheDefaults)
{
    FileSetting utf8 = ddl();
    utf8.Encoding = OutputEncoding::Utf8Bom;
    utf8.LineEnding = LineEnd::Lf;
    FileSetting lfOnly = ddl();
    lfOnly.LineEnding = LineEnd::Lf;
    ASSERT_TRUE(file.SaveSettingsFile({}, {ddl(), utf8, lfOnly}));
    const QList<QByteArray> lines = readBytes(path()).split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[1].endsWith("C:\\out\x01\r")); // the defaults add nothing
    EXPECT_TRUE(lines[2].endsWith("C:\\out\x01UTF-8-BOM\x01LF\x01\r"));
    EXPECT_TRUE(lines[3].endsWith("C:\\out\x01" "CP932\x01LF\x01\r"));
    ASSERT_TRUE(file.LoadSettingsFile(formats, files));
    EXPECT_EQ(files, (FileSettings{ddl(), utf8, lfOnly}));

    // Any letter case reads; an unknown or empty text is the default.
    const struct
    {
        const char* encoding;
        const char* lineEnd;
        OutputEncoding readEncoding;
        LineEnd readLineEnd;
    } cases[] = {
        {"utf-8", "lf", OutputEncoding::Utf8, LineEnd::Lf},
        {"Shift_JIS", "CR", OutputEncoding::Cp932, LineEnd::CrLf},
        {"", "", OutputEncoding::Cp932, LineEnd::CrLf},
    };
    for (const auto& c : cases) {
        writeBytes(path(), QByteArray("\x02\r\nD\x01\x01\x01\x01"
                                      "0\x01"
                                      "0\x01"
                                      "0\x01\x01\x01\x01/o\x01") +
                               c.encoding + "\x01" + c.lineEnd + "\x01\r\n");
        ASSERT_TRUE(file.LoadSettingsFile(formats, files)) << c.encoding;
        ASSERT_EQ(files.size(), 1);
        EXPECT_EQ(files[0].Encoding, c.readEncoding) << c.encoding;
        EXPECT_EQ(files[0].LineEnding, c.readLineEnd) << c.lineEnd;
    }
}

TEST_F(SettingsFileTest, EmptyListsGiveOnlyTheSectionLine)
{
    // A missing file loads nothing, quietly.
    formats.append(fullFormat());
    EXPECT_TRUE(file.LoadSettingsFile(formats, files));
    EXPECT_TRUE(formats.isEmpty());
    EXPECT_FALSE(file.backupPending());

    ASSERT_TRUE(file.SaveSettingsFile({}, {}));
    EXPECT_EQ(readBytes(path()), QByteArray("\x02\r\n"));
    formats.append(fullFormat());
    files.append(ddl());
    EXPECT_TRUE(file.LoadSettingsFile(formats, files));
    EXPECT_TRUE(formats.isEmpty());
    EXPECT_TRUE(files.isEmpty());
    EXPECT_TRUE(ui.shown().isEmpty());
}

TEST_F(SettingsFileTest, RoundTripKeepsEveryFieldAndTheBytes)
{
    FormatSetting second = fullFormat();
    second.Name = QStringLiteral("second");
    second.RowStart = 2147483647;
    FileSetting japanese = ddl();
    japanese.Name = QStringLiteral("顧客～");
    japanese.Text = {QStringLiteral("CREATE TABLE [%TableName]\r\n(\r\n"), QStringLiteral("\r\n"),
                     QStringLiteral("表\x03")};
    japanese.OutputFile = 1;
    japanese.OutputFileStrCheck = {1, 0};
    japanese.OutputFileName = QStringLiteral("全テーブル.sql");
    ASSERT_TRUE(file.SaveSettingsFile({fullFormat(), second}, {ddl(), japanese}));
    const QByteArray written = readBytes(path());

    ASSERT_TRUE(file.LoadSettingsFile(formats, files));
    EXPECT_EQ(formats, (FormatSettings{fullFormat(), second}));
    japanese.Text[2] = QStringLiteral("表\r\n"); // a typed 0x03 comes back as a line break
    EXPECT_EQ(files, (FileSettings{ddl(), japanese}));

    ASSERT_TRUE(file.SaveSettingsFile(formats, files));
    EXPECT_EQ(readBytes(path()), written);
    EXPECT_TRUE(ui.shown().isEmpty());
}

TEST_F(SettingsFileTest, JapaneseTextIsWrittenInCodePage932)
{
    FileSetting s;
    s.Name = QStringLiteral("顧客");              // 8C DA 8B 71
    s.Text[0] = QStringLiteral("～ｱ\r\n①");       // 81 60, B1, 03, 87 40
    s.OutputDir = QStringLiteral("C:\\出力\\髙"); // 8F 6F 97 CD, FB FC
    ASSERT_TRUE(file.SaveSettingsFile({}, {s}));
    EXPECT_EQ(readBytes(path()), QByteArray("\x02\r\n"
                                            "\x8c\xda\x8b\x71\x01"
                                            "\x81\x60\xb1\x03\x87\x40\x01\x01\x01"
                                            "0\x01"
                                            "0\x01"
                                            "0\x01\x01\x01\x01"
                                            "C:\\\x8f\x6f\x97\xcd\\\xfb\xfc\x01\r\n"));
    ASSERT_TRUE(file.LoadSettingsFile(formats, files));
    EXPECT_EQ(files, FileSettings{s});
}

TEST_F(SettingsFileTest, LoneLineBreaksInTemplatesAreSavedAsLineBreaks)
{
    FileSetting s = ddl();
    s.Text[0] = QStringLiteral("a\rb\nc\r\n\n\rd");
    ASSERT_TRUE(file.SaveSettingsFile({}, {s}));
    EXPECT_TRUE(readBytes(path()).contains("\x01"
                                           "a\x03"
                                           "b\x03"
                                           "c\x03\x03\x03"
                                           "d\x01"));
    ASSERT_TRUE(file.LoadSettingsFile(formats, files));
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0].Text[0], QStringLiteral("a\r\nb\r\nc\r\n\r\n\r\nd"));
}

TEST_F(SettingsFileTest, ShortFormatLinesLoadAndAreWrittenBackWithTwentyFields)
{
    ASSERT_TRUE(load(formatFields("twelve") + "\r\n" + formatFields("fifteen") +
                     "NN\x01"
                     "H1\x01"
                     "H2\x01\r\n" +
                     formatFields("nineteen") +
                     "NN\x01\x01\x01\x01\x01"
                     "Def\x01"
                     "SD\x01\r\n"
                     "\x02\r\n"));
    ASSERT_EQ(formats.size(), 3);
    FormatSetting twelve = formats[0];
    EXPECT_EQ(twelve.Name, QStringLiteral("twelve"));
    EXPECT_EQ(twelve.RowStart, 7);
    EXPECT_EQ(twelve.StrNotNull, QStringLiteral("*"));
    EXPECT_TRUE(twelve.SetNotNull.isEmpty() && twelve.Etc[0].isEmpty() &&
                twelve.Default.isEmpty() && twelve.SetDefault.isEmpty() &&
                twelve.Comment.isEmpty());
    EXPECT_EQ(formats[1].SetNotNull, QStringLiteral("NN"));
    EXPECT_EQ(formats[1].Etc[0], QStringLiteral("H1"));
    EXPECT_EQ(formats[1].Etc[1], QStringLiteral("H2"));
    EXPECT_TRUE(formats[1].Etc[2].isEmpty() && formats[1].Default.isEmpty());
    EXPECT_EQ(formats[2].Default, QStringLiteral("Def"));
    EXPECT_EQ(formats[2].SetDefault, QStringLiteral("SD"));
    EXPECT_TRUE(formats[2].Comment.isEmpty());

    ASSERT_TRUE(file.SaveSettingsFile({twelve}, {}));
    EXPECT_EQ(readBytes(path()), formatFields("twelve") + QByteArray(8, '\x01') + "\r\n\x02\r\n");
}

TEST_F(SettingsFileTest, MalformedLinesStopTheLoadKeepingTheRecordsBefore)
{
    struct Case
    {
        const char* what;
        QByteArray bytes;
        int formats;
        int files;
        const char* line;
    };
    const QByteArray good = formatFields("good") + "\r\n";
    const QByteArray goodFile = "f\x01\x01\x01\x01"
                                "1\x01"
                                "0\x01"
                                "0\x01\x01\x01\x01\x01\r\n";
    const QList<Case> cases = {
        {"line ends after Default",
         good + formatFields("d") +
             "NN\x01\x01\x01\x01\x01"
             "Def\x01\r\n" +
             good,
         1, 0, "2 行目"},
        {"empty line", good + "\r\n" + good + "\x02\r\n" + goodFile, 1, 0, "2 行目"},
        {"trailing empty line", good + "\x02\r\n" + goodFile + "\r\n", 1, 1, "4 行目"},
        {"x as output mode",
         "\x02\r\n" + goodFile +
             "f\x01\x01\x01\x01"
             "x\x01"
             "0\x01"
             "0\x01\x01\x01\x01\x01\r\n",
         0, 1, "3 行目"},
        {"file line short of a field",
         "\x02\r\n"
         "f\x01\x01\x01\x01"
         "0\x01"
         "0\x01"
         "0\x01\x01\x01\x01\r\n",
         0, 0, "2 行目"},
        {"empty start row", formatFields("e", ""), 0, 0, "1 行目"},
        {"letters in start row", formatFields("e", "12abc"), 0, 0, "1 行目"},
        {"start row beyond 32 bits", formatFields("e", "2147483648"), 0, 0, "1 行目"},
        {"check beyond 16 bits",
         "\x02\r\n"
         "f\x01\x01\x01\x01"
         "0\x01"
         "32768\x01"
         "0\x01\x01\x01\x01\x01",
         0, 0, "2 行目"},
        {"byte invalid in code page 932", good + formatFields("bad\x81"), 1, 0, "2 行目"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedInteraction messages;
        SettingsFile settings(path(), messages);
        writeBytes(path(), c.bytes);
        EXPECT_FALSE(settings.LoadSettingsFile(formats, files));
        EXPECT_EQ(formats.size(), c.formats);
        EXPECT_EQ(files.size(), c.files);
        ASSERT_EQ(messages.shown().size(), 1);
        EXPECT_EQ(messages.shown()[0].icon, MessageIcon::Stop);
        EXPECT_TRUE(messages.shown()[0].text.contains(path()));
        EXPECT_TRUE(messages.shown()[0].text.contains(QString::fromUtf8(c.line)))
            << messages.shown()[0].text.toStdString();
    }
}

TEST_F(SettingsFileTest, LoadingFollowsTheLineRules)
{
    // Lines ended by CR alone, text behind the last field, a second section line,
    // integers with blanks and signs at the limits of their range, and a last line
    // without its line end.
    ASSERT_TRUE(load(formatFields("a", " -2147483648 ") + "ignored\r" +
                     formatFields("b", "+2147483647") +
                     "\r\n\x02\r\x02\r\n"
                     "f\x01"
                     "x\x03y\x01\x01\x01"
                     "1\x01"
                     "-32768\x01"
                     "32767\x01\x01\x01\x01"
                     "D\x01"
                     "more"));
    ASSERT_EQ(formats.size(), 2);
    EXPECT_EQ(formats[0].RowStart, -2147483647 - 1);
    EXPECT_EQ(formats[1].RowStart, 2147483647);
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0].Text[0], QStringLiteral("x\r\ny"));
    EXPECT_EQ(files[0].OutputFile, 1);
    EXPECT_EQ(files[0].OutputFileStrCheck[0], -32768);
    EXPECT_EQ(files[0].OutputFileStrCheck[1], 32767);
    EXPECT_EQ(files[0].OutputDir, QStringLiteral("D"));
    EXPECT_TRUE(ui.shown().isEmpty());

    // Without the section line every line is a format record.
    ASSERT_TRUE(load(formatFields("a") + "\r\n" + formatFields("b") + "\r\n"));
    EXPECT_EQ(formats.size(), 2);
    EXPECT_TRUE(files.isEmpty());
}

TEST_F(SettingsFileTest, RefusedFieldsLeaveTheFileUnchanged)
{
    ASSERT_TRUE(file.SaveSettingsFile({fullFormat()}, {ddl()}));
    const QByteArray before = readBytes(path());
    struct Case
    {
        QString text;
        bool inFormat;
        QString expected;
    };
    const QList<Case> cases = {
        {QStringLiteral("smile😀"), true, QStringLiteral("U+1F600")},
        {QStringLiteral("𠮷野家"), false, QStringLiteral("U+20BB7")},
        {QStringLiteral("é"), false, QStringLiteral("U+00E9")},
        {QStringLiteral("double ℕ"), true, QStringLiteral("U+2115")},
        {QStringLiteral("a\x01"
                        "b"),
         true, QStringLiteral("U+0001")},
        {QStringLiteral("line\nbreak"), false, QStringLiteral("U+000A")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ScriptedInteraction messages;
        SettingsFile settings(path(), messages);
        FormatSetting format = fullFormat();
        FileSetting fileSetting = ddl();
        if (c.inFormat) {
            format.Name = c.text;
        } else {
            fileSetting.OutputDir = c.text;
        }
        EXPECT_FALSE(settings.SaveSettingsFile({format}, {fileSetting}));
        EXPECT_EQ(readBytes(path()), before);
        ASSERT_EQ(messages.shown().size(), 1);
        const QString message = messages.shown()[0].text;
        EXPECT_EQ(messages.shown()[0].icon, MessageIcon::Stop);
        EXPECT_TRUE(message.contains(c.expected)) << message.toStdString();
        EXPECT_TRUE(message.contains(c.inFormat ? QStringLiteral("書式設定 \"") + c.text
                                                : QStringLiteral("ファイル設定 \"DDL\"")))
            << message.toStdString();
        if (!c.inFormat) {
            EXPECT_TRUE(message.contains(QStringLiteral("出力先ディレクトリ")));
        }
    }
    // A template may hold line breaks that other fields may not.
    FileSetting multiLine = ddl();
    multiLine.Text[1] = QStringLiteral("x\ny");
    EXPECT_TRUE(file.SaveSettingsFile({}, {multiLine}));
}

TEST_F(SettingsFileTest, FailedWritesReportAndLoseNothing)
{
    // A directory where the file should be, and a path below a regular file.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("tavrune.dat")));
    EXPECT_FALSE(file.SaveSettingsFile({fullFormat()}, {ddl()}));
    EXPECT_TRUE(QFileInfo(path()).isDir());
    EXPECT_FALSE(file.LoadSettingsFile(formats, files));

    const QString blocker = m_dir.filePath(QStringLiteral("plain"));
    writeBytes(blocker, "x");
    SettingsFile below(blocker + QStringLiteral("/tavrune.dat"), ui);
    EXPECT_FALSE(below.SaveSettingsFile({}, {}));
    EXPECT_EQ(readBytes(blocker), QByteArray("x"));

    ASSERT_EQ(ui.shown().size(), 3);
    for (const auto& shown : ui.shown()) {
        EXPECT_EQ(shown.icon, MessageIcon::Stop);
    }
    EXPECT_TRUE(ui.shown()[0].text.contains(path()));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("plain")});
}

TEST_F(SettingsFileTest, SaveAfterAFailedLoadKeepsACopyOnce)
{
    const QByteArray damaged = formatFields("kept") + "\r\n\r\n" + formatFields("unread") + "\r\n";
    ASSERT_FALSE(load(damaged));
    ASSERT_EQ(formats.size(), 1);
    writeBytes(path() + QStringLiteral(".bak"), "older copy");
    EXPECT_TRUE(file.backupPending());

    ASSERT_TRUE(file.SaveSettingsFile(formats, files));
    const QString copy = path() + QStringLiteral(".bak.1");
    EXPECT_EQ(readBytes(copy), damaged);
    EXPECT_EQ(readBytes(path() + QStringLiteral(".bak")), QByteArray("older copy"));
    ASSERT_EQ(ui.shown().size(), 2);
    EXPECT_EQ(ui.shown()[1].icon, MessageIcon::Information);
    EXPECT_TRUE(ui.shown()[1].text.contains(copy));

    // Further saves replace the file without another copy.
    ASSERT_TRUE(file.SaveSettingsFile(formats, files));
    EXPECT_FALSE(QFileInfo::exists(path() + QStringLiteral(".bak.2")));
    EXPECT_EQ(ui.shown().size(), 2);
    EXPECT_EQ(readBytes(path()), formatFields("kept") + QByteArray(8, '\x01') + "\r\n\x02\r\n");

    // A refused save after a failed load makes no copy yet.
    SettingsFile again(path(), ui);
    writeBytes(path(), damaged);
    ASSERT_FALSE(again.LoadSettingsFile(formats, files));
    formats[0].Name = QStringLiteral("😀");
    EXPECT_FALSE(again.SaveSettingsFile(formats, files));
    EXPECT_FALSE(QFileInfo::exists(path() + QStringLiteral(".bak.2")));
    EXPECT_TRUE(again.backupPending());
}

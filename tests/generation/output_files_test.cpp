#include "common/error.h"
#include "generation/file_output_target.h"
#include "generation/output_files.h"
#include "generation/split_lines.h"
#include "support/scripted_interaction.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavrune;

TEST(SplitLines, SplitsAtCrLfOnly)
{
    const QString name = u"本文"_qs;
    EXPECT_EQ(SplitLines(QString(), name), QStringList{QString()});
    EXPECT_EQ(SplitLines(u"a\r\nb"_qs, name), (QStringList{u"a"_qs, u"b"_qs}));
    EXPECT_EQ(SplitLines(u"a\r\n"_qs, name), (QStringList{u"a"_qs, QString()}));
    EXPECT_EQ(SplitLines(u"a\rb\nc\n\r"_qs, name), QStringList{u"a\rb\nc\n\r"_qs});
    EXPECT_EQ(SplitLines(u"\r\n\r\n"_qs, name), (QStringList{QString(), QString(), QString()}));
}

TEST(SplitLines, SixteenBitLimitsAreClearErrors)
{
    const QString name = u"フッタ"_qs;
    EXPECT_EQ(SplitLines(QString(32764, u'x') + u"\r\n"_qs, name).size(), 2);
    EXPECT_EQ(SplitLines(QString(40000, u'x'), name).size(), 1); // no break behind it
    try {
        SplitLines(u"ok\r\n"_qs + QString(32765, u'x') + u"\r\n"_qs, name);
        FAIL() << "a line of 32,765 characters was accepted";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::Overflow);
        EXPECT_TRUE(error.description().contains(u"フッタの 2 行目"_qs)) << error.what();
    }
    QString many;
    for (int i = 1; i < 32767; ++i) {
        many += u"\r\n"_qs;
    }
    EXPECT_EQ(SplitLines(many, name).size(), 32767);
    EXPECT_THROW(SplitLines(many + u"\r\n"_qs, name), Error);
}

TEST(OutputPaths, TrimAndAddSeparators)
{
    EXPECT_EQ(TrimPathSeparators(u"  /out/ "_qs), u"/out"_qs);
    EXPECT_EQ(TrimPathSeparators(u"/out// / "_qs), u"/out"_qs);
    EXPECT_EQ(TrimPathSeparators(u" / "_qs), u"/"_qs);
    EXPECT_EQ(AddPathSeparator(u" /out "_qs), u"/out/"_qs);
    EXPECT_EQ(AddPathSeparator(u"/out/"_qs), u"/out/"_qs);
    EXPECT_EQ(AddPathSeparator(u"/out//"_qs), u"/out//"_qs);
    EXPECT_EQ(AddPathSeparator(QString()), u"/"_qs);
}

TEST(EnsureOutputDir, ExistingMissingAndRefused)
{
    QTemporaryDir dir;
    test::ScriptedInteraction interaction;
    EnsureOutputDir(dir.path() + u"/ "_qs, interaction);
    EXPECT_TRUE(interaction.shown().isEmpty());

    for (const QString& bad : {u"out/sub"_qs, u"~/out"_qs, QString()}) {
        try {
            EnsureOutputDir(bad, interaction);
            FAIL() << "accepted " << bad.toStdString();
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::PathFileAccess);
            EXPECT_TRUE(error.description().contains(u'"' + bad + u'"'));
        }
    }
    EXPECT_TRUE(interaction.shown().isEmpty());

    // A file where a level is needed counts as existing; creating below it fails,
    // leaving the levels made before.
    QFile blocker(dir.filePath(u"a/file"_qs));
    ASSERT_TRUE(QDir(dir.path()).mkpath(u"a"_qs));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    interaction.answer(Answer::Ok);
    EXPECT_THROW(EnsureOutputDir(dir.filePath(u"a/new/../file/x"_qs), interaction), Error);
    EXPECT_TRUE(QFileInfo(dir.filePath(u"a/new"_qs)).isDir());
    EXPECT_EQ(interaction.shown().size(), 1);
}

TEST(FileOutputTarget, ExistenceDeleteAndAppend)
{
    QTemporaryDir dir;
    FileOutputTarget output;
    const QString hidden = dir.filePath(u".hidden"_qs);
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"sub"_qs));
    EXPECT_FALSE(output.OutputFileExists(hidden));
    EXPECT_FALSE(output.OutputFileExists(dir.filePath(u"sub"_qs)));
    EXPECT_FALSE(output.OutputFileExists(dir.filePath(u"*"_qs)));

    output.OpenOutputFile(hidden);
    output.WriteOutputLine(u"ｱｲｳ 表"_qs);
    output.CloseOutputFile();
    output.OpenOutputFile(hidden);
    output.WriteOutputLine(QString());
    output.CloseOutputFile();
    output.CloseOutputFile(); // nothing open: nothing happens
    EXPECT_TRUE(output.OutputFileExists(hidden));
    QFile file(hidden);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xB1\xB2\xB3 \x95\x5C\r\n\r\n"));

    output.DeleteOutputFile(hidden);
    EXPECT_FALSE(output.OutputFileExists(hidden));
    EXPECT_THROW(output.DeleteOutputFile(hidden), Error);
    EXPECT_THROW(output.OpenOutputFile(dir.filePath(u"sub"_qs)), Error);
    EXPECT_THROW(output.OpenOutputFile(dir.filePath(u"none/x.sql"_qs)), Error);
}

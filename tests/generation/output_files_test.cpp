#include "common/error.h"
#include "common/system_error_text.h"
#include "generation/expansion_fixture.h"
#include "generation/file_output_target.h"
#include "generation/output_files.h"
#include "generation/split_lines.h"
#include "support/scripted_interaction.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavrune;

TEST(splitLines, SplitsAtCrLfOnlyWithinSixteenBitLimits)
{
    const QString name = u"フッタ"_qs;
    EXPECT_EQ(splitLines(QString(), name), QStringList{QString()});
    EXPECT_EQ(splitLines(u"a\r\nb"_qs, name), (QStringList{u"a"_qs, u"b"_qs}));
    EXPECT_EQ(splitLines(u"a\r\n"_qs, name), (QStringList{u"a"_qs, QString()}));
    EXPECT_EQ(splitLines(u"a\rb\nc\n\r"_qs, name), QStringList{u"a\rb\nc\n\r"_qs});
    EXPECT_EQ(splitLines(u"\r\n\r\n"_qs, name), (QStringList{QString(), QString(), QString()}));
    // At most 32,764 characters a line, 32,767 lines.
    EXPECT_EQ(splitLines(QString(32764, u'x') + u"\r\n"_qs, name).size(), 2);
    EXPECT_EQ(splitLines(QString(40000, u'x'), name).size(), 1); // no break behind it
    try {
        splitLines(u"ok\r\n"_qs + QString(32765, u'x') + u"\r\n"_qs, name);
        FAIL() << "a line of 32,765 characters was accepted";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::Overflow);
        EXPECT_TRUE(error.description().contains(u"フッタの 2 行目"_qs)) << error.what();
    }
    const QString many = u"\r\n"_qs.repeated(32766);
    EXPECT_EQ(splitLines(many, name).size(), 32767);
    EXPECT_THROW(splitLines(many + u"\r\n"_qs, name), Error);
}

TEST(OutputPaths, TrimAndAddSeparators)
{
    EXPECT_EQ(trimPathSeparators(u"/out// / "_qs), u"/out"_qs);
    EXPECT_EQ(trimPathSeparators(u" / "_qs), u"/"_qs);
    EXPECT_EQ(addPathSeparator(u" /out "_qs), u"/out/"_qs);
    EXPECT_EQ(addPathSeparator(u"/out/"_qs), u"/out/"_qs);
    EXPECT_EQ(addPathSeparator(u"/out//"_qs), u"/out//"_qs);
    EXPECT_EQ(addPathSeparator(QString()), u"/"_qs);
}

namespace {

QStringList entries(const QTemporaryDir& dir)
{
    return test::entries(dir.path());
}

// The error an operation throws; a test failure when it throws none.
template <typename Operation> QString errorOf(Operation operation)
{
    try {
        operation();
    } catch (const Error& error) {
        return error.description();
    }
    ADD_FAILURE() << "no error";
    return {};
}

} // namespace

TEST(ensureOutputDir, ExistingMissingAndRefused)
{
    QTemporaryDir dir;
    test::ScriptedInteraction interaction;
    ensureOutputDir(dir.path() + u"/ "_qs, interaction);
    EXPECT_TRUE(interaction.shown().isEmpty());

    for (const QString& bad : {u"out/sub"_qs, u"~/out"_qs, QString()}) {
        try {
            ensureOutputDir(bad, interaction);
            FAIL() << "accepted " << bad.toStdString();
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::PathFileAccess);
            EXPECT_TRUE(error.description().contains(u'"' + bad + u'"'));
        }
    }
    EXPECT_TRUE(interaction.shown().isEmpty());

    // A file where a level is needed counts as existing; creating below it fails
    // for the system's reason, leaving the levels made before.
    QFile blocker(dir.filePath(u"a/file"_qs));
    ASSERT_TRUE(QDir(dir.path()).mkpath(u"a"_qs));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    interaction.answer(Answer::Ok);
    EXPECT_EQ(errorOf([&] { ensureOutputDir(dir.filePath(u"a/new/../file/x"_qs), interaction); }),
              u"ディレクトリ \""_qs + dir.filePath(u"a/new/../file/x"_qs) +
                  u"\" を作成できません: ディレクトリではありません"_qs);
    EXPECT_TRUE(QFileInfo(dir.filePath(u"a/new"_qs)).isDir());
    EXPECT_EQ(interaction.shown().size(), 1);
}

TEST(FileOutputTarget, AFileAppearsWholeOnlyWhenCommitted)
{
    QTemporaryDir dir;
    FileOutputTarget output;
    const QString path = dir.filePath(u".hidden"_qs);
    EXPECT_FALSE(output.outputFileExists(path));

    output.openOutputFile(path, false);
    QByteArray expected;
    for (int i = 0; i < 3000; ++i) { // more than one buffer's worth
        const QByteArray line = QByteArray::number(i).rightJustified(40, 'x') + "\r\n";
        output.writeOutputLine(line);
        expected += line;
    }
    EXPECT_FALSE(QFileInfo::exists(path));
    output.commitOutputFile();
    output.commitOutputFile(); // nothing open: nothing happens
    EXPECT_EQ(test::readBytes(path), expected);
    EXPECT_TRUE(output.outputFileExists(path));
    EXPECT_EQ(entries(dir), QStringList{u".hidden"_qs});

    // Replacing: the old content stays until the commit, and an abort keeps it.
    output.openOutputFile(path, true);
    output.writeOutputLine("new\r\n");
    output.abortOutputFile();
    EXPECT_EQ(test::readBytes(path), expected);
    output.openOutputFile(path, true);
    output.writeOutputLine("new\r\n");
    EXPECT_EQ(test::readBytes(path), expected);
    output.commitOutputFile();
    EXPECT_EQ(test::readBytes(path), "new\r\n");
    EXPECT_EQ(entries(dir), QStringList{u".hidden"_qs});

    // A file still open when the target goes is removed with it.
    {
        FileOutputTarget dropped;
        dropped.openOutputFile(dir.filePath(u"never.sql"_qs), false);
        dropped.writeOutputLine("x\r\n");
    }
    EXPECT_EQ(entries(dir), QStringList{u".hidden"_qs});
}

TEST(FileOutputTarget, AnExistingNameIsReplacedItselfAndOnlyWhenAllowed)
{
    struct Case
    {
        const char* what;
        // Makes the name in the output directory; elsewhere is another directory.
        void (*make)(const QString& path, const QString& elsewhere);
        bool link;
    };
    const Case cases[] = {
        {"a file", [](const QString& path, const QString&) { test::writeBytes(path, "old"); },
         false},
        {"a dangling link",
         [](const QString& path, const QString& elsewhere) {
             ASSERT_TRUE(QFile::link(elsewhere + u"/missing.sql"_qs, path));
         },
         true},
        {"a link to a file elsewhere",
         [](const QString& path, const QString& elsewhere) {
             ASSERT_TRUE(QFile::link(elsewhere + u"/target.sql"_qs, path));
         },
         true},
    };
    for (const Case& c : cases) {
        for (const bool replace : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (replace ? ", replaced" : ", kept"));
            QTemporaryDir dir;
            QTemporaryDir elsewhere;
            test::writeBytes(elsewhere.filePath(u"target.sql"_qs), "elsewhere");
            const QString path = dir.filePath(u"out.sql"_qs);
            c.make(path, elsewhere.path());
            const QString linkTarget = QFileInfo(path).symLinkTarget();
            FileOutputTarget output;
            EXPECT_TRUE(output.outputFileExists(path));

            if (replace) {
                output.openOutputFile(path, true);
                output.writeOutputLine("new\r\n");
                output.commitOutputFile();
                EXPECT_FALSE(QFileInfo(path).isSymLink());
                EXPECT_EQ(test::readBytes(path), "new\r\n");
            } else {
                EXPECT_TRUE(errorOf([&] { output.openOutputFile(path, false); }).contains(path));
                EXPECT_EQ(QFileInfo(path).isSymLink(), c.link);
                EXPECT_EQ(QFileInfo(path).symLinkTarget(), linkTarget);
                if (!c.link) {
                    EXPECT_EQ(test::readBytes(path), "old");
                }
            }
            // What a link pointed to is never written.
            EXPECT_EQ(test::readBytes(elsewhere.filePath(u"target.sql"_qs)), "elsewhere");
            EXPECT_FALSE(QFileInfo::exists(elsewhere.filePath(u"missing.sql"_qs)));
            EXPECT_EQ(entries(dir), QStringList{u"out.sql"_qs});
        }
    }
}

TEST(FileOutputTarget, ADirectoryOfTheNameAMissingDirectoryOrANameTakenWhileWritingFails)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"sub"_qs));
    FileOutputTarget output;
    EXPECT_FALSE(output.outputFileExists(dir.filePath(u"sub"_qs)));
    EXPECT_FALSE(output.outputFileExists(dir.filePath(u"*"_qs)));
    EXPECT_TRUE(errorOf([&] {
                    output.openOutputFile(dir.filePath(u"sub"_qs), true);
                }).contains(u"同じ名前のディレクトリがあります"_qs));
    EXPECT_TRUE(errorOf([&] {
                    output.openOutputFile(dir.filePath(u"none/x.sql"_qs), false);
                }).contains(u"そのようなファイルやディレクトリはありません"_qs));

    // A name taken while the file was written is not replaced unless allowed. A
    // directory in the temporary file's place fails its removal too, as a
    // directory made read-only does for users other than root: it is named.
    const QString path = dir.filePath(u"out.sql"_qs);
    output.openOutputFile(path, false);
    const QString temporary = dir.filePath(entries(dir).first());
    ASSERT_TRUE(QFile::remove(temporary) && QDir().mkdir(temporary));
    ASSERT_TRUE(QFile::link(dir.filePath(u"theirs"_qs), path));
    const QString error = errorOf([&] { output.commitOutputFile(); });
    EXPECT_TRUE(error.contains(path + u"\" を作成できません: 同じ名前のファイルが既にあります"_qs));
    EXPECT_TRUE(
        error.contains(u"一時ファイル \""_qs + temporary + u"\" を削除できませんでした"_qs));
    EXPECT_TRUE(QFileInfo(path).isSymLink());
}

TEST(FileOutputTarget, ReplacedFilesKeepTheirModeNewOnesTakeTheUmasks)
{
    struct Case
    {
        std::optional<mode_t> existing; // the mode of the file replaced, if any
        mode_t umask;
        mode_t expected;
    };
    const Case cases[] = {
        {std::nullopt, 022, 0644}, {std::nullopt, 077, 0600}, {std::nullopt, 002, 0664},
        {0600, 022, 0600},         {0640, 077, 0640},         {0755, 022, 0755},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"out.sql"_qs);
        if (c.existing) {
            test::writeBytes(path, "old");
            ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), *c.existing), 0);
        }
        const mode_t previous = ::umask(c.umask);
        FileOutputTarget output;
        output.openOutputFile(path, true);
        output.commitOutputFile();
        ::umask(previous);
        struct stat status;
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, c.expected) << std::oct << c.umask;
    }
}

namespace {

std::atomic_int g_syncError = 0;

} // namespace

// Takes the C library's place in this test program, so that a sync can fail after
// every write went through, as a disk that reports being full only then does.
extern "C" int fsync(int descriptor)
{
    if (const int error = g_syncError.load()) {
        errno = error;
        return -1;
    }
    static const auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    return real(descriptor);
}

TEST(FileOutputTarget, AWriteOrSyncTheSystemRefusesNamesWhyAndKeepsTheOldFile)
{
    // A file size limit makes writes fail as a full disk does, without filling one;
    // a shorter file stays below it and meets a sync that fails.
    for (const auto& [lines, syncError, why] : {std::tuple(4000, 0, u"ファイルが大きすぎます"),
                                                std::tuple(100, EIO, u"入力/出力エラーです")}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"out.sql"_qs);
        test::writeBytes(path, "old");
        FileOutputTarget output;
        output.openOutputFile(path, true);
        QString error;
        g_syncError = syncError;
        test::withFileSizeLimit(100'000, [&] {
            error = errorOf([&] {
                for (int i = 0; i < lines; ++i) {
                    output.writeOutputLine(QByteArray(48, 'x') + "\r\n");
                }
                output.commitOutputFile();
            });
        });
        g_syncError = 0;
        EXPECT_TRUE(error.contains(path) && error.contains(QString::fromUtf16(why)))
            << error.toStdString();
        EXPECT_EQ(test::readBytes(path), "old");
        EXPECT_EQ(entries(dir), QStringList{u"out.sql"_qs});
    }
}

TEST(FileOutputTarget, ARunRemovesOnlyThisProgramsTemporaryFilesWhoseWriterIsGone)
{
    // 4194304: above every process id Linux gives.
    QTemporaryDir dir;
    const QString gone = dir.filePath(u".tavrune-4194304-"_qs);
    test::writeBytes(gone + u"abcdefghijkl.tmp"_qs, "stale");
    // Kept: another name, a link, a directory, another user's file, and the file
    // of a writer at work (this process).
    test::writeBytes(gone + u"abcdefghijkl.tmp.sql"_qs, "mine");
    ASSERT_TRUE(QFile::link(dir.filePath(u"elsewhere"_qs), gone + u"link00000000.tmp"_qs));
    ASSERT_TRUE(QDir().mkdir(gone + u"directory000.tmp"_qs));
    const QString theirs = gone + u"theirs000000.tmp"_qs;
    test::writeBytes(theirs, "theirs");
    if (::chown(QFile::encodeName(theirs).constData(), 65534, 65534) != 0) {
        QFile::remove(theirs); // only root can give a file away
    }
    FileOutputTarget writing;
    writing.openOutputFile(dir.filePath(u"out.sql"_qs), false);
    QStringList kept = entries(dir);
    kept.removeOne(u".tavrune-4194304-abcdefghijkl.tmp"_qs);
    EXPECT_EQ(kept.filter(u".tavrune-%1-"_qs.arg(::getpid())).size(), 1);

    test::ScriptedInteraction interaction;
    FileOutputTarget().ensureOutputDir(dir.path(), interaction);
    EXPECT_EQ(entries(dir), kept);
}

TEST(SystemErrorText, NamesTheSystemsReasonInJapanese)
{
    EXPECT_EQ(systemErrorText(ENOSPC), u"デバイスに空き領域がありません"_qs);
    // Others still say something, with their number.
    EXPECT_TRUE(systemErrorText(4000).contains(u"4000"_qs));
}

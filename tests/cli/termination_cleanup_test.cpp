// A real tavrune-batch ended by a signal while it writes: its temporary file goes,
// and the signal still ends it.

#include "support/test_files.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

TEST(TerminationCleanup, TheTemporaryFileGoesAndTheSignalEndsTheTool)
{
    // A format whose type column is no column (fields end in 0x01): the run fails
    // with its file open, and the message of that failure waits on a full pipe.
    QTemporaryDir dir;
    const QString settings = dir.filePath(u"bad.dat"_qs);
    tavrune::test::writeBytes(settings,
                              tavrune::test::readBytes(u"" TAVRUNE_SAMPLES "/tavrune.dat"_qs)
                                  .replace("\0017\001B\001C\001", "\0017\001B\0011A\001"));
    const QDir out(dir.filePath(u"out"_qs));
    const auto temporaryFiles = [&] { return out.entryList(QDir::Hidden | QDir::Files); };
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(sigabbrev_np(signal));
        int messages[2];
        ASSERT_EQ(::pipe2(messages, O_CLOEXEC), 0);
        const int size = ::fcntl(messages[1], F_SETPIPE_SZ, 4096);
        ASSERT_EQ(::write(messages[1], QByteArray(size, '.').constData(), size), size);
        QProcess batch;
        batch.setStandardOutputFile(QProcess::nullDevice());
        batch.setChildProcessModifier([&] {
            ::dup2(messages[1], STDERR_FILENO);
            ::signal(signal, SIG_DFL); // a test runner may ignore it
        });
        batch.start(u"" TAVRUNE_BATCH_BINARY ""_qs,
                    {u"--settings"_qs, settings, u"--file"_qs, u"CREATE TABLE (1ファイル)"_qs,
                     u"--output-dir"_qs, out.path(),
                     u"" TAVRUNE_SAMPLES "/table_definitions.xlsx"_qs});
        ::close(messages[1]);
        for (int i = 0; i < 3000 && temporaryFiles().isEmpty() && !batch.waitForFinished(10); ++i) {
        }
        ASSERT_EQ(temporaryFiles().size(), 1) << "the run ended before it wrote";
        ::kill(pid_t(batch.processId()), signal);
        ASSERT_TRUE(batch.waitForFinished());
        ::close(messages[0]);
        EXPECT_EQ(std::pair(batch.exitStatus(), batch.exitCode()),
                  std::pair(QProcess::CrashExit, signal));
        EXPECT_EQ(temporaryFiles(), QStringList());
    }
}

TEST(TerminationCleanup, AFileSizeLimitFailsTheWriteInsteadOfEndingTheTool)
{
    QTemporaryDir dir;
    QProcess batch;
    batch.setChildProcessModifier([] {
        const struct rlimit limit = {1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_DFL); // as a shell starts it
    });
    batch.start(u"" TAVRUNE_BATCH_BINARY ""_qs,
                {u"--settings"_qs, u"" TAVRUNE_SAMPLES "/tavrune.dat"_qs, u"--file"_qs,
                 u"CREATE TABLE (1ファイル)"_qs, u"--output-dir"_qs, dir.path(),
                 u"" TAVRUNE_SAMPLES "/table_definitions.xlsx"_qs});
    ASSERT_TRUE(batch.waitForFinished());
    EXPECT_EQ(batch.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(batch.exitCode(), 0);
    EXPECT_TRUE(
        QString::fromUtf8(batch.readAllStandardError()).contains(u"ファイルが大きすぎます"));
}

// One running copy per user: the directory its lock and socket live in, another
// copy told from a lock that cannot be made, and the files later starts hand over.

#include "gui/program/single_instance.h"
#include "support/test_files.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavrune;
using Lock = SingleInstance::Lock;

namespace {

// How a directory is found; another user's can be made only by root.
enum class Found
{
    Missing,
    Private,
    Open,
    Link,
    Foreign
};

bool make(const QByteArray& path, Found found)
{
    if (found == Found::Link) {
        return make(path + "_target", Found::Private) &&
               ::symlink((path + "_target").constData(), path.constData()) == 0;
    }
    const mode_t mode = found == Found::Open ? 0755 : 0700;
    return found == Found::Missing ||
           (::mkdir(path.constData(), mode) == 0 && ::chmod(path.constData(), mode) == 0 &&
            (found != Found::Foreign || ::chown(path.constData(), 65534, 65534) == 0));
}

TEST(SingleInstanceTest, OnlyADirectoryPrivateToTheUserIsChosen)
{
    // The runtime directory, the fallback tavrune-UID, and which is chosen (0, 1, none).
    const std::tuple<Found, Found, int> cases[] = {
        {Found::Private, Found::Open, 0},  {Found::Missing, Found::Missing, 1},
        {Found::Open, Found::Private, 1},  {Found::Foreign, Found::Open, -1},
        {Found::Missing, Found::Link, -1}, {Found::Link, Found::Foreign, -1},
    };
    for (const auto& [runtime, fallback, chosen] : cases) {
        QTemporaryDir root;
        const QStringList paths = {root.filePath(u"run"_qs),
                                   root.filePath(QStringLiteral("tavrune-%1").arg(::geteuid()))};
        if (make(QFile::encodeName(paths[0]), runtime) &&
            make(QFile::encodeName(paths[1]), fallback)) {
            EXPECT_EQ(SingleInstance::chooseDirectory(paths[0], root.path()), paths.value(chosen))
                << int(runtime) << ' ' << int(fallback);
        }
    }
}

TEST(SingleInstanceTest, AnotherCopyIsToldFromALockThatCannotBeMade)
{
    QTemporaryDir runtime;
    SingleInstance running(runtime.path());
    ASSERT_EQ(running.acquire(), Lock::Acquired);
    EXPECT_EQ(SingleInstance(runtime.path()).acquire(), Lock::AnotherCopyRuns);
    EXPECT_EQ(SingleInstance(QString()).acquire(), Lock::Impossible);

    // A lock left by a crashed copy: its process, a child of this test, has ended.
    QProcess gone;
    gone.start(u"sleep"_qs, {u"0.1"_qs});
    ASSERT_TRUE(gone.waitForStarted());
    const QByteArray pid = QByteArray::number(gone.processId());
    ASSERT_TRUE(gone.waitForFinished());
    // ... and one that names no owner: its copy ended while making it.
    for (const QByteArray& left :
         {pid + "\ntavrune\n" + QSysInfo::machineHostName().toUtf8() + "\n", QByteArray()}) {
        QTemporaryDir crashed;
        test::writeBytes(crashed.filePath(u"tavrune.lock"_qs), left);
        EXPECT_EQ(SingleInstance(crashed.path()).acquire(), Lock::Acquired) << left.constData();
    }
    // A full disk, by a file size limit.
    QTemporaryDir full;
    Lock onFullDisk = Lock::Acquired;
    test::withFileSizeLimit(0, [&] { onFullDisk = SingleInstance(full.path()).acquire(); });
    EXPECT_EQ(onFullDisk, Lock::Impossible);
}

TEST(SingleInstanceTest, AHandOverWaitsForTheRunningCopyToListenAndArrivesWhole)
{
    QTemporaryDir runtime;
    SingleInstance running(runtime.path());
    ASSERT_EQ(running.acquire(), Lock::Acquired);
    QSignalSpy received(&running, &SingleInstance::filesReceived);
    SingleInstance later(runtime.path());
    // The running copy listens only once the later start has found it not listening.
    int waits = 0;
    QObject::connect(&later, &SingleInstance::waitingForRunningCopy,
                     [&] { EXPECT_TRUE(waits++ > 0 || running.listen()); });
    QStringList paths; // 1.5 MB
    for (int i = 0; i < 11000; ++i) {
        paths.append(QStringLiteral("/books/%1/%2.xlsx").arg(i).arg(QString(40, u'表')));
    }
    later.sendFiles(paths);
    EXPECT_GE(waits, 1);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.first().first().toStringList(), paths);
}

} // namespace

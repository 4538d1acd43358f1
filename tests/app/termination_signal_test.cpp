// Ending the program by a signal: the signal arrives in the event loop, and the
// real program closes its window as the user would, saving the window state
// where its settings live (beside it, or per user once installed).

#include "app/termination_signal.h"
#include "settings/settings_paths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

using TerminationSignalTest = testing::TestWithParam<int>;

TEST_P(TerminationSignalTest, ArrivesInTheEventLoopAndTheOldHandlerReturns)
{
    const int signal = GetParam();
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous = {};
    ASSERT_EQ(::sigaction(signal, &ignore, &previous), 0);
    {
        TerminationSignal termination;
        QSignalSpy received(&termination, &TerminationSignal::received);
        ASSERT_EQ(::raise(signal), 0);
        EXPECT_EQ(received.size(), 0) << "delivered inside the handler";
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 3000);
        // Two signals before the loop runs make one notice.
        ASSERT_EQ(::raise(signal), 0);
        ASSERT_EQ(::raise(signal), 0);
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 2, 3000);
        QTest::qWait(50);
        EXPECT_EQ(received.size(), 2);
    }
    struct sigaction restored = {};
    ASSERT_EQ(::sigaction(signal, nullptr, &restored), 0);
    EXPECT_EQ(restored.sa_handler, SIG_IGN);
    ::sigaction(signal, &previous, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationSignalTest, testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGTERM  ? "SIGTERM"
                                                : info.param == SIGINT ? "SIGINT"
                                                                       : "SIGHUP");
                         });

// The parameter: whether the program is installed.
using ProgramEndTest = testing::TestWithParam<bool>;

// The program copied into PREFIX/bin, with the install step's marker or
// without, is started offscreen and sent SIGTERM.
TEST_P(ProgramEndTest, SigtermClosesTheWindowSavingItsStateWhereTheSettingsLive)
{
    QTemporaryDir root;
    const QDir prefix(root.path());
    ASSERT_TRUE(prefix.mkpath(QStringLiteral("bin")));
    ASSERT_TRUE(prefix.mkpath(QStringLiteral("home")));
    ASSERT_TRUE(prefix.mkpath(QStringLiteral("runtime")));
    QFile::setPermissions(prefix.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QDir bin(prefix.filePath(QStringLiteral("bin")));
    const QString program = bin.filePath(QStringLiteral("tavrune"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAVRUNE_GUI_BINARY), program));
    if (GetParam()) {
        ASSERT_TRUE(prefix.mkpath(QStringLiteral("share/tavrune")));
        QFile marker(bin.filePath(QString::fromLatin1(kInstalledMarker)));
        ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    environment.insert(QStringLiteral("HOME"), prefix.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                       prefix.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess gui;
    gui.setProcessEnvironment(environment);
    gui.start(program, {});
    ASSERT_TRUE(gui.waitForStarted());
    // Up once it listens for later starts.
    const QString socket = prefix.filePath(QStringLiteral("runtime/tavrune.socket"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket) || gui.state() == QProcess::NotRunning, 10000);
    ASSERT_EQ(gui.state(), QProcess::Running) << gui.readAllStandardError().toStdString();
    gui.terminate();
    ASSERT_TRUE(gui.waitForFinished(10000));
    EXPECT_EQ(gui.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(gui.exitCode(), 0);

    const QString beside = bin.filePath(QStringLiteral("tavrune.ini"));
    const QString perUser = prefix.filePath(QStringLiteral("home/.config/tavrune/tavrune.ini"));
    EXPECT_EQ(QFile::exists(beside), !GetParam());
    EXPECT_EQ(QFile::exists(perUser), GetParam());
    // The lock and the socket went with the program.
    EXPECT_EQ(QDir(prefix.filePath(QStringLiteral("runtime")))
                  .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
}

INSTANTIATE_TEST_SUITE_P(Layouts, ProgramEndTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Installed" : "Copied");
                         });

} // namespace

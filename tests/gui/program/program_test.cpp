// The program as a user starts it: a later start hands its files to the running
// copy or says why it could not, a copy without a lock runs anyway, and SIGTERM
// closes the window as the user would, saving the window state where the
// settings live (beside the program, or per user once installed).

#include "gui/program/single_instance.h"
#include "settings/settings_paths.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace tavrune;
using Lock = SingleInstance::Lock;

namespace {

// The program copied into ROOT/bin, with its home in ROOT/home and a runtime
// directory of its own. Events are handled while it runs, so that files can arrive.
class ProgramTest : public testing::Test
{
protected:
    // Until the program ends or up() holds; false when neither happens.
    bool run(const QStringList& arguments, const std::function<bool()>& up = {})
    {
        const QDir root(m_root.path());
        root.mkpath(u"bin"_qs);
        root.mkpath(u"home"_qs);
        QFile::copy(QStringLiteral(TAVRUNE_GUI_BINARY), root.filePath(u"bin/tavrune"_qs));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"XDG_CONFIG_HOME"_qs);
        environment.insert(u"HOME"_qs, root.filePath(u"home"_qs));
        environment.insert(u"XDG_RUNTIME_DIR"_qs, m_runtime.path());
        m_program.setProcessEnvironment(environment);
        m_program.setWorkingDirectory(m_runtime.path());
        m_program.start(root.filePath(u"bin/tavrune"_qs), arguments);
        return waitUntil(up);
    }
    bool waitUntil(const std::function<bool()>& up = {})
    {
        return QTest::qWaitFor(
            [&] {
                m_error += m_program.readAllStandardError();
                return m_program.state() == QProcess::NotRunning || (up && up());
            },
            20000);
    }
    // The exit code once it has ended, -1 for a crash.
    int exitCode() const
    {
        const bool ended = m_program.state() == QProcess::NotRunning &&
                           m_program.exitStatus() == QProcess::NormalExit;
        return ended ? m_program.exitCode() : -1;
    }
    // Closes it by SIGTERM once it runs.
    int terminate()
    {
        EXPECT_EQ(m_program.state(), QProcess::Running) << m_error.toStdString();
        m_program.terminate();
        waitUntil();
        return exitCode();
    }

    QTemporaryDir m_root;
    QTemporaryDir m_runtime;
    QProcess m_program;
    QByteArray m_error;
};

TEST_F(ProgramTest, ALaterStartEndsAtOnceHandingOverItsFilesOrSayingItCouldNot)
{
    auto running = std::make_unique<SingleInstance>(m_runtime.path());
    ASSERT_EQ(running->acquire(), Lock::Acquired);
    ASSERT_TRUE(running->listen());
    QSignalSpy received(running.get(), &SingleInstance::filesReceived);
    for (const QStringList& arguments : {QStringList(), QStringList({u"book.xlsx"_qs})}) {
        ASSERT_TRUE(run(arguments));
        EXPECT_EQ(exitCode(), 0);
        EXPECT_EQ(m_program.readAll() + m_error, QByteArray());
    }
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.first().first().toStringList(),
              QStringList({m_runtime.filePath(u"book.xlsx"_qs)}));

    // A copy that takes the connection and drops it.
    running = std::make_unique<SingleInstance>(m_runtime.path());
    ASSERT_EQ(running->acquire(), Lock::Acquired);
    QLocalServer dropping;
    ASSERT_TRUE(dropping.listen(m_runtime.filePath(u"tavrune.socket"_qs)));
    QObject::connect(&dropping, &QLocalServer::newConnection,
                     [&] { delete dropping.nextPendingConnection(); });
    ASSERT_TRUE(run({u"book.xlsx"_qs}));
    EXPECT_EQ(exitCode(), 1);
    EXPECT_TRUE(m_error.contains("渡せませんでした")) << m_error.toStdString();
}

TEST_F(ProgramTest, WithoutALockTheProgramRunsAndSaysWhy)
{
    ASSERT_TRUE(QDir(m_runtime.path()).mkdir(u"tavrune.lock"_qs));
    ASSERT_TRUE(run({}, [&] { return m_error.contains("二重起動を確かめずに"); }));
    EXPECT_EQ(terminate(), 0);
}

// The parameter: whether the program is installed.
class ProgramEndTest : public ProgramTest, public testing::WithParamInterface<bool>
{
};

TEST_P(ProgramEndTest, SigtermClosesTheWindowSavingItsStateWhereTheSettingsLive)
{
    const QDir root(m_root.path());
    if (GetParam()) {
        ASSERT_TRUE(root.mkpath(u"share/tavrune"_qs));
        QFile marker(root.filePath(u"bin/"_qs + QString::fromLatin1(kInstalledMarker)));
        ASSERT_TRUE(root.mkpath(u"bin"_qs) && marker.open(QIODevice::WriteOnly));
    }
    // Up once it listens for later starts.
    ASSERT_TRUE(run({}, [&] { return QFile::exists(m_runtime.filePath(u"tavrune.socket"_qs)); }));
    EXPECT_EQ(terminate(), 0);
    EXPECT_EQ(QFile::exists(root.filePath(u"bin/tavrune.ini"_qs)), !GetParam());
    EXPECT_EQ(QFile::exists(root.filePath(u"home/.config/tavrune/tavrune.ini"_qs)), GetParam());
    // The lock and the socket went with the program.
    EXPECT_EQ(QDir(m_runtime.path())
                  .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
}

INSTANTIATE_TEST_SUITE_P(Layouts, ProgramEndTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "Installed" : "Copied"; });

} // namespace

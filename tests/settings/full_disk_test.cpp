// Saves onto a file system that is really full: a small tmpfs, mounted where root
// may mount one, in a mount namespace of this test's own.

#include "common/error.h"
#include "settings/settings_file.h"
#include "settings/window_state_file.h"
#include "support/scripted_interaction.h"
#include "support/test_files.h"

#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace tavrune;

TEST(FullDisk, SavesSayWhyAndKeepTheOldFilesByteForByte)
{
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    if (::geteuid() != 0 || ::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tavrune-test", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "mounting a file system needs root";
    }
    const QString settingsPath = dir.filePath(u"tavrune.dat"_qs);
    const QString statePath = dir.filePath(u"tavrune.ini"_qs);
    const QByteArray settings = test::readBytes(u"" TAVRUNE_SAMPLES "/tavrune.dat"_qs);
    const QByteArray state = "[Name]\r\nMain=0\r\n";
    test::writeBytes(settingsPath, settings);
    test::writeBytes(statePath, state);

    test::ScriptedInteraction ui;
    SettingsFile file(settingsPath, ui);
    FormatSettings formats;
    FileSettings files;
    ASSERT_TRUE(file.loadSettingsFile(formats, files));
    WindowStateFile window(statePath);
    ASSERT_TRUE(window.writeWindowState(u"Name"_qs, u"Main"_qs, u"3"_qs));

    // Fill what is left.
    const int filler = ::open((mountPoint + "/filler").constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(filler, 0);
    const QByteArray block(4096, 'x');
    while (::write(filler, block.constData(), block.size()) > 0) {
    }
    ::close(filler);

    EXPECT_FALSE(file.saveSettingsFile(formats, files));
    ASSERT_EQ(ui.shown().size(), 1);
    EXPECT_TRUE(ui.shown()[0].text.contains(u"デバイスに空き領域がありません"))
        << ui.shown()[0].text.toStdString();
    EXPECT_THROW(window.save(), Error);
    EXPECT_EQ(test::readBytes(settingsPath), settings);
    EXPECT_EQ(test::readBytes(statePath), state);
    ::umount2(mountPoint.constData(), MNT_DETACH);
}

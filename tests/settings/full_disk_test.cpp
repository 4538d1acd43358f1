// Saves onto a file system that is really full: a small tmpfs, mounted where root
// may mount one, in a mount namespace of this test's own.

#include "common/error.h"
#include "settings/settings_file.h"
#include "settings/window_state_file.h"
#include "support/scripted_interaction.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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
    test::writeBytes(settingsPath, settings);
    test::writeBytes(statePath, "[Name]\r\nMain=0\r\n");
    test::ScriptedInteraction ui;
    SettingsFile file(settingsPath, ui);
    FormatSettings formats;
    FileSettings files;
    ASSERT_TRUE(file.loadSettingsFile(formats, files));
    WindowStateFile state(statePath);
    ASSERT_TRUE(state.writeWindowState(u"Name"_qs, u"Main"_qs, u"3"_qs));
    // What is left is filled.
    QFile filler(dir.filePath(u"filler"_qs));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(4096, 'x')) > 0) {
    }

    EXPECT_FALSE(file.saveSettingsFile(formats, files));
    EXPECT_EQ(ui.texts(), QStringList{u"設定ファイル \"%1\" に書き込めません: "
                                      u"デバイスに空き領域がありません"_qs.arg(settingsPath)});
    EXPECT_THROW(state.save(), Error);
    EXPECT_EQ(test::readBytes(settingsPath), settings);
    EXPECT_EQ(test::readBytes(statePath), "[Name]\r\nMain=0\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{u"filler"_qs, u"tavrune.dat"_qs, u"tavrune.ini"_qs}));
    ::umount2(mountPoint.constData(), MNT_DETACH);
}

#include "settings/settings_paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavrune;

TEST(SettingsPaths, BesideTheExecutableWhenWritableElseInTheUserDirectory)
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("config/tavrune"));
    const SettingsPaths beside = settingsPathsIn(dir.path(), config);
    EXPECT_EQ(beside.settingsFile, dir.filePath(QStringLiteral("tavrune.dat")));
    EXPECT_EQ(beside.windowStateFile, dir.filePath(QStringLiteral("tavrune.ini")));

    // A directory that cannot be written (here: one that cannot exist, below a
    // regular file) sends both files to the user's directory.
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    const SettingsPaths user = settingsPathsIn(plain.fileName() + QStringLiteral("/bin"), config);
    EXPECT_EQ(user.settingsFile, config + QStringLiteral("/tavrune.dat"));
    EXPECT_EQ(user.windowStateFile, config + QStringLiteral("/tavrune.ini"));
}

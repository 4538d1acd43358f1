#include "settings/settings_paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

enum class Layout
{
    BuildTree,        // bin/ writable, nothing installed beside it
    InstalledPrefix,  // bin/ writable, the install step's marker in share/tavrune/
    UnwritableBinDir, // bin/ cannot be written (here: cannot exist, below a regular file)
};

struct PathsCase
{
    const char* name;
    Layout layout;
    bool besideExecutable;
};

class SettingsPathsTest : public testing::TestWithParam<PathsCase>
{
};

TEST_P(SettingsPathsTest, BesideTheExecutableOnlyWhenWritableAndNotInstalled)
{
    QTemporaryDir root;
    const QDir prefix(root.path());
    const QString config = prefix.filePath(QStringLiteral("config/tavrune"));
    QString bin = prefix.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(prefix.mkpath(QStringLiteral("bin")));
    switch (GetParam().layout) {
    case Layout::BuildTree:
        // The build tree's own share/ (the manual's copy) does not make it installed.
        ASSERT_TRUE(prefix.mkpath(QStringLiteral("share/doc/tavrune")));
        break;
    case Layout::InstalledPrefix: {
        ASSERT_TRUE(prefix.mkpath(QStringLiteral("share/tavrune")));
        QFile marker(QDir(bin).filePath(QString::fromLatin1(kInstalledMarker)));
        ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
        break;
    }
    case Layout::UnwritableBinDir: {
        QFile plain(prefix.filePath(QStringLiteral("plain")));
        ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
        bin = plain.fileName() + QStringLiteral("/bin");
        break;
    }
    }

    const SettingsPaths paths = settingsPathsIn(bin, config);
    const QDir expected(GetParam().besideExecutable ? bin : config);
    EXPECT_EQ(paths.settingsFile, expected.filePath(QStringLiteral("tavrune.dat")));
    EXPECT_EQ(paths.windowStateFile, expected.filePath(QStringLiteral("tavrune.ini")));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SettingsPathsTest,
    testing::Values(PathsCase{"BuildTree", Layout::BuildTree, true},
                    PathsCase{"InstalledPrefix", Layout::InstalledPrefix, false},
                    PathsCase{"UnwritableBinDir", Layout::UnwritableBinDir, false}),
    [](const testing::TestParamInfo<PathsCase>& info) { return info.param.name; });

} // namespace

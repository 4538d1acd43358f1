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

TEST(SettingsPaths, BesideTheExecutableOnlyWhenWritableAndNotInstalled)
{
    const std::pair<Layout, bool> cases[] = {
        {Layout::BuildTree, true},
        {Layout::InstalledPrefix, false},
        {Layout::UnwritableBinDir, false},
    };
    for (const auto& [layout, besideExecutable] : cases) {
        SCOPED_TRACE(int(layout));
        QTemporaryDir root;
        const QDir prefix(root.path());
        const QString config = prefix.filePath(QStringLiteral("config/tavrune"));
        QString bin = prefix.filePath(QStringLiteral("bin"));
        ASSERT_TRUE(prefix.mkpath(QStringLiteral("bin")));
        if (layout == Layout::BuildTree) {
            // The build tree's own share/ (the manual's copy) does not make it installed.
            ASSERT_TRUE(prefix.mkpath(QStringLiteral("share/doc/tavrune")));
        } else if (layout == Layout::InstalledPrefix) {
            ASSERT_TRUE(prefix.mkpath(QStringLiteral("share/tavrune")));
            QFile marker(QDir(bin).filePath(QString::fromLatin1(kInstalledMarker)));
            ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
        } else {
            QFile plain(prefix.filePath(QStringLiteral("plain")));
            ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
            bin = plain.fileName() + QStringLiteral("/bin");
        }
        const SettingsPaths paths = settingsPathsIn(bin, config);
        const QDir expected(besideExecutable ? bin : config);
        EXPECT_EQ(paths.settingsFile, expected.filePath(QStringLiteral("tavrune.dat")));
        EXPECT_EQ(paths.windowStateFile, expected.filePath(QStringLiteral("tavrune.ini")));
    }
}

} // namespace

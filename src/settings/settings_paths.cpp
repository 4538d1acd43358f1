#include "settings/settings_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tavrune {

namespace {

// The base name is fixed rather than taken from the running executable: the
// windows program (tavrune) and the batch tool (tavrune-batch) must find the same
// tavrune.dat and tavrune.ini.
const QString kBaseName = QStringLiteral("tavrune");

SettingsPaths pathsIn(const QString& directory)
{
    const QDir dir(directory);
    return {dir.filePath(kBaseName + QStringLiteral(".dat")),
            dir.filePath(kBaseName + QStringLiteral(".ini"))};
}

} // namespace

SettingsPaths settingsPathsIn(const QString& executableDirectory,
                              const QString& userConfigDirectory)
{
    // An installed program never writes into its install prefix, even where it
    // could (run as root): each user keeps the files in the configuration
    // directory. A program that is only built or copied somewhere keeps them
    // beside itself while it can write there.
    if (executableDirectory.isEmpty()) {
        return pathsIn(userConfigDirectory);
    }
    const QDir dir(executableDirectory);
    const QFileInfo info(executableDirectory);
    const bool installed = QFileInfo::exists(dir.filePath(QString::fromLatin1(kInstalledMarker)));
    if (!installed && info.isDir() && info.isWritable()) {
        return pathsIn(executableDirectory);
    }
    return pathsIn(userConfigDirectory);
}

SettingsPaths defaultSettingsPaths()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return settingsPathsIn(QCoreApplication::applicationDirPath(),
                           QDir(config).filePath(kBaseName));
}

} // namespace tavrune

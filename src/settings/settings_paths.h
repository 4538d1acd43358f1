#pragma once

#include <QString>

namespace tavrune {

// Where the settings file and the window state file live.
struct SettingsPaths
{
    QString settingsFile;    // .../tavrune.dat
    QString windowStateFile; // .../tavrune.ini
};

// The file whose presence marks an installed program, relative to the directory
// of its executable. Only the install step puts it there, never the build.
inline constexpr char kInstalledMarker[] = "../share/tavrune/installed";

// Both files beside the executable in executableDirectory when that directory is
// writable and holds no installed program (see kInstalledMarker), otherwise in
// userConfigDirectory (which need not exist yet).
SettingsPaths settingsPathsIn(const QString& executableDirectory,
                              const QString& userConfigDirectory);

// settingsPathsIn for the running program: the directory of its executable and
// the user's configuration directory ~/.config/tavrune (or the platform's like).
SettingsPaths defaultSettingsPaths();

} // namespace tavrune

#pragma once
// Where the tool keeps its per-user files: the settings file and the folder of port links.

#include <QString>

namespace kz {

// $XDG_CONFIG_HOME/KZPC-Software (default ~/.config/KZPC-Software) on Linux; the platform's
// per-user configuration folder elsewhere.
QString ConfigDir();

// Replaces ConfigDir() for the rest of the run (tests point it at a temporary folder).
void SetConfigDirOverride(const QString &dir);

// The settings file inside ConfigDir().
QString SettingsFilePath();

// The folder of COMn links inside ConfigDir().
QString PortLinkDir();

}  // namespace kz

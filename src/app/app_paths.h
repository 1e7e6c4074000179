// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QString>

namespace zuk {

// Where the application keeps its own files. Filled once at start-up, fixed afterwards.
// An empty appFolder means there is no usable folder: nothing is saved and nothing logged.
struct AppPaths {
    QString appFolder;        // <AppData>/<applicationName>, no trailing separator
    QString iniPath;          // <appFolder>/<applicationName>.ini
    QString applicationName;  // the executable's base name
    QString executableFolder; // the folder that holds the executable

    bool hasAppFolder() const { return !appFolder.isEmpty(); }
    // The safety copy of the settings file; empty without an application folder.
    QString settingsBackupPath() const;
    // The activity log; empty without an application folder.
    QString logPath() const;
    // The undo journal's folder; empty without an application folder.
    QString journalPath() const;
    // The help text lies beside the executable, not in the application folder.
    QString helpPath() const;
};

// What SetAppPaths reads from the process, so that tests can give their own.
struct AppEnvironment {
    QString appData;        // the value of "AppData"; empty when unset or empty
    QString executablePath; // the executable's full path

    static AppEnvironment fromProcess();
};

struct AppPathsSetup {
    AppPaths paths;
    QString wantedFolder; // the application folder's path, also when it couldn't be made
    // Why there is no application folder: the folder couldn't be made or isn't a folder.
    Status folder;
    // The message for the user when `folder` failed; empty otherwise.
    QString problemText() const;
};

// Derives the application folder (AppData, else the per-user configuration folder), makes it
// when it is missing, and fills AppPaths. A folder that can't be made leaves appFolder and
// iniPath empty; the caller shows problemText() and goes on without saved settings and log.
AppPathsSetup SetAppPaths(const AppEnvironment& environment = AppEnvironment::fromProcess());

} // namespace zuk

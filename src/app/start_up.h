// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QString>

namespace zuk {

// The headless steps of start-up and exit that guard the settings file with its backup
// (zuk.bak) while the application runs.

// When the settings file is missing and its backup exists (the settings file was lost while
// the backup remained), the backup is copied to the settings file. Nothing to do is success.
Status restoreSettingsIfMissing(const QString& iniPath, const QString& backupPath);

// When the settings file exists, copies it over the backup (atomically, replacing it).
Status makeSettingsBackup(const QString& iniPath, const QString& backupPath);

// Deletes the backup when it exists.
Status deleteSettingsBackup(const QString& backupPath);

} // namespace zuk

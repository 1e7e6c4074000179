// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/start_up.h"

#include "engine/files/atomic_file.h"
#include "engine/files/file_io.h"
#include "engine/files/path_bytes.h"

#include <sys/stat.h>

namespace zuk {

namespace {

// Copies source over target through the atomic writer; a missing source copies nothing.
Status copyIfPresent(const QString& source, const QString& target) {
    Result<LoadedBytes> loaded = readWholeFile(source);
    if (!loaded)
        return loaded.error().number == ErrorNumber::FileNotFound ? Status() : loaded.error();
    return writeFileAtomically(target, loaded.value().bytes);
}

} // namespace

Status restoreSettingsIfMissing(const QString& iniPath, const QString& backupPath) {
    struct stat st;
    if (::stat(encodePath(iniPath).constData(), &st) == 0)
        return {};
    return copyIfPresent(backupPath, iniPath);
}

Status makeSettingsBackup(const QString& iniPath, const QString& backupPath) {
    return copyIfPresent(iniPath, backupPath);
}

Status deleteSettingsBackup(const QString& backupPath) {
    // Only a file (or a link) is a backup; a folder of that name is never removed.
    return removeFile(backupPath);
}

} // namespace zuk

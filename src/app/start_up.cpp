#include "app/start_up.h"

#include "engine/atomic_file.h"
#include "engine/path_bytes.h"

#include <filesystem>
#include <sys/stat.h>
#include <system_error>

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
    const std::filesystem::path path(encodePath(backupPath).toStdString());
    std::error_code error;
    // Only a file (or a link) is a backup; a folder of that name is never removed.
    if (std::filesystem::is_directory(std::filesystem::symlink_status(path, error)))
        return makeError(ErrorNumber::PathFileAccess);
    std::filesystem::remove(path, error);
    if (error)
        return errorFromErrno(error.value());
    return {};
}

} // namespace zuk

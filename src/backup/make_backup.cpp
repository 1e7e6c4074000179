#include "backup/make_backup.h"

namespace zuk {

Status MakeBackup(const QString& path) {
    return keepAsBackup(path, path + kBackupSuffix);
}

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/make_backup.h"

namespace zuk {

Status MakeBackup(const QString& path) {
    return keepAsBackup(path, backupPathOf(path));
}

} // namespace zuk

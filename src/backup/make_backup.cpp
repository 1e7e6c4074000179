#include "backup/make_backup.h"

#include "engine/path_bytes.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace zuk {

Status MakeBackup(const QString& path) {
    const QByteArray file = encodePath(path);
    const QByteArray backup = encodePath(path + kBackupSuffix);
    if (::unlink(backup.constData()) != 0 && errno != ENOENT)
        return errorFromErrno(errno);
    if (::rename(file.constData(), backup.constData()) != 0)
        return errorFromErrno(errno);
    return {};
}

} // namespace zuk

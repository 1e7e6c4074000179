#include "backup/make_backup.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace zuk {

Status MakeBackup(const QString& path) {
    const QByteArray file = QFile::encodeName(path);
    const QByteArray backup = QFile::encodeName(path + kBackupSuffix);
    if (::unlink(backup.constData()) != 0 && errno != ENOENT)
        return errorFromErrno(errno);
    if (::rename(file.constData(), backup.constData()) != 0)
        return errorFromErrno(errno);
    return {};
}

} // namespace zuk

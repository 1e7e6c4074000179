// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/journal/folder_at.h"

#include "engine/files/file_io.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk {

int openFolderAt(int dirFd, const char* name) {
    return ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

Result<int> privateFolderAt(int dirFd, const char* name, bool create) {
    if (create && ::mkdirat(dirFd, name, 0700) != 0 && errno != EEXIST)
        return errorFromErrno(errno);
    const int fd = openFolderAt(dirFd, name);
    if (fd >= 0 || (errno == ENOENT && !create))
        return fd;
    if (errno == ELOOP || errno == ENOTDIR)
        return pathFileAccessError(QStringLiteral("a name in the journal is not a folder"));
    return errorFromErrno(errno);
}

QList<QByteArray> namesIn(int dirFd) {
    QList<QByteArray> names;
    const int fd = openFolderAt(dirFd, ".");
    if (fd < 0)
        return names;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    return names;
}

Result<QByteArray> readFileAt(int dirFd, const char* name) {
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errorFromErrno(errno);
    Result<QByteArray> bytes = readAll(fd);
    ::close(fd);
    return bytes;
}

void removeTreeAt(int dirFd, const QByteArray& name) {
    if (::unlinkat(dirFd, name.constData(), 0) == 0 || errno != EISDIR)
        return;
    const int fd = openFolderAt(dirFd, name.constData());
    if (fd >= 0) {
        for (const QByteArray& inner : namesIn(fd))
            removeTreeAt(fd, inner);
        ::close(fd);
    }
    ::unlinkat(dirFd, name.constData(), AT_REMOVEDIR);
}

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/posix_file.h"

#include "engine/files/path_bytes.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace zuk {

QByteArray nativePath(const QString& path) {
    return encodePath(path);
}

qint64 mtimeNs(const struct stat& st) {
#ifdef Q_OS_DARWIN
    const struct timespec& t = st.st_mtimespec;
#else
    const struct timespec& t = st.st_mtim;
#endif
    return qint64(t.tv_sec) * 1000000000LL + qint64(t.tv_nsec);
}

FileIdentity identityOf(const struct stat& st) {
    FileIdentity id;
    id.device = quint64(st.st_dev);
    id.inode = quint64(st.st_ino);
    id.size = qint64(st.st_size);
    id.mtimeNs = mtimeNs(st);
    id.mode = quint32(st.st_mode);
    id.uid = quint32(st.st_uid);
    id.gid = quint32(st.st_gid);
    return id;
}

bool sameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool sameAsRead(const struct stat& st, const FileIdentity& original) {
    return quint64(st.st_dev) == original.device && quint64(st.st_ino) == original.inode &&
           qint64(st.st_size) == original.size && mtimeNs(st) == original.mtimeNs;
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray nameOf(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

Result<QByteArray> resolveLinks(QByteArray path, std::optional<struct stat>& last) {
    last.reset();
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0) {
            if (errno == ENOENT)
                return path; // a dangling link: its destination is created
            return errorFromErrno(errno);
        }
        if (!S_ISLNK(st.st_mode)) {
            last = st;
            return path;
        }
        QByteArray destination(PATH_MAX, Qt::Uninitialized);
        const ssize_t length =
            ::readlink(path.constData(), destination.data(), size_t(destination.size()));
        if (length < 0)
            return errorFromErrno(errno);
        destination.truncate(length);
        if (!destination.startsWith('/'))
            destination = folderOf(path) + '/' + destination;
        path = destination;
    }
    return errorFromErrno(ELOOP);
}

mode_t defaultFileMode() {
    mode_t mask = 022;
    bool known = false;
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            if (std::strncmp(line, "Umask:", 6) == 0) {
                mask = mode_t(std::strtoul(line + 6, nullptr, 8));
                known = true;
                break;
            }
        }
        std::fclose(status);
    }
    if (!known) {
        mask = ::umask(0);
        ::umask(mask);
    }
    return 0666 & ~mask;
}

bool linkImpossible(int error) {
    return error == EPERM || error == EXDEV || error == EMLINK || error == EOPNOTSUPP ||
           error == ENOSYS;
}

// A second symbolic link with the destination of `link`.
Status copyLink(const QByteArray& link, const QByteArray& copy) {
    QByteArray destination(PATH_MAX, Qt::Uninitialized);
    const ssize_t length =
        ::readlink(link.constData(), destination.data(), size_t(destination.size()));
    if (length < 0)
        return errorFromErrno(errno);
    if (length >= destination.size())
        return errorFromErrno(ENAMETOOLONG);
    destination.truncate(length);
    if (::symlink(destination.constData(), copy.constData()) != 0)
        return errorFromErrno(errno);
    return {};
}

} // namespace zuk

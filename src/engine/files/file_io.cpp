// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_io.h"

#include "engine/files/path_bytes.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk {

namespace {

// The one spelling of the backup suffix.
constexpr char kBackupSuffix[] = "_BU";
constexpr qsizetype kBackupSuffixSize = sizeof(kBackupSuffix) - 1;

} // namespace

Status writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errorFromErrno(errno);
        }
        if (written == 0)
            return makeError(ErrorNumber::DeviceIo);
        data += written;
        size -= written;
    }
    return {};
}

Result<qsizetype> readSome(int fd, char* data, qsizetype size) {
    for (;;) {
        const ssize_t got = ::read(fd, data, size_t(size));
        if (got >= 0)
            return qsizetype(got);
        if (errno != EINTR)
            return errorFromErrno(errno);
    }
}

Result<QByteArray> readAll(int fd, qsizetype expected) {
    QByteArray bytes(expected > 0 ? expected : 65536, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(bytes.size() * 2);
        const Result<qsizetype> got = readSome(fd, bytes.data() + filled, bytes.size() - filled);
        if (!got)
            return got.error();
        if (got.value() == 0)
            break;
        filled += got.value();
    }
    bytes.truncate(filled);
    return bytes;
}

Status appendToFile(const QString& path, const QByteArray& bytes) {
    const int fd =
        ::open(encodePath(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        // The file itself is created when missing, so "not found" means its folder is.
        const int error = errno;
        return error == ENOENT ? makeError(ErrorNumber::PathNotFound) : errorFromErrno(error);
    }
    if (Status written = writeAll(fd, bytes); !written) {
        ::close(fd);
        return written;
    }
    if (::close(fd) != 0 && errno != EINTR)
        return errorFromErrno(errno);
    return {};
}

Status renameFile(const QByteArray& from, const QByteArray& to) {
    if (::rename(from.constData(), to.constData()) != 0)
        return errorFromErrno(errno);
    return {};
}

Status renameFile(const QString& from, const QString& to) {
    return renameFile(encodePath(from), encodePath(to));
}

Status removeFile(const QString& path) {
    const QByteArray native = encodePath(path);
    if (::unlink(native.constData()) == 0 || errno == ENOENT)
        return {};
    const int error = errno;
    // Some systems answer EPERM for a folder.
    struct stat st;
    if (error == EISDIR || (::lstat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode)))
        return notRegularFileError(true);
    return errorFromErrno(error);
}

QString backupPathOf(const QString& path) {
    return path + QLatin1String(kBackupSuffix);
}

QByteArray backupPathOf(const QByteArray& path) {
    return path + kBackupSuffix;
}

bool isBackupName(const QString& name) {
    return name.size() > kBackupSuffixSize && name.endsWith(QLatin1String(kBackupSuffix));
}

QString backedUpPathOf(const QString& backupPath) {
    return backupPath.chopped(kBackupSuffixSize);
}

} // namespace zuk

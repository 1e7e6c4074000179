// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/temporary_file.h"

#include "engine/files/posix_file.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk {

namespace {

std::atomic<bool> g_forceNamedTemporaryFiles{false};

constexpr char kTemporaryMark[] = ".zuk-";
constexpr qsizetype kTemporaryMarkLength = sizeof kTemporaryMark - 1;
constexpr qsizetype kRandomLength = 6;

// A hidden name in the target's folder; the target's part is shortened when the whole would
// exceed a file name's limit.
QByteArray temporaryTemplate(const QByteArray& target) {
    constexpr qsizetype kNameMax = 255;
    static const QByteArray suffix = kTemporaryMark + QByteArray(kRandomLength, 'X');
    QByteArray name = nameOf(target);
    const qsizetype room = kNameMax - 1 - suffix.size();
    if (name.size() > room) {
        qsizetype cut = room;
        while (cut > 0 && (uchar(name[cut]) & 0xC0) == 0x80)
            --cut; // keep whole UTF-8 characters
        name.truncate(cut);
    }
    return folderOf(target) + "/." + name + suffix;
}

#ifdef O_TMPFILE
// An unnamed file gets its name at commit through /proc.
bool canNameUnnamedFiles() {
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}
#endif

// Links the unnamed file open as `fd` to `name` in `folder`. The direct form needs a capability
// on older kernels; once refused, /proc is used.
int linkUnnamed(int fd, int folder, const QByteArray& name) {
    static std::atomic<bool> directRefused{false};
    if (!directRefused) {
        if (::linkat(fd, "", folder, name.constData(), AT_EMPTY_PATH) == 0)
            return 0;
        if (errno != ENOENT && errno != EPERM)
            return -1;
        directRefused = true;
    }
    const QByteArray source = "/proc/self/fd/" + QByteArray::number(fd);
    return ::linkat(AT_FDCWD, source.constData(), folder, name.constData(), AT_SYMLINK_FOLLOW);
}

// A fresh hidden name beside `target`, for `place` to put there; EEXIST asks for another.
Result<QByteArray> placeBeside(const QByteArray& target,
                               const std::function<int(const QByteArray&)>& place) {
    thread_local std::mt19937 random{std::random_device{}()};
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<int> pick(0, int(sizeof letters) - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = temporaryTemplate(target);
        for (qsizetype i = name.size() - kRandomLength; i < name.size(); ++i)
            name[i] = letters[pick(random)];
        if (place(name) == 0)
            return name;
        if (errno != EEXIST)
            return errorFromErrno(errno);
    }
    return makeError(ErrorNumber::FileAlreadyExists);
}

} // namespace

bool isTemporaryFileName(const char* name) {
    const qsizetype length = qsizetype(std::strlen(name));
    const qsizetype tail = kTemporaryMarkLength + kRandomLength;
    if (name[0] != '.' || length < tail + 2)
        return false;
    if (std::memcmp(name + length - tail, kTemporaryMark, size_t(kTemporaryMarkLength)) != 0)
        return false;
    for (qsizetype i = length - kRandomLength; i < length; ++i) {
        if (!std::isalnum(uchar(name[i])))
            return false;
    }
    return true;
}

void sweepStaleTemporaries(const QByteArray& folder) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryFileName(entry->d_name))
            continue;
        const int fd =
            ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held;
        struct stat named;
        // The name is checked again under the lock: it may have been replaced meanwhile.
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_nlink == 1 &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            sameInode(held, named))
            ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

Result<TemporaryFile> createTemporary(const QByteArray& target) {
#ifdef O_TMPFILE
    if (!g_forceNamedTemporaryFiles && canNameUnnamedFiles()) {
        const int fd = ::open(folderOf(target).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX | LOCK_NB);
            return TemporaryFile{fd, {}};
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errorFromErrno(errno);
    }
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = temporaryTemplate(target);
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0)
            return errorFromErrno(errno);
        // A file system without locks leaves the file unlocked, and unswept.
        const bool takenBySweep = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        struct stat held;
        struct stat named;
        if (!takenBySweep && ::fstat(fd, &held) == 0 && ::lstat(name.constData(), &named) == 0 &&
            sameInode(held, named))
            return TemporaryFile{fd, name};
        // A sweep in another process took the new file before it was locked, and removes it.
        ::close(fd);
    }
    return makeError(ErrorNumber::FileAlreadyExists);
}

Result<QByteArray> nameUnnamed(int fd, const QByteArray& target) {
    return placeBeside(target,
                       [fd](const QByteArray& name) { return linkUnnamed(fd, AT_FDCWD, name); });
}

bool nameUnnamedAt(int fd, int folder, const QByteArray& name) {
    return linkUnnamed(fd, folder, name) == 0;
}

Result<QByteArray> moveBeside(int folder, const QByteArray& name, const QByteArray& target) {
    return placeBeside(target, [&](const QByteArray& beside) {
        if (::renameat2(folder, name.constData(), AT_FDCWD, beside.constData(), RENAME_NOREPLACE) ==
            0)
            return 0;
        if (errno != EINVAL)
            return -1;
        // A file system that can't refuse to replace: a link can't replace a name either.
        if (::linkat(folder, name.constData(), AT_FDCWD, beside.constData(), 0) != 0)
            return -1;
        ::unlinkat(folder, name.constData(), 0);
        return 0;
    });
}

void forceNamedTemporaryFiles(bool force) {
    g_forceNamedTemporaryFiles = force;
}

} // namespace zuk

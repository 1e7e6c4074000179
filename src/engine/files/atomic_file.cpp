// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/atomic_file.h"

#include <QtGlobal>

#ifndef Q_OS_UNIX
#error "atomic_file.cpp needs a POSIX system"
#endif

#include "engine/files/path_bytes.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/xattr.h>
#endif

namespace zuk {

namespace {

std::atomic<bool> g_forceNamedTemporaryFiles{false};

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

Error otherHardLinks() {
    return pathFileAccessError(
        QStringLiteral("the file has other hard links, which would keep the old text"));
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

// Follows symbolic links at the last component until a non-link (or nothing) is reached, so
// the link's destination is written and the link itself stays as it is.
// `last` gets what lstat said of the name returned, when it is there.
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

// The permissions a file created with open() would get here.
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

namespace {

// Removes the temporary files a killed writer left in `folder`: only names of ours, and only
// files whose lock is free, so that one another writer is still writing stays.
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

struct TemporaryFile {
    int fd = -1;
    QByteArray name; // empty while the file is unnamed
};

#ifdef O_TMPFILE
// An unnamed file gets its name at commit through /proc.
bool canNameUnnamedFiles() {
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}
#endif

// Creates the temporary file in the folder of `target`: unnamed where the file system allows
// it, else a hidden one beside `target`. Either is held under an exclusive lock until it is
// renamed, so that a sweep never takes it.
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

// Links the unnamed file open as `fd` (`source` names it in /proc) to `name`. The direct form
// needs a capability on older kernels; once refused, /proc is used.
int linkUnnamed(int fd, const QByteArray& source, const QByteArray& name) {
    static std::atomic<bool> directRefused{false};
    if (!directRefused) {
        if (::linkat(fd, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH) == 0)
            return 0;
        if (errno != ENOENT && errno != EPERM)
            return -1;
        directRefused = true;
    }
    return ::linkat(AT_FDCWD, source.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW);
}

// Gives the unnamed file open as `fd` a hidden name beside `target`.
Result<QByteArray> nameUnnamed(int fd, const QByteArray& target) {
    thread_local std::mt19937 random{std::random_device{}()};
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<int> pick(0, int(sizeof letters) - 2);
    const QByteArray source = "/proc/self/fd/" + QByteArray::number(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = temporaryTemplate(target);
        for (qsizetype i = name.size() - kRandomLength; i < name.size(); ++i)
            name[i] = letters[pick(random)];
        if (linkUnnamed(fd, source, name) == 0)
            return name;
        if (errno != EEXIST)
            return errorFromErrno(errno);
    }
    return makeError(ErrorNumber::FileAlreadyExists);
}

// What a rename over `path` would replace: the name itself and the file it stands for.
struct Replaced {
    bool exists = false; // the file is there (a link to nothing is no file)
    struct stat own {};  // the name, not followed
    struct stat file {}; // links followed
};

// `known`: what lstat just said of `path`, not asked again.
Result<Replaced> inspect(const QByteArray& path, const std::optional<struct stat>& known = {}) {
    Replaced found;
    if (known)
        found.own = *known;
    else if (::lstat(path.constData(), &found.own) != 0)
        return errno == ENOENT ? Result<Replaced>(found) : Result<Replaced>(errorFromErrno(errno));
    found.file = found.own;
    if (S_ISLNK(found.own.st_mode) && ::stat(path.constData(), &found.file) != 0)
        return errno == ENOENT ? Result<Replaced>(found) : Result<Replaced>(errorFromErrno(errno));
    found.exists = true;
    return found;
}

// Whether the existing file at `path` may be replaced. `askKernel`: also whether this process
// could write it itself (the rename needs only the folder's permission).
Status checkReplaceable(const QByteArray& path, const Replaced& found, bool askKernel) {
    // Without any write permission bit a file is read-only, also for root.
    if ((found.file.st_mode & 0222) == 0)
        return makeError(ErrorNumber::PermissionDenied);
    if (askKernel && ::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) != 0)
        return errorFromErrno(errno);
    nlink_t links = found.own.st_nlink;
    struct stat backup;
    // Our own backup doesn't count: a kill between making it and the rename leaves it linked.
    if (links == 2 && ::lstat(backupPathOf(path).constData(), &backup) == 0 &&
        sameInode(backup, found.own))
        links = 1;
    return links > 1 ? Status(otherHardLinks()) : Status();
}

#ifdef Q_OS_LINUX
bool unsupported(int error) {
    return error == EOPNOTSUPP || error == ENOSYS;
}

// The extended attributes a new file takes over: the user's own and the access ACL.
bool keepsAttribute(const char* name) {
    return std::strncmp(name, "user.", 5) == 0 || std::strcmp(name, "system.posix_acl_access") == 0;
}

// Copies the attributes kept from the file at `from` (links followed) to the file open as `to`.
Status copyAttributes(const QByteArray& from, int to) {
    QByteArray names;
    for (;;) {
        const ssize_t size = ::listxattr(from.constData(), nullptr, 0);
        if (size <= 0)
            return size == 0 || unsupported(errno) ? Status() : Status(errorFromErrno(errno));
        names.resize(size);
        const ssize_t got = ::listxattr(from.constData(), names.data(), size_t(size));
        if (got >= 0) {
            names.truncate(got);
            break;
        }
        if (errno != ERANGE) // else grown meanwhile: ask again
            return errorFromErrno(errno);
    }
    QByteArray value;
    for (qsizetype at = 0; at < names.size();
         at += qsizetype(std::strlen(names.constData() + at)) + 1) {
        const char* name = names.constData() + at;
        if (!keepsAttribute(name))
            continue;
        ssize_t size;
        do {
            size = ::getxattr(from.constData(), name, nullptr, 0);
            if (size < 0)
                break;
            value.resize(size);
            size = ::getxattr(from.constData(), name, value.data(), size_t(size));
        } while (size < 0 && errno == ERANGE);
        if (size < 0) {
            if (errno == ENODATA || unsupported(errno)) // removed meanwhile
                continue;
            return errorFromErrno(errno);
        }
        if (::fsetxattr(to, name, value.constData(), size_t(size), 0) != 0 && !unsupported(errno))
            return errorFromErrno(errno);
    }
    return {};
}
#endif

// Links that can't be made here, where a copy has to do.
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

} // namespace

Result<LoadedBytes> readWholeFile(const QString& path) {
    // Non-blocking so that a FIFO is refused instead of waiting for a writer.
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errorFromErrno(errno);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return errorFromErrno(error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return notRegularFileError(S_ISDIR(st.st_mode));
    }
    // A regular file ignores O_NONBLOCK, so it needs no clearing.

    // One byte more than the size so that a file that grew since fstat is still read whole.
    Result<QByteArray> bytes = readAll(fd, qsizetype(st.st_size) + 1);
    ::close(fd);
    if (!bytes)
        return bytes.error();
    return LoadedBytes{std::move(bytes.value()), identityOf(st)};
}

Result<FileIdentity> identifyFile(const QString& path) {
    struct stat st;
    if (::stat(nativePath(path).constData(), &st) != 0)
        return errorFromErrno(errno);
    return identityOf(st);
}

Status checkSameAsRead(const QString& path, const FileIdentity& original) {
    struct stat st;
    if (::stat(nativePath(path).constData(), &st) != 0)
        return errorFromErrno(errno);
    return sameAsRead(st, original) ? Status() : Status(changedOnDiskError());
}

void WriteJournal::sweepFolder(const QString& folder) {
    sweepOnce(nativePath(folder));
}

void WriteJournal::sweepOnce(const QByteArray& folder) {
    if (!m_sweptFolders.contains(folder)) {
        m_sweptFolders.insert(folder);
        sweepStaleTemporaries(folder);
    }
}

void WriteJournal::note(const QString& writtenPath, std::optional<quint64> device) {
    const QByteArray native = nativePath(writtenPath);
    sweepOnce(folderOf(native));
    if (!device) {
        struct stat st;
        if (::stat(native.constData(), &st) != 0)
            return; // gone again: nothing of it left to flush
        device = quint64(st.st_dev);
    }
#ifdef Q_OS_LINUX
    // One path per file system is enough for syncfs.
    if (m_devices.contains(*device))
        return;
    m_devices.append(*device);
#endif
    m_paths.append(writtenPath);
}

Status WriteJournal::syncAll() {
    Status result;
    for (const QString& path : std::as_const(m_paths)) {
        const QByteArray native = nativePath(path);
#ifdef Q_OS_LINUX
        int fd = ::open(folderOf(native).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue; // removed since: nothing to flush there
        const int rc = ::syncfs(fd);
#else
        const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        const int rc = ::fsync(fd);
#endif
        const int error = errno;
        ::close(fd);
        if (rc != 0 && result.ok())
            result = errorFromErrno(error);
    }
    m_paths.clear();
    m_devices.clear();
    m_sweptFolders.clear();
    return result;
}

struct AtomicFileWriter::Impl {
    QString targetText;   // the target as given, for the backup
    QByteArray target;    // the name replaced on commit
    QByteArray temporary; // the temporary file's name; empty while it is unnamed
    std::optional<FileIdentity> original;
    BackupMaker backup;
    // What the new file gets: permissions, owner and group when known, and the extended
    // attributes of the file named here.
    mode_t mode = 0;
    std::optional<std::pair<uid_t, gid_t>> owner;
    QByteArray attributesOf;
    int fd = -1;
    bool failed = false;
    bool committed = false;

    void discard() {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
        if (!temporary.isEmpty() && !committed) {
            ::unlink(temporary.constData());
            temporary.clear();
        }
    }

    Error fail(const Error& error) {
        failed = true;
        discard();
        return error;
    }
};

Result<std::unique_ptr<AtomicFileWriter>>
AtomicFileWriter::open(const QString& target, const std::optional<FileIdentity>& original,
                       const BackupMaker& backup) {
    auto impl = std::make_unique<Impl>();
    impl->targetText = target;
    impl->original = original;
    impl->backup = backup;
    std::optional<struct stat> known;
    if (backup) {
        impl->target = nativePath(target); // the name itself: its backup keeps a link
    } else {
        const Result<QByteArray> resolved = resolveLinks(nativePath(target), known);
        if (!resolved)
            return resolved.error();
        impl->target = resolved.value();
    }

    const Result<Replaced> found = inspect(impl->target, known);
    if (!found)
        return found.error();
    const bool exists = found.value().exists;
    const struct stat& existing = found.value().file;
    if (exists) {
        if (!S_ISREG(existing.st_mode))
            return notRegularFileError(S_ISDIR(existing.st_mode));
        if (original && !sameAsRead(existing, *original))
            return changedOnDiskError();
        if (Status replaceable = checkReplaceable(impl->target, found.value(), true); !replaceable)
            return replaceable.error();
        impl->attributesOf = impl->target;
    } else if (original) {
        return makeError(ErrorNumber::FileNotFound); // removed since it was read: it stays so
    }

    if (original) {
        impl->mode = mode_t(original->mode);
        impl->owner = {uid_t(original->uid), gid_t(original->gid)};
    } else if (exists) {
        impl->mode = existing.st_mode;
        impl->owner = {existing.st_uid, existing.st_gid};
    } else {
        impl->mode = defaultFileMode();
    }
    return start(std::move(impl));
}

Result<std::unique_ptr<AtomicFileWriter>> AtomicFileWriter::start(std::unique_ptr<Impl> impl) {
    Impl& d = *impl;
    Result<TemporaryFile> created = createTemporary(d.target);
    if (!created)
        return created.error();
    d.fd = created.value().fd;
    d.temporary = created.value().name;

#ifdef Q_OS_LINUX
    // Before the owner changes: only the owner may set the ACL.
    if (!d.attributesOf.isEmpty()) {
        if (Status kept = copyAttributes(d.attributesOf, d.fd); !kept)
            return d.fail(kept.error());
    }
#endif
    mode_t mode = d.mode & 07777;
    if (d.owner) {
        const auto [uid, gid] = *d.owner;
        bool uidKept = uid == ::geteuid();
        bool gidKept = gid == ::getegid();
        if (!uidKept || !gidKept) {
            if (::fchown(d.fd, uid, gid) == 0) {
                uidKept = gidKept = true;
            } else {
                if (errno != EPERM)
                    return d.fail(errorFromErrno(errno));
                // Not allowed to give the file away; the group alone may still be ours to set.
                if (::fchown(d.fd, uid_t(-1), gid) == 0)
                    gidKept = true;
                else if (errno != EPERM)
                    return d.fail(errorFromErrno(errno));
            }
        }
        // Set-user-ID and set-group-ID only stay with the owner and group they belonged to.
        if (!uidKept)
            mode &= ~mode_t(S_ISUID);
        if (!gidKept)
            mode &= ~mode_t(S_ISGID);
    }
    // After the owner: changing it clears those bits.
    if (::fchmod(d.fd, mode) != 0)
        return d.fail(errorFromErrno(errno));

    std::unique_ptr<AtomicFileWriter> writer(new AtomicFileWriter);
    writer->m_impl = std::move(impl);
    return writer;
}

AtomicFileWriter::~AtomicFileWriter() {
    if (m_impl)
        m_impl->discard();
}

Status AtomicFileWriter::write(const char* data, qsizetype size) {
    Impl& d = *m_impl;
    if (d.failed || d.committed || d.fd < 0)
        return makeError(ErrorNumber::PathFileAccess);
    if (Status written = writeAll(d.fd, data, size); !written)
        return d.fail(written.error());
    return {};
}

void AtomicFileWriter::setBackup(const BackupMaker& backup) {
    m_impl->backup = backup;
}

Status AtomicFileWriter::commit(WriteJournal* journal, std::optional<FileIdentity>* written) {
    Impl& d = *m_impl;
    if (d.failed || d.committed || d.fd < 0)
        return makeError(ErrorNumber::PathFileAccess);
    // A second descriptor keeps the lock until the rename; closing the first reports a write
    // error the file system deferred.
    const int held = ::fcntl(d.fd, F_DUPFD_CLOEXEC, 0);
    if (held < 0)
        return d.fail(errorFromErrno(errno));
    const int fd = d.fd;
    d.fd = held;
    if (::close(fd) != 0 && errno != EINTR)
        return d.fail(errorFromErrno(errno));
    // Checked again right before the rename: the file may have changed, vanished or become
    // read-only while the new bytes were being written.
    const Result<Replaced> found = inspect(d.target);
    if (!found)
        return d.fail(found.error());
    if (found.value().exists) {
        if (!S_ISREG(found.value().file.st_mode))
            return d.fail(notRegularFileError(S_ISDIR(found.value().file.st_mode)));
        if (d.original && !sameAsRead(found.value().file, *d.original))
            return d.fail(changedOnDiskError());
        // The kernel was asked at open; the bits and links can be told from here.
        if (Status replaceable = checkReplaceable(d.target, found.value(), false); !replaceable)
            return d.fail(replaceable.error());
        // Linked (not moved) to its backup, so the file never lacks its name.
        if (d.backup) {
            if (Status kept = d.backup(d.targetText); !kept)
                return d.fail(kept.error());
        }
    } else if (d.original) {
        return d.fail(makeError(ErrorNumber::FileNotFound)); // removed since it was read
    }
    // An unnamed file gets its name last, right before the rename: a kill between the two
    // leaves it under that hidden name, which the next command in this folder removes.
    if (d.temporary.isEmpty()) {
        Result<QByteArray> named = nameUnnamed(d.fd, d.target);
        if (!named)
            return d.fail(named.error());
        d.temporary = named.value();
    }
    if (Status renamed = renameFile(d.temporary, d.target); !renamed)
        return d.fail(renamed.error());
    d.committed = true;
    d.temporary.clear();
    // Asked of the descriptor, which the rename kept: no lookup of the name.
    struct stat st;
    if (written && ::fstat(d.fd, &st) == 0)
        *written = identityOf(st);
    ::close(d.fd);
    d.fd = -1;
    // The new file took the old name's place, on the same file system.
    if (journal)
        journal->note(decodePath(d.target),
                      found.value().exists
                          ? std::optional<quint64>(quint64(found.value().own.st_dev))
                          : std::nullopt);
    return {};
}

Status checkReplaceable(const QString& path) {
    const QByteArray native = nativePath(path);
    const Result<Replaced> found = inspect(native);
    if (!found)
        return found.error();
    if (!found.value().exists)
        return {};
    if (!S_ISREG(found.value().file.st_mode))
        return makeError(ErrorNumber::PathFileAccess);
    return checkReplaceable(native, found.value(), true);
}

Status writeFileAtomically(const QString& target, const QByteArray& bytes,
                           const std::optional<FileIdentity>& original, WriteJournal* journal) {
    auto writer = AtomicFileWriter::open(target, original);
    if (!writer)
        return writer.error();
    if (Status written = writer.value()->write(bytes); !written)
        return written;
    return writer.value()->commit(journal);
}

Status copyFileAtomically(const QString& source, const QString& target) {
    const QByteArray from = nativePath(source);
    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        return errorFromErrno(errno);
    struct stat st;
    const Error refused = ::fstat(in, &st) != 0  ? errorFromErrno(errno)
                          : !S_ISREG(st.st_mode) ? notRegularFileError(S_ISDIR(st.st_mode))
                                                 : Error{};
    if (refused.number != 0) {
        ::close(in);
        return refused;
    }
    ::fcntl(in, F_SETFL, ::fcntl(in, F_GETFL) & ~O_NONBLOCK);

    auto impl = std::make_unique<AtomicFileWriter::Impl>();
    impl->targetText = target;
    impl->target = nativePath(target);
    impl->mode = st.st_mode;
    impl->owner = {st.st_uid, st.st_gid};
    impl->attributesOf = from;
    Result<std::unique_ptr<AtomicFileWriter>> writer = AtomicFileWriter::start(std::move(impl));
    if (!writer) {
        ::close(in);
        return writer.error();
    }
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const Result<qsizetype> got = readSome(in, buffer.data(), buffer.size());
        if (!got) {
            ::close(in);
            return got.error();
        }
        if (got.value() == 0)
            break;
        if (Status written = writer.value()->write(buffer.constData(), got.value()); !written) {
            ::close(in);
            return written;
        }
    }
    ::close(in);
    return writer.value()->commit();
}

Status keepAsBackup(const QString& path, const QString& backupPath) {
    const QByteArray file = nativePath(path);
    const QByteArray backup = nativePath(backupPath);
    struct stat st;
    if (::lstat(file.constData(), &st) != 0)
        return errorFromErrno(errno);
    // The earlier backup goes first, since a link can't replace a name. A kill in between
    // leaves the file itself as it was. Linking to a spare name and renaming that over the
    // backup would keep a backup at every moment, but a kill could then leave the spare name
    // behind as a second link of the user's file.
    if (Status removed = removeFile(backupPath); !removed)
        return removed;
    if (::linkat(AT_FDCWD, file.constData(), AT_FDCWD, backup.constData(), 0) == 0)
        return {};
    if (!linkImpossible(errno))
        return errorFromErrno(errno);
    return S_ISLNK(st.st_mode) ? copyLink(file, backup) : copyFileAtomically(path, backupPath);
}

void forceNamedTemporaryFiles(bool force) {
    g_forceNamedTemporaryFiles = force;
}

} // namespace zuk

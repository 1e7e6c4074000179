// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/atomic_file.h"

#include <QtGlobal>

#ifndef Q_OS_UNIX
#error "atomic_file.cpp needs a POSIX system"
#endif

#include "engine/files/file_attributes.h"
#include "engine/files/path_bytes.h"
#include "engine/files/posix_file.h"
#include "engine/files/temporary_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk {

namespace {

Error otherHardLinks() {
    return pathFileAccessError(
        QStringLiteral("the file has other hard links, which would keep the old text"));
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

KeptLinkCheck& keptLinkCheck() {
    static KeptLinkCheck check;
    return check;
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
    if (links > 1 && keptLinkCheck() &&
        keptLinkCheck()(quint64(found.own.st_dev), quint64(found.own.st_ino)))
        links -= 1;
    return links > 1 ? Status(otherHardLinks()) : Status();
}

// Where a place for the old file can't be had, though a plain rename may do.
bool refusedPlace(int error) {
    return linkImpossible(error) || error == EEXIST || error == EINVAL;
}

// Whether a file created outside the target's folder ends as one created beside it would. On
// SELinux a new file takes its label from its folder; and a group not ours would only be set by
// a change of owner that may be refused, leaving the group of the folder it was created in.
bool mayBeCreatedElsewhere(const std::optional<std::pair<uid_t, gid_t>>& owner) {
    static const bool labelled = ::access("/sys/fs/selinux", F_OK) == 0;
    return !labelled && owner && owner->first == ::geteuid() && owner->second == ::getegid();
}

} // namespace

struct AtomicFileWriter::Impl {
    QString targetText;   // the target as given, for the backup
    QByteArray target;    // the name replaced on commit
    QByteArray temporary; // the temporary file's name; empty while it is unnamed
    std::optional<FileIdentity> original;
    BackupMaker backup;
    RenameHook beforeRename;
    WriteWatch watch;
    // What the new file gets: permissions, owner and group when known, and the extended
    // attributes of the file named here.
    mode_t mode = 0;
    std::optional<std::pair<uid_t, gid_t>> owner;
    QByteArray attributesOf;
    int fd = -1;
    // Where the new file was created instead of beside the target (see NewFilePlace).
    std::optional<KeepPlace> placed;
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
        if (placed && !committed)
            ::unlinkat(placed->folder, placed->name.constData(), 0);
        placed.reset();
    }

    Error fail(const Error& error) {
        failed = true;
        discard();
        return error;
    }

    // Gives the new file what it takes from the old one: attributes, owner, permissions.
    Status dress();
    Result<bool> exchangeAt(const KeepPlace& keep);
    // The new file created at `placed`, brought beside the target for a plain rename.
    Status bringBeside();
    // The new file is under the target's name.
    Status finish(WriteTracker* writes, const Replaced& found,
                  std::optional<FileIdentity>* written);
};

Result<std::unique_ptr<AtomicFileWriter>>
AtomicFileWriter::open(const QString& target, const std::optional<FileIdentity>& original,
                       const BackupMaker& backup, const NewFilePlace& place) {
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
    if (place && original && exists && !S_ISLNK(found.value().own.st_mode) &&
        mayBeCreatedElsewhere(impl->owner)) {
        if (std::optional<KeepPlace> at = place(*original)) {
            impl->fd = ::openat(at->folder, at->name.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (impl->fd >= 0)
                impl->placed = std::move(at); // else beside the target after all
        }
    }
    return start(std::move(impl));
}

Result<std::unique_ptr<AtomicFileWriter>> AtomicFileWriter::start(std::unique_ptr<Impl> impl) {
    Impl& d = *impl;
    if (d.fd < 0) {
        Result<TemporaryFile> created = createTemporary(d.target);
        if (!created)
            return created.error();
        d.fd = created.value().fd;
        d.temporary = created.value().name;
    }
    if (Status dressed = d.dress(); !dressed)
        return d.fail(dressed.error());
    std::unique_ptr<AtomicFileWriter> writer(new AtomicFileWriter);
    writer->m_impl = std::move(impl);
    return writer;
}

Status AtomicFileWriter::Impl::dress() {
#ifdef Q_OS_LINUX
    // Before the owner changes: only the owner may set the ACL.
    if (!attributesOf.isEmpty()) {
        if (Status kept = copyAttributes(attributesOf, fd); !kept)
            return kept;
    }
#endif
    mode_t kept = mode & 07777;
    if (owner) {
        const auto [uid, gid] = *owner;
        bool uidKept = uid == ::geteuid();
        bool gidKept = gid == ::getegid();
        if (!uidKept || !gidKept) {
            if (::fchown(fd, uid, gid) == 0) {
                uidKept = gidKept = true;
            } else {
                if (errno != EPERM)
                    return errorFromErrno(errno);
                // Not allowed to give the file away; the group alone may still be ours to set.
                if (::fchown(fd, uid_t(-1), gid) == 0)
                    gidKept = true;
                else if (errno != EPERM)
                    return errorFromErrno(errno);
            }
        }
        // Set-user-ID and set-group-ID only stay with the owner and group they belonged to.
        if (!uidKept)
            kept &= ~mode_t(S_ISUID);
        if (!gidKept)
            kept &= ~mode_t(S_ISGID);
    }
    // After the owner: changing it clears those bits.
    if (::fchmod(fd, kept) != 0)
        return errorFromErrno(errno);
    return {};
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
    if (d.watch)
        d.watch(data, size);
    return {};
}

void AtomicFileWriter::setBackup(const BackupMaker& backup) {
    m_impl->backup = backup;
}

void AtomicFileWriter::setBeforeRename(const RenameHook& beforeRename) {
    m_impl->beforeRename = beforeRename;
}

void AtomicFileWriter::setWatch(WriteWatch watch) {
    m_impl->watch = std::move(watch);
}

void setKeptLinkCheck(KeptLinkCheck check) {
    keptLinkCheck() = std::move(check);
}

Status AtomicFileWriter::commit(WriteTracker* writes, std::optional<FileIdentity>* written) {
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
        if (d.beforeRename) {
            const bool link = S_ISLNK(found.value().own.st_mode);
            KeepPlace keep;
            // Only an unnamed file can be named at the place first, or one created there.
            Status ready = d.beforeRename(d.target, link, d.temporary.isEmpty() ? &keep : nullptr);
            if (ready && keep.folder >= 0) {
                const Result<bool> exchanged = d.exchangeAt(keep);
                if (!exchanged)
                    return d.fail(exchanged.error());
                if (exchanged.value())
                    return d.finish(writes, found.value(), written);
                ready = d.beforeRename(d.target, link, nullptr);
            }
            if (!ready)
                return d.fail(ready.error());
        }
    } else if (d.original) {
        return d.fail(makeError(ErrorNumber::FileNotFound)); // removed since it was read
    }
    if (d.placed) {
        if (Status beside = d.bringBeside(); !beside)
            return d.fail(beside.error());
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
    return d.finish(writes, found.value(), written);
}

// The new file named at `keep` and exchanged with the old one: true when done, false when
// refused, with the new file still unnamed or beside the target for a plain rename.
Result<bool> AtomicFileWriter::Impl::exchangeAt(const KeepPlace& keep) {
    if (placed && (placed->folder != keep.folder || placed->name != keep.name)) {
        // Kept elsewhere than it was asked: as refused, with the place left free.
        if (Status beside = bringBeside(); !beside)
            return beside.error();
        return false;
    }
    if (!placed && !nameUnnamedAt(fd, keep.folder, keep.name))
        return refusedPlace(errno) ? Result<bool>(false) : Result<bool>(errorFromErrno(errno));
    if (::renameat2(keep.folder, keep.name.constData(), AT_FDCWD, target.constData(),
                    RENAME_EXCHANGE) == 0)
        return true;
    const int error = errno;
    if (placed) {
        if (!refusedPlace(error))
            return errorFromErrno(error); // discarded with the writer
        if (Status beside = bringBeside(); !beside)
            return beside.error();
        return false;
    }
    // A named file can't lose its name and be named again: it moves beside the target.
    const Result<QByteArray> moved = moveBeside(keep.folder, keep.name, target);
    if (!moved) {
        ::unlinkat(keep.folder, keep.name.constData(), 0);
        return moved.error();
    }
    temporary = moved.value();
    if (refusedPlace(error))
        return false;
    return errorFromErrno(error);
}

Status AtomicFileWriter::Impl::bringBeside() {
    const KeepPlace at = *placed;
    if (const Result<QByteArray> moved = moveBeside(at.folder, at.name, target)) {
        placed.reset();
        temporary = moved.value();
        return {};
    }
    // Another mount of the file system, or a folder of another project quota: copied into a
    // file created beside the target, and dressed again there.
    Result<TemporaryFile> created = createTemporary(target);
    if (!created)
        return created.error();
    const int out = created.value().fd;
    const int in = ::openat(at.folder, at.name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    Status copied = in < 0 ? Status(errorFromErrno(errno)) : Status();
    QByteArray buffer(copied ? 1 << 16 : 0, Qt::Uninitialized);
    while (copied) {
        const Result<qsizetype> got = readSome(in, buffer.data(), buffer.size());
        if (!got || got.value() == 0) {
            copied = got ? Status() : Status(got.error());
            break;
        }
        copied = writeAll(out, buffer.constData(), got.value());
    }
    if (in >= 0)
        ::close(in);
    ::unlinkat(at.folder, at.name.constData(), 0);
    placed.reset();
    ::close(fd);
    // As at the commit: a second descriptor keeps the lock, closing the first reports a write
    // error the file system deferred.
    fd = copied ? ::fcntl(out, F_DUPFD_CLOEXEC, 0) : -1;
    if (copied && fd < 0)
        copied = errorFromErrno(errno);
    if (::close(out) != 0 && copied && errno != EINTR)
        copied = errorFromErrno(errno);
    temporary = created.value().name;
    if (!copied)
        return copied;
    return dress();
}

Status AtomicFileWriter::Impl::finish(WriteTracker* writes, const Replaced& found,
                                      std::optional<FileIdentity>* written) {
    committed = true;
    temporary.clear();
    // Asked of the descriptor, which the rename kept: no lookup of the name.
    struct stat st;
    if (written && ::fstat(fd, &st) == 0)
        *written = identityOf(st);
    ::close(fd);
    fd = -1;
    // The new file took the old name's place, on the same file system.
    if (writes)
        writes->note(decodePath(target), found.exists
                                             ? std::optional<quint64>(quint64(found.own.st_dev))
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

Result<std::unique_ptr<AtomicFileWriter>>
AtomicFileWriter::openLike(const QString& target, quint32 mode, quint32 uid, quint32 gid,
                           const QByteArray& attributesOf) {
    auto impl = std::make_unique<Impl>();
    impl->targetText = target;
    impl->target = nativePath(target);
    impl->mode = mode_t(mode);
    impl->owner = {uid_t(uid), gid_t(gid)};
    impl->attributesOf = attributesOf;
    return start(std::move(impl));
}

} // namespace zuk

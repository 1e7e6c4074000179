// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/files/file_identity.h"
#include "engine/files/file_io.h"
#include "engine/files/write_tracker.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace zuk {

// Keeps the file at `path` as it is now under its backup name; the file stays under its own
// name. A symbolic link is kept itself, not its destination.
using BackupMaker = std::function<Status(const QString& path)>;

// Sees every byte a writer writes, in order.
using WriteWatch = std::function<void(const char* data, qsizetype size)>;

// A name in a folder (open as `folder`) on the target's file system, where the old file is to
// stay after the commit.
struct KeepPlace {
    int folder = -1;
    QByteArray name;
};

// Told, right before the rename, the name about to be replaced (the system's bytes, as the writer
// names it) and whether that name is a symbolic link: what the writer's last look at it saw.
// Where the writer can, it passes `keep`: a hook that fills it has the new file named there
// first and exchanged with the old one, which then stays there with no link of its own. Where
// that is refused (another mount, a file system without exchange, a name already taken), the
// place is left empty and the hook is called again without `keep`, for a plain rename.
using RenameHook =
    std::function<Status(const QByteArray& name, bool symbolicLink, KeepPlace* keep)>;

// Where a writer opened for a file (`old`: its identity as read) may create its new file
// instead of beside it: the place its old file will be kept at, which saves naming the new file
// there at the commit. Nothing: beside the target. The hook before the rename is then offered
// that place; where it takes another course, or the exchange is refused, the new file is moved
// (or, across mounts, copied) beside the target for a plain rename.
using NewFilePlace = std::function<std::optional<KeepPlace>(const FileIdentity& old)>;

// What a commit of a user's file may be told besides its backup.
struct WriteHooks {
    RenameHook beforeRename; // see AtomicFileWriter::setBeforeRename
    WriteWatch watch;
    NewFilePlace place; // asked as the writer opens
};

// Whether a link outside the user's folders (the undo journal's) keeps the file (device,
// inode): such a link is no other name of the file for the hard-link rule.
using KeptLinkCheck = std::function<bool(quint64 device, quint64 inode)>;
// Set once, before any writer runs.
void setKeptLinkCheck(KeptLinkCheck check);

// The one helper that writes a user's file: the bytes go to a temporary file in the target's
// folder, every write checked, and that file is renamed over the target on commit. The
// temporary file is unnamed where the file system allows it, so a kill leaves nothing;
// otherwise it is a hidden one held under a lock, which a later run in that folder removes
// (see WriteTracker). A crash, a kill or a full disk never leaves a truncated target.
//
// An existing target is replaced only if the process could write it itself (70 otherwise,
// and always for a file without any write permission bit), and not when it has other hard
// links than its own backup (75), since those would keep the old text. The new file gets the
// target's permissions, owner and group where the process may set them, set-user-ID and
// set-group-ID bits where those are kept, its `user.*` extended attributes and its ACL.
class AtomicFileWriter {
public:
    // `original`: the identity of the file as it was read. Its permissions and owner go to the
    // new file; if the target is no longer that file as it was read (size, time, inode), the
    // write is refused, and a target that is gone is not created again (53). Without it, an
    // existing target's own permissions are kept, and a missing one is created.
    // A target that is a symbolic link is written at the link's destination, unless `backup`
    // is given: then `backup` is made right before the rename, after the last checks, and the
    // new file replaces the name itself (a link with its backup keeping the link).
    // `place`: see NewFilePlace; asked only with `original`.
    static Result<std::unique_ptr<AtomicFileWriter>>
    open(const QString& target, const std::optional<FileIdentity>& original = std::nullopt,
         const BackupMaker& backup = {}, const NewFilePlace& place = {});

    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    Status write(const char* data, qsizetype size);
    Status write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    // The backup to make at commit, for a writer opened before it was known. Only for a target
    // that is not a symbolic link (where the backup decides which name is replaced).
    void setBackup(const BackupMaker& backup);
    // Called with the name about to be replaced after the backup, right before the rename; a
    // failure leaves the target as it is.
    void setBeforeRename(const RenameHook& beforeRename);
    // Given every byte written from now on.
    void setWatch(WriteWatch watch);
    // Renames the temporary file over the target; notes the write in `writes` if given.
    // `written`, when given, gets the identity of the new file under the target's name.
    Status commit(WriteTracker* writes = nullptr, std::optional<FileIdentity>* written = nullptr);

private:
    friend Status copyFileAtomically(const QString& source, const QString& target);
    AtomicFileWriter() = default;
    // A writer whose new file takes this mode, owner and the attributes of the file named
    // `attributesOf`, instead of the target's.
    static Result<std::unique_ptr<AtomicFileWriter>> openLike(const QString& target, quint32 mode,
                                                              quint32 uid, quint32 gid,
                                                              const QByteArray& attributesOf);
    struct Impl;
    static Result<std::unique_ptr<AtomicFileWriter>> start(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

// Whether the file named `path` (the name itself, a link not followed) may be put out of the way
// for another file, by the rule every write follows: 70 when this process could not write it
// or it has no write permission bit, 75 when it is no regular file or has other hard links
// than its own backup. A missing file may be.
Status checkReplaceable(const QString& path);

// Convenience for small files: open, write, commit.
Status writeFileAtomically(const QString& target, const QByteArray& bytes,
                           const std::optional<FileIdentity>& original = std::nullopt,
                           WriteTracker* writes = nullptr);

// Copies the file at `source` (links followed) to `target` through the writer, with its
// permissions, owner, extended attributes and ACL; an existing target is replaced.
Status copyFileAtomically(const QString& source, const QString& target);

// Makes `backupPath` the file at `path` as it is now, replacing an earlier file of that name:
// a hard link, or a copy where the file system or the kernel refuse one. A symbolic link is
// kept itself (linked, or made again with the same destination).
Status keepAsBackup(const QString& path, const QString& backupPath);

} // namespace zuk

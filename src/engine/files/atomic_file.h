// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/files/file_io.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace zuk {

// Keeps the file at `path` as it is now under its backup name; the file stays under its own
// name. A symbolic link is kept itself, not its destination.
using BackupMaker = std::function<Status(const QString& path)>;

// What a file was when it was read: which file, its size and time (to notice a change on disk
// before overwriting), and its permissions and owner (given to the file written in its place).
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    quint32 mode = 0;
    quint32 uid = 0;
    quint32 gid = 0;
};

struct LoadedBytes {
    QByteArray bytes;
    FileIdentity identity;
};

// Reads a whole file as plain bytes (symbolic links followed). Errors: 53 missing, 70 denied,
// 75 not a regular file or unreadable.
Result<LoadedBytes> readWholeFile(const QString& path);

// The identity of the file at path (symbolic links followed).
Result<FileIdentity> identifyFile(const QString& path);

// Fails when the file at path is no longer the one read as `original` (another file, or a
// changed size or time); 53 when it is gone.
Status checkSameAsRead(const QString& path, const FileIdentity& original);

// Remembers where a command wrote, so that it can end with one sync instead of one per file.
// The first time it notes a folder, it removes the temporary files a killed writer left there
// (those whose lock is free).
class WriteJournal {
public:
    // `device`: the file system of the file, when the caller knows it.
    void note(const QString& writtenPath, std::optional<quint64> device = std::nullopt);
    // Removes the temporary files a killed writer left in `folder` (those whose lock is free),
    // once until the next sync: for a command that works in a folder without writing there.
    void sweepFolder(const QString& folder);
    // Flushes every file system written to (syncfs), once each. Clears the journal.
    Status syncAll();
    bool isEmpty() const { return m_paths.isEmpty(); }

private:
    void sweepOnce(const QByteArray& folder);

    QList<quint64> m_devices;
    QList<QString> m_paths;
    QSet<QByteArray> m_sweptFolders;
};

// The one helper that writes a user's file: the bytes go to a temporary file in the target's
// folder, every write checked, and that file is renamed over the target on commit. The
// temporary file is unnamed where the file system allows it, so a kill leaves nothing;
// otherwise it is a hidden one held under a lock, which a later run in that folder removes
// (see WriteJournal). A crash, a kill or a full disk never leaves a truncated target.
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
    static Result<std::unique_ptr<AtomicFileWriter>>
    open(const QString& target, const std::optional<FileIdentity>& original = std::nullopt,
         const BackupMaker& backup = {});

    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    Status write(const char* data, qsizetype size);
    Status write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    // The backup to make at commit, for a writer opened before it was known. Only for a target
    // that is not a symbolic link (where the backup decides which name is replaced).
    void setBackup(const BackupMaker& backup);
    // Renames the temporary file over the target; notes the write in `journal` if given.
    // `written`, when given, gets the identity of the new file under the target's name.
    Status commit(WriteJournal* journal = nullptr, std::optional<FileIdentity>* written = nullptr);

private:
    friend Status copyFileAtomically(const QString& source, const QString& target);
    AtomicFileWriter() = default;
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
                           WriteJournal* journal = nullptr);

// Copies the file at `source` (links followed) to `target` through the writer, with its
// permissions, owner, extended attributes and ACL; an existing target is replaced.
Status copyFileAtomically(const QString& source, const QString& target);

// Makes `backupPath` the file at `path` as it is now, replacing an earlier file of that name:
// a hard link, or a copy where the file system or the kernel refuse one. A symbolic link is
// kept itself (linked, or made again with the same destination).
Status keepAsBackup(const QString& path, const QString& backupPath);

// Whether a name in a folder is one the writer gives its temporary files: "." NAME ".zuk-" and
// six letters or digits.
bool isTemporaryFileName(const char* name);

// For tests: use hidden named temporary files even where unnamed ones are possible.
void forceNamedTemporaryFiles(bool force);

} // namespace zuk

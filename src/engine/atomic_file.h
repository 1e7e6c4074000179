#pragma once

#include "engine/error.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace zuk {

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
class WriteJournal {
public:
    void note(const QString& writtenPath);
    // Flushes every file system written to (syncfs), once each. Clears the journal.
    Status syncAll();
    bool isEmpty() const { return m_paths.isEmpty(); }

private:
    QList<quint64> m_devices;
    QList<QString> m_paths;
};

// The one helper that writes a user's file: the bytes go to a hidden temporary file in the
// target's folder, every write checked, and that file is renamed over the target on commit.
// A crash, a kill or a full disk never leaves a truncated target; an uncommitted writer
// removes its temporary file.
class AtomicFileWriter {
public:
    // `original`: the identity of the file as it was read. Its permissions and owner go to the
    // new file; if the target still exists but is no longer that file as it was read (size,
    // time, inode), the write is refused. Without it, an existing target's own permissions are
    // kept. A target that is a symbolic link is written at the link's destination.
    static Result<std::unique_ptr<AtomicFileWriter>>
    open(const QString& target, const std::optional<FileIdentity>& original = std::nullopt);

    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    Status write(const char* data, qsizetype size);
    Status write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    // Renames the temporary file over the target; notes the write in `journal` if given.
    Status commit(WriteJournal* journal = nullptr);

private:
    AtomicFileWriter() = default;
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Convenience for small files: open, write, commit.
Status writeFileAtomically(const QString& target, const QByteArray& bytes,
                           const std::optional<FileIdentity>& original = std::nullopt,
                           WriteJournal* journal = nullptr);

} // namespace zuk

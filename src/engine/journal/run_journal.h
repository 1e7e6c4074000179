// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/files/atomic_file.h"
#include "engine/files/file_identity.h"
#include "engine/journal/content_hash.h"
#include "engine/journal/journal_folder.h"
#include "engine/journal/record_appender.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace zuk {

// What a run is, for its record's first line.
struct RunInfo {
    RunKind kind = RunKind::Run;
    QString path;
    QString searchText;
    qint64 undoes = 0; // for an undo: the run it takes back
    // Whether the runs pruned to make room are removed on a thread of their own while this
    // one writes (false: before its first file, for a run asked to use one thread).
    bool pruneAside = true;
};

// The journal of one run, as its files are committed: the commit step calls beforeCommit right
// before it renames a new file over a name, committed or abandoned after, and finish at the
// end. Nothing is written to the journal before the first file, so a run that changes nothing
// leaves nothing.
class RunJournal {
public:
    RunJournal(JournalFolder& folder, RunInfo info);
    // Goes on with run `id` that a kill cut short (an undo's, for a second undo to finish).
    static Result<std::unique_ptr<RunJournal>> resume(JournalFolder& folder, qint64 id);
    ~RunJournal(); // finishes the record if finish wasn't called
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    // Opens the journal (making it when missing) without starting a record, so that a journal
    // that can't be written is known before a file changes.
    Status prepare();
    // Starts the record now, even if no file follows (an undo that puts nothing back still
    // marks its run as taken back).
    Status begin() { return start(); }

    // Records `path` (the name the rename replaces, as given to the writer) before its new
    // bytes, hashed `newHash`, replace the file `old`: its old bytes are kept (a link, else a
    // copy within the limit), and the record of it is written when this returns (a kill can't
    // lose it; finish makes it durable). `oldHash`: the hash of the old bytes when the caller
    // has it (a copy hashes them itself). Gives the entry's number; an error means the file
    // must not be renamed.
    Result<qint64> beforeCommit(const QString& path, const FileIdentity& old,
                                const ContentHash& newHash, const ContentHash& oldHash = {});
    // The same for a writer that has just looked at the name: `name` as the system's bytes and
    // whether it is a symbolic link, not asked again. Given `keep` (see RenameHook), the old
    // file's link is left to the writer's exchange where one would be taken: the place is set
    // and nothing linked.
    Result<qint64> beforeCommit(const QByteArray& name, bool symbolicLink, const FileIdentity& old,
                                const ContentHash& newHash, const ContentHash& oldHash = {},
                                KeepPlace* keep = nullptr);
    // Where the new file that is to replace `old` may be created (see NewFilePlace): the place
    // its old file will be kept at, when it is to be linked there. Starts the record. From any
    // thread.
    std::optional<KeepPlace> placeFor(const FileIdentity& old);
    // The writer refused the place it was given for entry `entry`: the entry is abandoned, and no
    // place is given again in this run.
    void placeRefused(qint64 entry);
    // The rename of entry `entry` happened; `written`: the new file, when known.
    void committed(qint64 entry, const std::optional<FileIdentity>& written);
    // The rename of entry `entry` didn't happen: its old bytes need no keeping.
    void abandoned(qint64 entry);
    // Ends the record, syncs it with the links made, and prunes the journal to its limits.
    Status finish();

    qint64 id() const { return m_id; } // 0 until the first file
    // The files of the run that can't be taken back: their old bytes would have passed the
    // limit (or were a symbolic link, which its backup keeps).
    const QStringList& notKept() const { return m_notKept; }

private:
    Status start();
    Status openLinks();
    void closeAll();
    Status append(const QByteArray& line, bool sync);
    Status appendEntry(const FileEntry& entry);
    Status writeLines(bool sync);
    void noteChanged(const QByteArray& name);
    void makeRoom(qint64 bytes);
    struct Pending;
    Result<bool> keepLinked(FileEntry& entry, Pending& pending, KeepPlace* keep);
    Status keepCopied(FileEntry& entry, Pending& pending);
    Result<ContentHash> copyOldBytes(const QByteArray& name, const FileIdentity& old,
                                     const QByteArray& copyName);

    JournalFolder& m_folder;
    RunInfo m_info;
    qint64 m_id = 0;
    int m_lockFd = -1;
    int m_recordFd = -1;
    int m_runFolderFd = -1;
    int m_copiesFd = -1;
    int m_linksFd = -1;
    bool m_finished = false;
    bool m_placeRefused = false;
    qint64 m_lastEntry = 0;
    qint64 m_olderCopied = 0; // by the other runs kept
    qint64 m_copied = 0;      // by this one
    // The files changed, as their names' hashes, counted once at the end: cheaper per file
    // than a set of the names. Two names alike in 64 bits would count once in the run's total.
    std::vector<size_t> m_changed;
    struct Pending {
        QByteArray object; // made for this entry, dropped when its rename doesn't happen
        QByteArray copy;
        qint64 copied = 0;
        QByteArray name;
    };
    QHash<qint64, Pending> m_pending;
    QByteArray m_lines;                         // formed, and not yet in the record
    std::unique_ptr<RecordAppender> m_appender; // of m_recordFd, made at its first line
    QStringList m_notKept;
    std::thread m_drainer; // removes the runs pruned while this one writes
    // placeFor is asked on the threads that prepare files, the rest on the committing one.
    std::mutex m_mutex;
};

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/journal/journal_record.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace zuk {

struct JournalLimits {
    int maxRuns = 20;                        // at least one is always kept
    qint64 maxCopiedBytes = qint64(1) << 30; // old bytes kept as copies, over all runs
};

// A size in bytes, with K, M or G for binary thousands; nothing for a text that is none.
std::optional<qint64> parseByteSize(QString text);
// The limits as the settings file keeps them: a number of runs from 1 and a size; a missing or
// unusable value takes its default.
JournalLimits journalLimitsOf(const QString& runs, const QString& size);

// The undo journal on disk, a folder private to the user (0700) whose names are never followed
// through symbolic links:
//
//   lock                shared by every run being recorded, exclusive while runs are pruned
//   runs/ID/record      one run's record (journal_record.h), locked while it is being written
//   runs/ID/links/DEV-INO  the run's old files (device and inode in hexadecimal), where the
//                       journal shares the file's file system: each file's new bytes are
//                       written here and exchanged with the old file at the commit, which
//                       leaves the old one here (or a link to it is taken)
//   runs/ID/copies/N    the old bytes of entry N where no link could be taken
//   objects/DEV-INO     links that every run once shared (DEV-INO.shared: named by more than
//                       one run): still read and pruned, never added to
//
// A run removed goes first to runs/.gone-ID, so a kill never leaves half a run under its id;
// its links go with it.
class JournalFolder {
public:
    explicit JournalFolder(QString path, JournalLimits limits = {});
    ~JournalFolder();
    JournalFolder(const JournalFolder&) = delete;
    JournalFolder& operator=(const JournalFolder&) = delete;

    const QString& path() const { return m_path; }
    const JournalLimits& limits() const { return m_limits; }
    void setLimits(JournalLimits limits) { m_limits = limits; }
    // Copies where links would do (the path a journal on another file system takes).
    void setForceCopies(bool force) { m_forceCopies = force; }

    // Opens the folder. With `create`, makes it (and its parent) when missing; without, a
    // missing journal leaves it closed and empty. Refused (75): a symbolic link, no folder,
    // or another user's folder; one that others may enter is made private.
    Status open(bool create);

    // The runs kept, by id from the oldest.
    QList<qint64> runIds() const;
    Result<RunRecord> readRecord(qint64 id) const;
    // The header and, when the run ended, its end, without reading the whole record.
    Result<RunRecord> readSummary(qint64 id) const;
    // Whether the run is being recorded now (by this process or another).
    bool isActive(qint64 id) const;

    // A new run: the next id, its folder and its record holding the header, on disk. The
    // record comes back open for appending, locked.
    struct OpenRun {
        qint64 id = 0;
        int recordFd = -1;
        int folderFd = -1;
    };
    Result<OpenRun> createRun(RunHeader header);
    // A run cut short, opened again to go on: locked, cut back to its last whole line.
    Result<OpenRun> reopenRun(qint64 id);
    // Marks the entries of a run cut short (opened again, `record` as read then) whose rename
    // never happened, and drops what they kept, so that no link of the journal stays a second
    // name of a user's file.
    void settle(const OpenRun& run, const RunRecord& record);

    // The journal's lock, for a run (shared) or pruning (exclusive).
    Result<int> openLock();

    // The name a run's link to the file (device, inode) has in its links folder.
    static QByteArray linkName(quint64 device, quint64 inode);
    // Whether the old file `old` can be kept as a link: the journal shares its file system and
    // copies aren't forced.
    bool canLink(const FileIdentity& old) const;
    // Whether the file (device, inode) has a link in the journal.
    bool keepsFile(quint64 device, quint64 inode) const;
    // Opens a kept old file for reading: a link or a copy of run `id`.
    Result<int> openKept(qint64 id, KeptAs kept, const QByteArray& keptName) const;

    // Removes the oldest runs (never one in `spared`, never the newest) until at most
    // `keepRuns` remain besides the spared ones and their copies hold at most `keepBytes`; then
    // the objects no run names. Call with the lock held exclusively. Gives the copied bytes of
    // the runs kept besides the spared ones.
    // With `gone`, a run removed is only moved out of the way, and its name there (in `runs`)
    // added for the caller to remove.
    Result<qint64> prune(const QList<qint64>& spared, int keepRuns, qint64 keepBytes,
                         QList<QByteArray>* gone = nullptr);
    // The folder of the runs, for removing what prune moved out of the way.
    int runsFolder() const { return m_runsFd; }
    // The bytes copied by every run but `exclude`.
    qint64 copiedBytes(qint64 exclude) const;

private:
    int openRunFolder(qint64 id) const;
    void settleCutShort(qint64 id);
    Status removeRun(qint64 id, QList<QByteArray>* gone);
    void sweepObjects(const QList<QByteArray>& candidates, bool everything);
    void dropObject(const QByteArray& object);

    QString m_path;
    JournalLimits m_limits;
    bool m_forceCopies = false;
    quint64 m_device = 0; // the journal's file system
    int m_fd = -1;
    int m_runsFd = -1;
    int m_objectsFd = -1;
};

// The bytes a run's record holds as copies.
qint64 copiedBytesOf(const RunRecord& record);

} // namespace zuk

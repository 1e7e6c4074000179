// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/journal/run_journal.h"

#include "engine/files/file_io.h"
#include "engine/files/path_bytes.h"
#include "engine/files/posix_file.h"
#include "engine/journal/folder_at.h"

#include <QDateTime>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace zuk {

namespace {

// The name as the system's bytes, from the root: an undo may run from another folder.
QByteArray absoluteName(const QByteArray& name) {
    if (name.startsWith('/'))
        return name;
    QByteArray folder(PATH_MAX, Qt::Uninitialized);
    if (!::getcwd(folder.data(), size_t(folder.size())))
        return name;
    folder.truncate(qsizetype(qstrlen(folder.constData())));
    return folder + (folder.endsWith('/') ? "" : "/") + name;
}

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

RunJournal::RunJournal(JournalFolder& folder, RunInfo info)
    : m_folder(folder), m_info(std::move(info)) {}

Result<std::unique_ptr<RunJournal>> RunJournal::resume(JournalFolder& folder, qint64 id) {
    auto journal = std::make_unique<RunJournal>(folder, RunInfo{});
    const Result<int> lock = folder.openLock();
    if (!lock)
        return lock.error();
    journal->m_lockFd = lock.value();
    ::flock(journal->m_lockFd, LOCK_SH);
    const Result<JournalFolder::OpenRun> run = folder.reopenRun(id);
    if (!run)
        return run.error();
    journal->m_id = id;
    journal->m_recordFd = run.value().recordFd;
    journal->m_runFolderFd = run.value().folderFd;
    if (const Result<RunRecord> cut = folder.readRecord(id))
        folder.settle(run.value(), cut.value());
    const Result<RunRecord> record = folder.readRecord(id);
    if (!record)
        return record.error();
    const RunHeader& header = record.value().header;
    journal->m_info = {header.kind, header.path, header.searchText, header.undoes};
    for (const FileEntry& entry : record.value().entries) {
        journal->m_lastEntry = std::max(journal->m_lastEntry, entry.number);
        if (!entry.abandoned)
            journal->noteChanged(entry.name);
    }
    journal->m_copied = copiedBytesOf(record.value());
    journal->m_olderCopied = folder.copiedBytes(id);
    return journal;
}

RunJournal::~RunJournal() {
    if (!m_finished)
        (void)finish();
    if (m_drainer.joinable())
        m_drainer.join();
    closeAll();
}

Status RunJournal::prepare() {
    return m_folder.open(true);
}

Status RunJournal::start() {
    if (m_recordFd >= 0)
        return {};
    const Result<int> lock = m_folder.openLock();
    if (!lock)
        return lock.error();
    m_lockFd = lock.value();
    const JournalLimits& limits = m_folder.limits();
    // Room for this run among the kept ones, when no other run is being recorded.
    std::optional<qint64> older;
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0) {
        // An undo's run stays until the undo has its kept bytes. The runs removed go while
        // this one writes, as a run without the journal frees each old file at its rename.
        QList<QByteArray> gone;
        if (const Result<qint64> kept =
                m_folder.prune({m_info.undoes}, limits.maxRuns - 1, limits.maxCopiedBytes, &gone))
            older = kept.value();
        if (!gone.isEmpty()) {
            // The journal folder outlives this run, which waits for the thread at its end.
            const auto remove = [runs = m_folder.runsFolder(), gone] {
                for (const QByteArray& name : gone)
                    removeTreeAt(runs, name);
            };
            try {
                if (m_info.pruneAside)
                    m_drainer = std::thread(remove);
            } catch (const std::system_error&) {
            }
            if (!m_drainer.joinable())
                remove(); // no thread asked for, or none to be had
        }
    }
    ::flock(m_lockFd, LOCK_SH);
    m_olderCopied = older ? *older : m_folder.copiedBytes(0);

    RunHeader header;
    header.kind = m_info.kind;
    header.startMs = QDateTime::currentMSecsSinceEpoch();
    header.undoes = m_info.undoes;
    header.path = m_info.path;
    header.searchText = m_info.searchText;
    const Result<JournalFolder::OpenRun> run = m_folder.createRun(header);
    if (!run) {
        closeFd(m_lockFd);
        return run.error();
    }
    m_id = run.value().id;
    m_recordFd = run.value().recordFd;
    m_runFolderFd = run.value().folderFd;
    return {};
}

Status RunJournal::append(const QByteArray& line, bool sync) {
    m_lines.append(line);
    return writeLines(sync);
}

Status RunJournal::appendEntry(const FileEntry& entry) {
    journal_record::appendEntryLine(m_lines, entry);
    return writeLines(false);
}

Status RunJournal::writeLines(bool sync) {
    // A file's "written" line goes out with the next line. A kill before then loses nothing
    // an undo needs (it finds the rename by the file's identity).
    if (!m_appender)
        m_appender = std::make_unique<RecordAppender>(m_recordFd);
    // The last line is written after the record is cut back to its lines.
    Status written = sync ? m_appender->close() : m_appender->append(m_lines);
    if (written && sync)
        written = writeAll(m_recordFd, m_lines);
    m_lines.resize(0); // keeps its room from file to file
    if (!written)
        return written;
    if (sync && ::fdatasync(m_recordFd) != 0)
        return errorFromErrno(errno);
    return {};
}

void RunJournal::makeRoom(qint64 bytes) {
    const JournalLimits& limits = m_folder.limits();
    // Older runs go first; with another run being recorded, none can.
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0) {
        const Result<qint64> kept = m_folder.prune({m_id, m_info.undoes}, limits.maxRuns - 1,
                                                   limits.maxCopiedBytes - m_copied - bytes);
        if (kept)
            m_olderCopied = kept.value();
    }
    ::flock(m_lockFd, LOCK_SH); // a refused change of lock leaves none
}

Result<ContentHash> RunJournal::copyOldBytes(const QByteArray& name, const FileIdentity& old,
                                             const QByteArray& copyName) {
    if (m_copiesFd < 0) {
        const Result<int> copies = privateFolderAt(m_runFolderFd, "copies", true);
        if (!copies)
            return copies.error();
        m_copiesFd = copies.value();
    }
    const int in = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (in < 0)
        return errorFromErrno(errno);
    const int out = ::openat(m_copiesFd, copyName.constData(),
                             O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    struct stat st;
    Status copied = out < 0                                        ? errorFromErrno(errno)
                    : ::fstat(in, &st) != 0                        ? errorFromErrno(errno)
                    : !S_ISREG(st.st_mode) || !sameAsRead(st, old) ? changedOnDiskError()
                                                                   : Status();
    ContentHasher hasher;
    QByteArray buffer(copied ? 1 << 20 : 0, Qt::Uninitialized);
    while (copied) {
        const Result<qsizetype> got = readSome(in, buffer.data(), buffer.size());
        if (!got)
            copied = got.error();
        if (!got || got.value() == 0)
            break;
        hasher.add(buffer.constData(), got.value());
        copied = writeAll(out, buffer.constData(), got.value());
    }
    // Not synced here, as the links aren't: a sync per file made a run over another disk
    // many times slower. The copy reaches the page cache before the rename, which a kill
    // can't take; the journal's one sync at its end makes the copies durable. A copy a power
    // cut damaged is found by its hash, and its file is left as it is.
    ::close(in);
    if (out >= 0 && ::close(out) != 0 && copied && errno != EINTR)
        copied = errorFromErrno(errno);
    if (!copied) {
        ::unlinkat(m_copiesFd, copyName.constData(), 0);
        return copied.error();
    }
    return hasher.result();
}

Result<qint64> RunJournal::beforeCommit(const QString& path, const FileIdentity& old,
                                        const ContentHash& newHash, const ContentHash& oldHash) {
    const QByteArray name = encodePath(path);
    struct stat st;
    if (::lstat(name.constData(), &st) != 0)
        return errorFromErrno(errno);
    return beforeCommit(name, S_ISLNK(st.st_mode), old, newHash, oldHash);
}

Result<qint64> RunJournal::beforeCommit(const QByteArray& name, bool symbolicLink,
                                        const FileIdentity& old, const ContentHash& newHash,
                                        const ContentHash& oldHash, KeepPlace* keep) {
    const std::lock_guard lock(m_mutex);
    if (m_finished)
        return makeError(ErrorNumber::PathFileAccess);
    if (Status started = start(); !started)
        return started.error();
    FileEntry entry;
    entry.number = m_lastEntry + 1;
    entry.name = absoluteName(name);
    entry.old = old;
    entry.oldHash = oldHash;
    entry.newHash = newHash;
    Pending pending;
    pending.name = entry.name;

    const Result<bool> linked =
        symbolicLink ? false : keepLinked(entry, pending, m_placeRefused ? nullptr : keep);
    if (!linked)
        return linked.error();
    if (!linked.value()) {
        if (symbolicLink) {
            entry.kept = KeptAs::SymbolicLink;
        } else if (const Status copied = keepCopied(entry, pending); !copied) {
            return copied.error();
        }
        if (Status recorded = appendEntry(entry); !recorded) {
            m_pending.insert(entry.number, pending);
            abandoned(entry.number);
            return recorded.error();
        }
        m_lastEntry = entry.number;
    }
    if (entry.kept == KeptAs::OverLimit || entry.kept == KeptAs::SymbolicLink)
        m_notKept.append(decodePath(name));
    m_pending.insert(entry.number, pending);
    return entry.number;
}

Status RunJournal::openLinks() {
    if (m_linksFd >= 0)
        return {};
    const Result<int> links = privateFolderAt(m_runFolderFd, "links", true);
    if (!links)
        return links.error();
    m_linksFd = links.value();
    return {};
}

std::optional<KeepPlace> RunJournal::placeFor(const FileIdentity& old) {
    const std::lock_guard lock(m_mutex);
    if (m_finished || m_placeRefused || !m_folder.canLink(old) || !start() || !openLinks())
        return std::nullopt;
    // A kill before the file's entry leaves the new file there with no entry naming it, which
    // no undo reads; it goes with the run.
    return KeepPlace{m_linksFd, JournalFolder::linkName(old.device, old.inode)};
}

Result<bool> RunJournal::keepLinked(FileEntry& entry, Pending& pending, KeepPlace* keep) {
    if (!m_folder.canLink(entry.old))
        return false;
    if (Status opened = openLinks(); !opened)
        return opened.error();
    entry.kept = KeptAs::RunLink;
    entry.keptName = JournalFolder::linkName(entry.old.device, entry.old.inode);
    // The entry before the link: a kill in between leaves an entry whose file still holds its
    // old bytes (which settle marks), never a link to a user's file that no entry names.
    if (Status recorded = appendEntry(entry); !recorded)
        return recorded.error();
    m_lastEntry = entry.number;
    if (keep) {
        *keep = {m_linksFd, entry.keptName}; // the writer cleans the place if it fails
        return true;
    }
    if (::linkat(AT_FDCWD, entry.name.constData(), m_linksFd, entry.keptName.constData(), 0) == 0) {
        pending.object = entry.keptName;
        // Not synced: the entry and the link reach the page cache before the rename, which is
        // all a kill can't take; the run's closing sync makes them durable with the files.
        return true;
    }
    const int error = errno;
    struct stat st;
    // The run keeps this very file already (an earlier entry's rename didn't happen).
    if (error == EEXIST &&
        ::fstatat(m_linksFd, entry.keptName.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        sameAsRead(st, entry.old))
        return true;
    (void)append(journal_record::abandonedLine(entry.number), false);
    entry.number += 1; // a copy instead, under the next number
    if (error == EEXIST || linkImpossible(error))
        return false;
    return errorFromErrno(error);
}

Status RunJournal::keepCopied(FileEntry& entry, Pending& pending) {
    const qint64 limit = m_folder.limits().maxCopiedBytes;
    const qint64 size = entry.old.size;
    if (m_olderCopied + m_copied + size > limit)
        makeRoom(size);
    if (m_olderCopied + m_copied + size > limit) {
        entry.kept = KeptAs::OverLimit;
        return {};
    }
    entry.kept = KeptAs::Copy;
    entry.keptName = QByteArray::number(entry.number);
    const Result<ContentHash> copied = copyOldBytes(entry.name, entry.old, entry.keptName);
    if (!copied)
        return copied.error();
    if (entry.oldHash.isKnown() && entry.oldHash != copied.value()) {
        ::unlinkat(m_copiesFd, entry.keptName.constData(), 0);
        return changedOnDiskError();
    }
    entry.oldHash = copied.value();
    pending.copy = entry.keptName;
    pending.copied = size;
    m_copied += size;
    return {};
}

void RunJournal::committed(qint64 entry, const std::optional<FileIdentity>& written) {
    const auto pending = m_pending.constFind(entry);
    if (pending == m_pending.cend())
        return;
    noteChanged(pending->name);
    m_pending.erase(pending);
    if (written)
        journal_record::appendWrittenLine(m_lines, entry, *written);
}

void RunJournal::noteChanged(const QByteArray& name) {
    m_changed.push_back(qHash(name, 0));
}

void RunJournal::placeRefused(qint64 entry) {
    const std::lock_guard lock(m_mutex);
    m_placeRefused = true;
    abandoned(entry);
}

void RunJournal::abandoned(qint64 entry) {
    const Pending pending = m_pending.take(entry);
    // Not on disk at once: a lost line reads as a file that still holds its old bytes.
    if (m_recordFd >= 0 && entry <= m_lastEntry)
        (void)append(journal_record::abandonedLine(entry), false);
    // The link would stay a second name of the user's file.
    if (!pending.object.isEmpty())
        ::unlinkat(m_linksFd, pending.object.constData(), 0);
    if (!pending.copy.isEmpty())
        ::unlinkat(m_copiesFd, pending.copy.constData(), 0);
    m_copied -= pending.copied;
}

Status RunJournal::finish() {
    const std::lock_guard lock(m_mutex);
    if (m_finished)
        return {};
    m_finished = true;
    if (m_recordFd < 0)
        return {};
    if (m_lastEntry == 0 && m_info.kind == RunKind::Run) {
        // Started for a file whose write never came (refused, or the run stopped before it):
        // a run that changed nothing leaves nothing, nor shadows the last one for an undo.
        if (m_drainer.joinable())
            m_drainer.join();
        removeTreeAt(m_folder.runsFolder(), QByteArray::number(m_id));
        closeAll();
        return {};
    }
    // Entries whose outcome was never told count as changed: their rename may have happened.
    for (const Pending& pending : std::as_const(m_pending))
        noteChanged(pending.name);
    m_pending.clear();
    RunEnd end;
    end.endMs = QDateTime::currentMSecsSinceEpoch();
    // A name written twice (by a batch's entries) counts once.
    std::sort(m_changed.begin(), m_changed.end());
    end.files = std::unique(m_changed.begin(), m_changed.end()) - m_changed.begin();
    end.copiedBytes = m_copied;
    // The one sync of the record, and of the links and copies made, after the run's own.
    // The copies first, with one sync of the journal's file system rather than one per copy.
    Status ended;
    if (m_copiesFd >= 0 && (::syncfs(m_copiesFd) != 0 || ::fsync(m_copiesFd) != 0))
        ended = errorFromErrno(errno);
    if (ended)
        ended = append(journal_record::endLine(end), true);
    if (ended && m_linksFd >= 0 && ::fsync(m_linksFd) != 0)
        ended = errorFromErrno(errno);
    if (m_drainer.joinable())
        m_drainer.join();
    ::flock(m_recordFd, LOCK_UN);
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0) {
        const JournalLimits& limits = m_folder.limits();
        (void)m_folder.prune({}, limits.maxRuns, limits.maxCopiedBytes);
    }
    closeAll();
    return ended;
}

void RunJournal::closeAll() {
    m_appender.reset(); // cuts the record back before its file is closed
    closeFd(m_copiesFd);
    closeFd(m_linksFd);
    closeFd(m_runFolderFd);
    closeFd(m_recordFd);
    closeFd(m_lockFd);
}

} // namespace zuk

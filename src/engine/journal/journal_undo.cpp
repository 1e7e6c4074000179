// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/journal/journal_undo.h"

#include "engine/files/atomic_file.h"
#include "engine/files/file_io.h"
#include "engine/files/path_bytes.h"
#include "engine/files/posix_file.h"
#include "engine/files/write_tracker.h"
#include "engine/journal/run_journal.h"
#include "engine/journal/undo_texts.h"

#include <QHash>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk {

namespace {

// A name's entries in the run: a batch may have written one file several times. The first
// entry kept the bytes before the run, the last one knows the bytes the run left.
struct Changed {
    const FileEntry* first = nullptr;
    const FileEntry* last = nullptr;
};

QList<Changed> changedFiles(const RunRecord& record) {
    QHash<QByteArray, qsizetype> at;
    QList<Changed> files;
    for (const FileEntry& entry : record.entries) {
        if (entry.abandoned)
            continue;
        const auto found = at.constFind(entry.name);
        if (found == at.cend()) {
            at.insert(entry.name, files.size());
            files.append(Changed{&entry, &entry});
        } else {
            files[*found].last = &entry;
        }
    }
    // The last written first, as a run would be unwound.
    std::stable_sort(files.begin(), files.end(), [](const Changed& a, const Changed& b) {
        return a.last->number > b.last->number;
    });
    return files;
}

bool hasKeptBytes(const FileEntry& entry) {
    return entry.kept == KeptAs::Link || entry.kept == KeptAs::RunLink ||
           entry.kept == KeptAs::Copy;
}

// The kept old bytes of `entry`, open for reading, when they are still the ones it kept.
Result<int> openKeptBytes(const JournalFolder& folder, qint64 runId, const FileEntry& entry) {
    const Result<int> fd = folder.openKept(runId, entry.kept, entry.keptName);
    if (!fd)
        return fd.error();
    struct stat st;
    const bool same = ::fstat(fd.value(), &st) == 0 && S_ISREG(st.st_mode) &&
                      (entry.kept == KeptAs::Copy ? qint64(st.st_size) == entry.old.size
                                                  : sameAsRead(st, entry.old));
    if (!same) {
        ::close(fd.value());
        return changedOnDiskError();
    }
    return fd;
}

struct Judged {
    UndoVerdict verdict = UndoVerdict::PutBack;
    Error error;
    FileIdentity current;
    ContentHash currentHash;
};

// Whether `hash`, the file's bytes now, are the bytes before the run.
bool holdsOldBytes(const JournalFolder& folder, qint64 runId, const FileEntry& first,
                   const struct stat& st, const ContentHash& hash) {
    if (first.oldHash.isKnown())
        return hash == first.oldHash;
    if (sameAsRead(st, first.old))
        return true; // the very file the run would have replaced
    const Result<int> kept = openKeptBytes(folder, runId, first);
    if (!kept)
        return false;
    const Result<ContentHash> keptHash = hashOpenFile(kept.value());
    ::close(kept.value());
    return keptHash && keptHash.value() == hash;
}

Judged judge(const JournalFolder& folder, qint64 runId, const Changed& file) {
    Judged judged;
    const QByteArray& name = file.first->name;
    struct stat st;
    if (::lstat(name.constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            judged.verdict = UndoVerdict::Removed;
        else
            judged = {UndoVerdict::Failed, errorFromErrno(errno), {}, {}};
        return judged;
    }
    if (!S_ISREG(st.st_mode)) {
        judged.verdict = S_ISLNK(st.st_mode) && file.first->kept == KeptAs::SymbolicLink
                             ? UndoVerdict::AlreadyBack
                             : UndoVerdict::Replaced;
        return judged;
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        judged = {UndoVerdict::Failed, errorFromErrno(errno), {}, {}};
        if (fd >= 0)
            ::close(fd);
        return judged;
    }
    const Result<ContentHash> hash = hashOpenFile(fd);
    ::close(fd);
    if (!hash)
        return {UndoVerdict::Failed, hash.error(), {}, {}};
    judged.current = identityOf(st);
    judged.currentHash = hash.value();
    if (hash.value() == file.last->newHash)
        judged.verdict = hasKeptBytes(*file.first) ? UndoVerdict::PutBack : UndoVerdict::NotKept;
    else if (holdsOldBytes(folder, runId, *file.first, st, hash.value()))
        judged.verdict = UndoVerdict::AlreadyBack;
    else
        judged.verdict = UndoVerdict::EditedSince;
    return judged;
}

// Writes the kept old bytes over the file, which still is `judged.current`, through the run's
// writer; the undo's journal records the file right before the rename.
UndoFile putBack(const JournalFolder& folder, qint64 runId, const Changed& file,
                 const Judged& judged, RunJournal& journal, WriteTracker& writes) {
    const FileEntry& first = *file.first;
    UndoFile result{decodePath(first.name), UndoVerdict::PutBack, {}};
    const auto failed = [&](UndoVerdict verdict, const Error& error = {}) {
        result.verdict = verdict;
        result.error = error;
        return result;
    };
    const Result<int> kept = openKeptBytes(folder, runId, first);
    if (!kept)
        return failed(UndoVerdict::KeptChanged);
    ContentHash restored;
    std::optional<qint64> entry;
    // Called by the writer after its last checks, right before the rename.
    const BackupMaker record = [&](const QString& target) -> Status {
        const Result<qint64> recorded =
            journal.beforeCommit(target, judged.current, restored, judged.currentHash);
        if (!recorded)
            return recorded.error();
        entry = recorded.value();
        return {};
    };
    Result<std::unique_ptr<AtomicFileWriter>> writer =
        AtomicFileWriter::open(result.path, judged.current, record);
    Status copied = writer ? Status() : Status(writer.error());
    ContentHasher hasher;
    QByteArray buffer(copied ? 1 << 20 : 0, Qt::Uninitialized);
    while (copied) {
        const Result<qsizetype> got = readSome(kept.value(), buffer.data(), buffer.size());
        if (!got)
            copied = got.error();
        if (!got || got.value() == 0)
            break;
        hasher.add(buffer.constData(), got.value());
        copied = writer.value()->write(buffer.constData(), got.value());
    }
    ::close(kept.value());
    if (!copied)
        return failed(UndoVerdict::Failed, copied.error());
    restored = hasher.result();
    if (first.oldHash.isKnown() && restored != first.oldHash)
        return failed(UndoVerdict::KeptChanged);
    std::optional<FileIdentity> written;
    const Status committed = writer.value()->commit(&writes, &written);
    if (entry) {
        if (committed)
            journal.committed(*entry, written);
        else
            journal.abandoned(*entry);
    }
    return committed ? result : failed(UndoVerdict::Failed, committed.error());
}

bool endsTheUndo(const Error& error) {
    return error.number == ErrorNumber::DiskFull || error.number == ErrorNumber::DeviceIo;
}

} // namespace

QString UndoFile::reason() const {
    switch (verdict) {
    case UndoVerdict::PutBack:
        return QStringLiteral("put back");
    case UndoVerdict::AlreadyBack:
        return QStringLiteral("already as it was before the run");
    case UndoVerdict::EditedSince:
        return QStringLiteral("edited since the run");
    case UndoVerdict::Removed:
        return QStringLiteral("removed since the run");
    case UndoVerdict::Replaced:
        return QStringLiteral("replaced since the run by something that is not a file");
    case UndoVerdict::NotKept:
        return QStringLiteral("its old text was not kept (%1)").arg(notKeptReason());
    case UndoVerdict::KeptChanged:
        return QStringLiteral("its kept old text has changed since the run");
    case UndoVerdict::Failed:
        return error.message();
    }
    return {};
}

qint64 UndoReport::count(UndoVerdict verdict) const {
    return std::count_if(files.cbegin(), files.cend(),
                         [verdict](const UndoFile& file) { return file.verdict == verdict; });
}

qint64 UndoReport::left() const {
    return std::count_if(files.cbegin(), files.cend(),
                         [](const UndoFile& file) { return file.isLeft(); });
}

Result<UndoReport> JournalUndo::inspect(qint64 runId) const {
    return walk(runId, false);
}

Result<UndoReport> JournalUndo::undo(qint64 runId) {
    return walk(runId, true);
}

Result<UndoReport> JournalUndo::walk(qint64 runId, bool write) const {
    if (Status opened = m_folder.open(false); !opened)
        return opened.error();
    const Result<RunRecord> record = m_folder.readRecord(runId);
    if (!record)
        return record.error();
    if (m_folder.isActive(runId))
        return pathFileAccessError(QStringLiteral("the run is still going on"));

    std::unique_ptr<RunJournal> journal;
    if (write) {
        // An undo of this run that a kill cut short goes on where it stopped.
        const QList<qint64> ids = m_folder.runIds();
        for (auto id = ids.crbegin(); id != ids.crend() && *id > runId && !journal; ++id) {
            const Result<RunRecord> summary = m_folder.readSummary(*id);
            if (summary && summary.value().header.kind == RunKind::Undo &&
                summary.value().header.undoes == runId && !summary.value().end &&
                !m_folder.isActive(*id)) {
                Result<std::unique_ptr<RunJournal>> resumed = RunJournal::resume(m_folder, *id);
                if (resumed)
                    journal = std::move(resumed.value());
            }
        }
        if (!journal) {
            const RunHeader& header = record.value().header;
            journal = std::make_unique<RunJournal>(
                m_folder, RunInfo{RunKind::Undo, header.path, header.searchText, runId});
        }
        if (Status begun = journal->begin(); !begun)
            return begun.error();
    }

    UndoReport report;
    report.runId = runId;
    WriteTracker writes;
    for (const Changed& file : changedFiles(record.value())) {
        const Judged judged = judge(m_folder, runId, file);
        UndoFile done{decodePath(file.first->name), judged.verdict, judged.error};
        if (write && judged.verdict == UndoVerdict::PutBack)
            done = putBack(m_folder, runId, file, judged, *journal, writes);
        report.files.append(done);
        if (done.verdict == UndoVerdict::Failed && endsTheUndo(done.error)) {
            report.endedBy = done.error;
            break;
        }
    }
    if (write) {
        // As a run: one sync of what was written before the undo says it is done.
        const Status synced = writes.syncAll();
        const Status finished = journal->finish();
        report.undoId = journal->id();
        report.notKept = journal->notKept();
        if (!report.endedBy && !synced)
            report.endedBy = synced.error();
        if (!report.endedBy && !finished)
            report.endedBy = finished.error();
    }
    return report;
}

Result<std::optional<UndoPlan>> planUndo(JournalFolder& folder, std::optional<qint64> runId) {
    Result<QList<RunSummary>> history = journalHistory(folder);
    if (!history)
        return history.error();
    const std::optional<qint64> id = runId ? runId : newestNotUndone(history.value());
    const auto run = std::find_if(history.value().cbegin(), history.value().cend(),
                                  [&](const RunSummary& r) { return id && r.id == *id; });
    if (run == history.value().cend())
        return std::optional<UndoPlan>();
    Result<UndoReport> inspected = JournalUndo(folder).inspect(*id);
    if (!inspected)
        return inspected.error();
    return std::optional<UndoPlan>(UndoPlan{*run, std::move(inspected).value()});
}

} // namespace zuk

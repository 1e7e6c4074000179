// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/commit_sink.h"

#include <new>
#include <utility>

namespace zuk {

CommitSink::CommitSink(const RunOptions& options, RunWindow& window, const ActivityLog& log,
                       BackupMaker makeBackup, WriteTracker& writes, HandledFiles& handled)
    : m_options(options), m_window(window), m_log(log), m_makeBackup(std::move(makeBackup)),
      m_writes(writes), m_handled(handled) {}

SinkOutcome CommitSink::take(Edit& edit, ItemKind kind, RunCounters& counters) {
    if (!edit.result.counted())
        return SinkOutcome::taken();
    counters.totFiles += 1;
    const qint64 finds = edit.result.finds();
    if (finds < 1)
        return SinkOutcome::taken();
    // Only a changed text is stored: a search-only run touches nothing.
    if (edit.changed) {
        if (kind == ItemKind::RightBoxText) {
            if (const Status given = m_window.setRightBoxText(edit.text.text()); !given)
                return SinkOutcome::subjectFailed(given.error(), m_window.rightBoxSubject());
        } else if (const Status committed = commit(edit); !committed) {
            return SinkOutcome::subjectFailed(committed.error(), edit.path);
        }
    }
    counters.replaceMade += finds;
    if (m_options.logChanges() == Checked) {
        const QString line =
            kind == ItemKind::DirectoryFile  ? ActivityLog::directoryItemLine(finds, edit.path)
            : kind == ItemKind::SelectedFile ? ActivityLog::itemLine(finds, edit.path)
                                             : ActivityLog::itemLine(finds, m_options.path());
        // A log that is not found is passed over, as every run's own step passes file-not-found.
        if (const Status logged = m_lineLog ? m_lineLog(line) : m_log.LogIt(line);
            !logged && logged.error().number != ErrorNumber::FileNotFound)
            return SinkOutcome::runStepFailed(logged.error(), m_log.path());
    }
    counters.filesDone += 1;
    return SinkOutcome::taken();
}

EditRequest CommitSink::request() const {
    EditRequest request;
    request.hashWritten = m_journal != nullptr;
    if (m_journal)
        request.place = [journal = m_journal](const FileIdentity& file) {
            return journal->placeFor(file);
        };
    return request;
}

Status writeEdit(Edit& edit, WriteTracker* writes, const BackupMaker& backup,
                 std::optional<FileIdentity>* written, RunJournal* journal) {
    // A file streamed was written while it was read: only the backup and the rename are left.
    if (!edit.streamWrite)
        return edit.streamWrite;
    if (!journal || !edit.identity) {
        if (!edit.streamed)
            return edit.text.save(edit.path, writes, backup, written);
        edit.streamed->setBackup(backup);
        const Status committed = edit.streamed->commit(writes, written);
        edit.streamed.reset();
        return committed;
    }

    // The new bytes are hashed as they are written; the file's entry is on disk before the
    // rename, and told after it whether the rename happened.
    // A file streamed before the journal was asked for has no hash of its new bytes: an undo
    // then leaves it.
    const bool hashed = !edit.streamed || edit.streamedHash;
    std::shared_ptr<ContentHasher> hasher =
        edit.streamed && edit.streamedHash ? edit.streamedHash : std::make_shared<ContentHasher>();
    std::optional<qint64> entry;
    const FileIdentity old = *edit.identity;
    WriteHooks hooks;
    hooks.beforeRename = [&](const QByteArray& target, bool symbolicLink,
                             KeepPlace* keep) -> Status {
        // Called again when the writer refused the place: that entry's rename won't happen.
        if (entry)
            journal->placeRefused(*std::exchange(entry, std::nullopt));
        const Result<qint64> recorded = journal->beforeCommit(
            target, symbolicLink, old, hashed ? hasher->result() : ContentHash(), {}, keep);
        if (!recorded)
            return recorded.error();
        entry = recorded.value();
        return {};
    };
    std::optional<FileIdentity> own;
    std::optional<FileIdentity>* identity = written ? written : &own;
    Status committed;
    if (!edit.streamed) {
        hooks.watch = [&](const char* data, qsizetype size) { hasher->add(data, size); };
        hooks.place = [journal](const FileIdentity& file) { return journal->placeFor(file); };
        committed = edit.text.save(edit.path, writes, backup, identity, hooks);
    } else {
        edit.streamed->setBackup(backup);
        edit.streamed->setBeforeRename(hooks.beforeRename);
        committed = edit.streamed->commit(writes, identity);
        edit.streamed.reset();
    }
    if (entry)
        committed ? journal->committed(*entry, *identity) : journal->abandoned(*entry);
    return committed;
}

Status CommitSink::commit(Edit& edit) {
    const BackupMaker backup =
        m_backups && m_options.makeBackups() == Checked && m_options.searchOnly() == Unchecked
            ? m_makeBackup
            : BackupMaker();
    std::optional<FileIdentity> written;
    Status committed;
    try {
        committed = writeEdit(edit, &m_writes, backup, &written, m_journal);
    } catch (const std::bad_alloc&) {
        committed = makeError(ErrorNumber::OutOfMemory);
    }
    // The file written anew has an inode of its own, which a name still to come may lead to.
    if (committed && written)
        m_handled.note(*written);
    return committed;
}

} // namespace zuk

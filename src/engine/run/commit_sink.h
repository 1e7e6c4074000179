// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/atomic_file.h"
#include "engine/journal/run_journal.h"
#include "engine/run/activity_log.h"
#include "engine/run/edit_sink.h"
#include "engine/run/handled_files.h"
#include "engine/run/run_options.h"
#include "engine/run/run_window.h"

namespace zuk {

// Stores a changed file's new content over it: the streamed file renamed in place, or the
// whole text written. A file changed or removed since it was read is left alone. The backup,
// when given, is made right before the new content replaces the file; then the journal, when
// given, records the file (its old bytes kept) before the rename.
Status writeEdit(Edit& edit, WriteTracker* writes = nullptr, const BackupMaker& backup = {},
                 std::optional<FileIdentity>* written = nullptr, RunJournal* journal = nullptr);

// The run's own sink: a subject with finds has its new content stored (a file backed up when
// asked and the new one renamed over it; the right-hand text given back to the box), then is
// counted and logged, so that neither ever lists a change that wasn't made.
class CommitSink final : public EditSink {
public:
    CommitSink(const RunOptions& options, RunWindow& window, const ActivityLog& log,
               BackupMaker makeBackup, WriteTracker& writes, HandledFiles& handled);

    EditRequest request() const override;
    SinkOutcome take(Edit& edit, ItemKind kind, RunCounters& counters) override;
    // The journal the files committed go in; none: no undo for them.
    void setJournal(RunJournal* journal) { m_journal = journal; }
    // Where the log lines of the files taken go; unset: the activity log.
    void setLineLog(std::function<Status(const QString&)> log) { m_lineLog = std::move(log); }
    // False: the files stored make no backup (one written before in the same batch has one).
    void setBackups(bool made) { m_backups = made; }

    // The one place a run replaces a user's file: stores the edit's new content (backed up
    // when asked), without counting or logging it.
    Status commit(Edit& edit);

private:
    const RunOptions& m_options;
    RunWindow& m_window;
    const ActivityLog& m_log;
    BackupMaker m_makeBackup;
    WriteTracker& m_writes;
    HandledFiles& m_handled;
    RunJournal* m_journal = nullptr;
    std::function<Status(const QString&)> m_lineLog;
    bool m_backups = true;
};

} // namespace zuk

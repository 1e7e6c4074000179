// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/atomic_file.h"
#include "engine/files/file_collection.h"
#include "engine/files/walk_ahead.h"
#include "engine/run/activity_log.h"
#include "engine/run/commit_sink.h"
#include "engine/run/entry_transcript.h"
#include "engine/run/file_preparer.h"
#include "engine/run/file_selection.h"
#include "engine/run/file_type_filter.h"
#include "engine/run/handled_files.h"
#include "engine/run/prompter.h"
#include "engine/run/replacement_routines.h"
#include "engine/run/run_entries.h"
#include "engine/run/run_options.h"
#include "engine/run/run_outcome.h"
#include "engine/run/run_state.h"
#include "engine/run/run_window.h"
#include "engine/run/yield_hook.h"

#include <optional>
#include <vector>

namespace zuk {

// The refusal of a run without a search text.
inline const QString kNoSearchText =
    QStringLiteral("You must enter somthing to search for before continueing");

// The Start command: checks the settings, asks for confirmation, has the replacement routines
// make the edit of the right-hand text, of the selected file or of each file of a directory
// tree that the file filter takes, and hands each edit to the sink (which commits it: backup,
// rename, counters, log), then reports. Every setting is read from RunOptions at the moment
// its step needs it.
class SearchRun {
public:
    SearchRun(RunOptions& options, RunState& state, RunWindow& window, Prompter& prompter,
              YieldHook& yieldHook, const ActivityLog& log, BackupMaker makeBackup);

    // Starts a run; while one runs, the same call asks it to stop.
    RunOutcome start();
    // Makes what the runs wrote since the last sync durable: one sync per file system. A run
    // does it itself at its end, except in a batch, which calls it once after its last entry.
    Status syncWrites();
    // Why a run with these texts would be refused for its search: a regular expression or a
    // replacement template that can't be read. The options are read as they are now.
    Status checkSearchTexts(const QString& search, const QString& replace) const;

    // Files of the last run that failed on their own (their message shown) while it went on.
    qint64 filesFailed() const { return m_filesFailed; }

    // Lets a directory run prepare its files on `threads` more threads, each reading its own copy
    // of the options; only for a front end whose options can't change during a run. The files are
    // still committed, counted and logged one by one in the run's order.
    void prepareInParallel(int threads, OptionsSnapshot snapshot);
    // The threads a directory walk may read a wide level on: 1 keeps it on the run's own, more
    // give it a second one (0, the default: two where there are several cores).
    void setWalkThreads(int threads) { m_walkThreads = threads; }

    // The run's subjects in place of the options' one path: in file mode each is a file (one
    // that is missing or no regular file fails on its own and the run goes on), in directory
    // mode each is walked (a file's path means its directory). A file reached twice is edited
    // once. Kept for the following runs (a batch's entries).
    void setPaths(QStringList paths) { m_paths = std::move(paths); }

    // The files and folders a directory run takes: by default its file types (typeFilter()).
    void setFileFilter(const FileFilter& filter) { m_filter = &filter; }
    const FileFilter& typeFilter() const { return m_typeFilter; }
    // Where the edits go: by default the commit. The sink outlives the runs it is given to.
    void setSink(EditSink& sink) { m_sink = &sink; }
    // The run's own commit, for a sink that hands edits on to it.
    EditSink& commitSink() { return m_commit; }
    // The undo journal the commit records its files in; none (the default): no journal.
    void setJournal(RunJournal* journal) { m_commit.setJournal(journal); }
    // A run the user didn't ask to finish (a preview's dry run) ends without its closing box.
    void setClosingBox(bool shown) { m_closingBox = shown; }

    // A batch as one run of a file mode with the commit as its sink: each file is read once,
    // has every entry applied in turn and is written once. Each entry still gets the
    // counters, messages (in entry order) and log of its own run one after another; the
    // search and replace options are not used. Null (the default): the options' one search.
    // The entries outlive the runs.
    void setEntries(const RunEntries* entries);
    struct EntryRun {
        bool refused = false; // its own run would have been refused (its message said)
        RunCounters counters;
    };
    // Each entry's part of the last run with entries.
    const std::vector<EntryRun>& entryRuns() const { return m_entryRuns; }

private:
    // FileFailed: that file failed on its own, its message shown; the run goes on. Refused: a
    // walk that went on ahead of the run found the tree too big; the run ends, its message shown.
    enum class Step { Continue, FileFailed, Abort, Refused };

    bool validate(const QString& searchText, const QString& replaceText);
    // Walks the directories of a directory run before its log header; false after a refusal.
    bool collectWalks();
    // From the header on: the run's work and closing steps.
    RunOutcome enterRun();
    // Where the run's messages go: the prompter, or the transcript of the entry at hand.
    Prompter& out() { return m_out ? static_cast<Prompter&>(*m_out) : m_prompter; }
    // The steps of a run with entries (search_run_entries.cpp).
    RunOutcome startEntries();
    Step runFileEntries(const QString& path, ItemKind kind);
    Step takeEntries(Edit& edit, ItemKind kind);
    Step takeEntryByEntry(const QString& path, ItemKind kind);
    // Makes `step(entry)` once for each entry that runs, as that entry's (once, for entry 0,
    // without entries); an Abort ends it.
    template <typename F> Step forEachEntry(F step) {
        if (!m_entries)
            return step(size_t(0));
        Step result = Step::Continue;
        for (size_t i = 0; i < m_entryRuns.size(); ++i) {
            if (m_entryRuns[i].refused)
                continue;
            enterEntry(i);
            const Step made = step(i);
            leaveEntry();
            if (made == Step::Abort)
                return made;
            if (made == Step::FileFailed)
                result = made;
        }
        return result;
    }
    void enterEntry(size_t entry);
    void leaveEntry();
    // Says each entry's kept messages and log in entry order, with its trailer when `closed`.
    Status releaseEntries(bool closed);
    // Checks each directory the run walks and makes its selection; false after a refusal.
    bool prepareWalks();
    RunOutcome work(RunMode mode);
    Step runText();
    Step runSelectedFile();
    Step runListedFiles();
    Step runAllFiles();
    Step runAllFilesInTurn();
    Step runAllFilesPrepared();
    using Reached = WalkedDirectories::Reached;
    // Waits, yielding, for the walk to reach directory `index`; nothing after a Cancel.
    std::optional<Reached> reachDirectory(qsizetype index);
    Step refuseTooManyDirectories();
    // Makes one file's edit and hands it on.
    Step runFile(const QString& path, ItemKind kind);
    // Shows an edit's messages and hands it to the sink.
    Step takeEdit(Edit& edit, ItemKind kind);
    // A failure of one file's own steps: disk full and I/O errors end the run (Abort); any
    // other is that file's (its message naming it, FileFailed).
    Step fileFailure(const Error& error, const QString& path);
    // A folder that can't be listed: passed over with its message, as a file's failure; one
    // that vanished is passed over without one.
    Step folderFailure(const Error& error, const QString& folder);
    // Removes the temporary files a killed writer left in a folder the run works in.
    void sweepFolder(const QString& folder);
    // Shows the ignore files the walk could not read, each as a file's failure.
    void reportIgnoreProblems();
    const FileFilter& walkFilter() const { return m_selection ? *m_selection : *m_filter; }
    // A failure of the run's own steps: file-not-found is passed over (Continue); any other
    // shows its message and puts the window back to idle (Abort).
    Step check(const Status& status, const QString& subject = {});
    RunOutcome abort(const Error& error, const QString& subject);

    RunOptions& m_options;
    RunState& m_state;
    RunWindow& m_window;
    Prompter& m_prompter;
    YieldHook& m_yield;
    const ActivityLog& m_log;
    ReplacementRoutines m_routines;
    RunCounters m_counters;
    qint64 m_filesFailed = 0;
    WriteTracker m_writes;
    HandledFiles m_handled;
    CommitSink m_commit;
    EditSink* m_sink = &m_commit;
    FileTypeFilter m_typeFilter;
    const FileFilter* m_filter = &m_typeFilter;
    // One directory a directory run walks.
    struct Walk {
        QString directory; // from the path as validated
        // The include and exclude patterns and ignore files around m_filter, for this
        // directory; none when no such option is set.
        std::unique_ptr<FileSelection> selection;
        DirectoryList list; // walked before anything was written, by a run that writes
    };
    std::vector<Walk> m_walks;
    std::optional<QStringList> m_paths;
    // The walk being worked on: its directory, selection and directories.
    QString m_walkDirectory;
    std::unique_ptr<FileSelection> m_selection;
    WalkedDirectories m_directories;
    int m_preparers = 0;
    int m_walkThreads = 0;
    bool m_closingBox = true;
    OptionsSnapshot m_snapshot;
    // A batch's entries run in one pass: see setEntries.
    const RunEntries* m_entries = nullptr;
    EntryPrefilter m_prefilter;
    std::optional<EntryPasses> m_entryPasses;
    std::vector<EntryRun> m_entryRuns;
    std::vector<std::unique_ptr<EntryTranscript>> m_transcripts;
    size_t m_liveEntry = 0;           // the first that runs: its counters are m_counters
    EntryTranscript* m_out = nullptr; // the transcript of the entry at hand
    RunCounters* m_counting = &m_counters;
    bool m_admitAll = false; // a file already admitted is edited again, entry by entry
};

} // namespace zuk

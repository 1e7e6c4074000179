// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/preview_results.h"
#include "engine/run/search_run.h"

#include <functional>
#include <memory>

namespace zuk {

// A preview and its Apply. The settings are taken once, when the preview is made: the run
// that finds and the run that applies read the same ones, whatever the main window shows
// meanwhile. The preview is a dry run whose sink keeps every subject's finds; Apply is a run of
// the same settings over the subjects with ticked finds, whose sink replaces those alone and
// hands each edit to the run's own commit (backups, log, counters, what a run hooks there).
class PreviewSession {
public:
    PreviewSession(RunOptionValues values, RunState& state, RunWindow& window, Prompter& prompter,
                   YieldHook& yield, const ActivityLog& log, BackupMaker makeBackup);
    ~PreviewSession();

    // Around each Apply, where the front end's undo journal joins: `begin` before its run
    // starts (false: the user chose not to go on, and nothing is written), `end` after the
    // run's last sync.
    struct ApplyHooks {
        std::function<bool(SearchRun&, const RunOptions&)> begin;
        std::function<void()> end;
    };
    void setApplyHooks(ApplyHooks hooks) { m_applyHooks = std::move(hooks); }
    // Told the subject just kept, while the preview runs.
    void setObserver(std::function<void(qsizetype file)> added) { m_added = std::move(added); }
    // The threads that prepare files besides the run's own (the settings can't change).
    void setPreparers(int threads) { m_preparers = threads; }

    RunOutcome preview();
    RunOutcome apply();

    const RunOptionValues& values() const { return m_options.values; }
    bool searchOnly() const { return m_options.values.searchOnly != Unchecked; }
    bool wholeFilesOnly() const { return m_options.values.doAllCrlf != Unchecked; }
    PreviewResults& results() { return m_results; }
    const PreviewResults& results() const { return m_results; }
    qint64 filesFailed() const { return m_filesFailed; }

private:
    std::unique_ptr<SearchRun> makeRun();

    ValueRunOptions m_options;
    RunState& m_state;
    RunWindow& m_window;
    Prompter& m_prompter;
    YieldHook& m_yield;
    const ActivityLog& m_log;
    BackupMaker m_makeBackup;
    ApplyHooks m_applyHooks;
    std::function<void(qsizetype)> m_added;
    int m_preparers = 0;
    PreviewResults m_results;
    qint64 m_filesFailed = 0;
};

} // namespace zuk

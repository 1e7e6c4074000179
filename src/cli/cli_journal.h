// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/cli_session.h"
#include "engine/journal/run_journal.h"
#include "engine/run/journal_session.h"
#include "engine/run/search_run.h"

#include <memory>

namespace zuk {

// The undo journal of one command's run (a batch's entries together): none for --no-journal,
// text mode and a search-only run.
class CliJournal {
public:
    CliJournal() = default;
    ~CliJournal();
    CliJournal(const CliJournal&) = delete;
    CliJournal& operator=(const CliJournal&) = delete;

    // False after its message: the journal can't be written, and nothing was changed.
    bool attach(const CliCommand& command, SearchRun& run);
    // Ends the journal after the run's last sync and names the files it couldn't keep.
    void finish();

private:
    std::unique_ptr<JournalSession> m_session;
};

// Where a run worked, as --history and --undo name it: its path, the first of several, or
// the list of files.
QString runPlace(const CliCommand& command);

// --undo: takes one run back after the confirmation. 0: all put back; 4: some files left
// (each named, counted on the last line); 1: nothing to undo, or declined.
int runUndo(Session& s, const CliCommand& command);
// --history: the journal's runs, newest first, one a line.
int runHistory();

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/journal/run_journal.h"
#include "engine/run/journal_session.h"
#include "engine/run/prompter.h"
#include "engine/run/run_options.h"
#include "engine/run/run_window.h"

#include <QString>

namespace zuk {

class SearchRun;

// The undo journal of the window's work: a run, a batch (its entries as one run) and anything
// else that commits through the window's SearchRun (the Preview's Apply calls beginRun and
// endRun around its commit), and File -> "Undo Last Run". Its limits are the settings'.
class WindowJournal final {
public:
    // An empty `journalPath`: no application folder, nothing is journaled.
    WindowJournal(const QString& journalPath, RunOptions& options, RunWindow& window,
                  Prompter& prompter, SearchRun& run);

    // Before work that may write files: begins the journal when it would write any (not in
    // text mode, not search-only). `searchText` is what the history shows of it. False: the
    // journal can't be written and the user chose not to go on; nothing was changed.
    bool beginRun(const QString& searchText);
    // The same for another run of the window's (the Preview's Apply) with its own settings.
    bool beginRun(SearchRun& run, const RunOptions& options);
    // After the work's last sync: ends the journal and names the files it couldn't keep.
    void endRun();
    // The batch of the file `batchPath`: its runs together, begun once and ended once.
    bool beginBatch(const QString& batchPath);

    // File -> "Undo Last Run": the newest run not yet undone, after a confirmation with the
    // counts; the result in the counters and a closing message naming the files left.
    void undoLastRun();

    static const QString kNothingToUndoText;
    // Shown with the reason when the journal can't be written, before anything changes.
    static QString journalProblemText(const QString& path, const QString& reason);

private:
    bool begin(SearchRun& run, const RunOptions& options, const QString& searchText);
    JournalLimits limits() const;

    JournalSession m_session;
    RunOptions& m_options;
    RunWindow& m_window;
    Prompter& m_prompter;
    SearchRun& m_run;
};

} // namespace zuk

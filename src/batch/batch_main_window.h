// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/run_state.h"
#include "engine/run/search_run.h"

#include <QString>

namespace zuk {

// What the batch does to the main window: it types each entry into the search and replace
// boxes, presses Start and reads the result labels, as a user would. The window implements
// it with its controls; the command-line front end and the tests without a window.
class BatchMainWindow {
public:
    virtual ~BatchMainWindow() = default;

    // txtSearch and txtReplace, repainted at once.
    virtual void setSearchTexts(const QString& search, const QString& replace) = 0;
    // Presses Start; returns when the run it started has ended.
    virtual RunOutcome pressStart() = 0;
    // The counts the three result labels show now.
    virtual RunCounters shownCounters() const = 0;
    // Shows the batch's sums in lblFilesDone and lblReplaceMade; lblTotFiles keeps its value.
    virtual void showBatchTotals(qint64 filesDone, qint64 replaceMade) = 0;
    virtual void takeFocus() = 0;
    // What the batch's runs wrote reaches the disk: once, after the last entry.
    virtual Status syncWrites() = 0;
    // The batch of the file `batchPath` is confirmed and about to apply its entries; false: it
    // must not (the window said why), and nothing was changed.
    virtual bool batchStarting(const QString& batchPath) {
        (void)batchPath;
        return true;
    }
    // After the batch's sync, whatever its end.
    virtual void batchEnded() {}
    // True when the entries go in one run, each file read and written once, rather than one
    // press of Start each (the window's own batch).
    virtual bool runsEntriesTogether() const { return false; }
    // That run, with the results of the entries' runs one after another: each entry's part
    // in `runs`, the labels showing the last entry that ran.
    virtual RunOutcome pressStartTogether(const RunEntries& entries,
                                          std::vector<SearchRun::EntryRun>& runs) {
        (void)entries;
        (void)runs;
        return RunOutcome::Refused;
    }
    // Why a run with these texts would be refused for its search (a regular expression or a
    // replacement template that can't be read), judged by the options as they are.
    virtual Status checkSearchTexts(const QString& search, const QString& replace) const = 0;
};

} // namespace zuk

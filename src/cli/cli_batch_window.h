// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/batch_main_window.h"
#include "batch/batch_window.h"
#include "cli/cli_run_window.h"
#include "engine/run/run_options.h"
#include "engine/run/search_run.h"

namespace zuk {

// Both windows of a batch on a terminal: the batch window's settings come from the command
// line, and each entry is typed into the run's options and started as the Start button would;
// or, where nothing can change between the entries, all of them go in one run.
class CliBatchWindow final : public BatchWindow, public BatchMainWindow {
public:
    CliBatchWindow(QString path, BatchFormat format, ValueRunOptions& options, SearchRun& run,
                   CliRunWindow& window);

    QString batchPath() const override { return m_path; }
    BatchFormat batchFormat() const override { return m_format; }
    void enterBatchState() override { m_entered = true; }
    void leaveBatchState() override {}

    void setSearchTexts(const QString& search, const QString& replace) override;
    RunOutcome pressStart() override;
    RunCounters shownCounters() const override { return m_window.counters; }
    void showBatchTotals(qint64 filesDone, qint64 replaceMade) override;
    void takeFocus() override {}
    Status syncWrites() override { return m_run.syncWrites(); }
    Status checkSearchTexts(const QString& search, const QString& replace) const override {
        return m_run.checkSearchTexts(search, replace);
    }
    bool runsEntriesTogether() const override { return m_together; }
    RunOutcome pressStartTogether(const RunEntries& entries,
                                  std::vector<SearchRun::EntryRun>& runs) override;

    // True: the entries go in one run (a file mode whose edits the run commits).
    void setTogether(bool together) { m_together = together; }
    // Each entry's part of the batch: its texts and, once it ran, its counters; refused
    // entries included.
    struct EntryCount {
        QString search;
        bool refused = true;
        RunCounters counters;
    };
    const QList<EntryCount>& entryCounts() const { return m_entryCounts; }

    // Whether the batch got past its checks to its entries (and so has totals to show).
    bool entered() const { return m_entered; }
    // The files that failed on their own, over all the entries' runs.
    qint64 filesFailed() const { return m_filesFailed; }

private:
    QString m_path;
    BatchFormat m_format;
    ValueRunOptions& m_options;
    SearchRun& m_run;
    CliRunWindow& m_window;
    bool m_entered = false;
    bool m_together = false;
    qint64 m_filesFailed = 0;
    QList<EntryCount> m_entryCounts;
};

} // namespace zuk

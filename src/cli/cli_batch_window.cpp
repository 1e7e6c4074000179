// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_batch_window.h"

namespace zuk {

CliBatchWindow::CliBatchWindow(QString path, BatchFormat format, ValueRunOptions& options,
                               SearchRun& run, CliRunWindow& window)
    : m_path(std::move(path)), m_format(std::move(format)), m_options(options), m_run(run),
      m_window(window) {}

void CliBatchWindow::setSearchTexts(const QString& search, const QString& replace) {
    m_options.values.searchText = search;
    m_options.values.replaceText = replace;
    m_entryCounts.append(EntryCount{search, true, {}});
}

RunOutcome CliBatchWindow::pressStart() {
    const RunOutcome outcome = m_run.start();
    // A refused run keeps the previous run's count; only one that got to its files has its own.
    if (outcome == RunOutcome::Completed || outcome == RunOutcome::Cancelled ||
        outcome == RunOutcome::Failed) {
        m_filesFailed += m_run.filesFailed();
        if (!m_entryCounts.isEmpty())
            m_entryCounts.back() =
                EntryCount{m_entryCounts.back().search, false, m_window.counters};
    }
    return outcome;
}

RunOutcome CliBatchWindow::pressStartTogether(const RunEntries& entries,
                                              std::vector<SearchRun::EntryRun>& runs) {
    m_run.setEntries(&entries);
    const RunOutcome outcome = m_run.start();
    m_run.setEntries(nullptr);
    runs = m_run.entryRuns();
    if (outcome == RunOutcome::Completed || outcome == RunOutcome::Cancelled ||
        outcome == RunOutcome::Failed)
        m_filesFailed += m_run.filesFailed();
    for (size_t i = 0; i < entries.size(); ++i) {
        const bool refused = i >= runs.size() || runs[i].refused;
        m_entryCounts.append(
            EntryCount{entries[i].search, refused, refused ? RunCounters() : runs[i].counters});
        // The labels show the last run that got to its files.
        if (!refused)
            m_window.counters = runs[i].counters;
    }
    return outcome;
}

void CliBatchWindow::showBatchTotals(qint64 filesDone, qint64 replaceMade) {
    // Items Searched keeps the last run's count, as lblTotFiles does.
    m_window.counters.filesDone = filesDone;
    m_window.counters.replaceMade = replaceMade;
}

} // namespace zuk

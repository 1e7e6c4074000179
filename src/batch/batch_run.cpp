// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_run.h"

#include "batch/batch_entry.h"
#include "batch/batch_file_reader.h"

namespace zuk {

namespace {

// The next entry of the file split at the delimiter; nothing for one without it.
std::optional<BatchEntry> nextEntry(BatchFileReader& reader, const BatchFormat& format) {
    const std::optional<QString> entry =
        format.quoted ? reader.ReadQuotedEntry() : reader.ReadBatchLine();
    return entry ? SplitEntry(*entry, format.delimiter) : std::nullopt;
}

} // namespace

const QString BatchRun::kConfirmText = QStringLiteral(
    "WARNING! These changes cannot be undone!!  Make sure ALL setting are correct!\r\n\r\n"
    "Correct Files Type Selected?\r\n\r\nCorrect Location Selected?\r\n\r\n"
    "Do you want to continue?");
const QString BatchRun::kDoneText = QStringLiteral("ZUK is done with the Batch Processing");

BatchRun::BatchRun(BatchWindow& batchWindow, BatchMainWindow& mainWindow, RunState& state,
                   Prompter& prompter, YieldHook& yieldHook)
    : m_batchWindow(batchWindow), m_mainWindow(mainWindow), m_state(state), m_prompter(prompter),
      m_yield(yieldHook) {}

BatchOutcome BatchRun::start() {
    if (m_active) {
        m_state.cancelFlag = true;
        m_state.batchCancelFlag = true;
        return BatchOutcome::CancelRequested;
    }
    m_state.cancelFlag = false;
    m_state.batchCancelFlag = false;
    const QString path = m_batchWindow.batchPath();
    if (!batchFilePresent(path)) {
        m_prompter.inform(kNoBatchFileText);
        return BatchOutcome::Refused;
    }
    // Read once: the entries applied are the ones tested, whatever happens to the boxes or
    // the file meanwhile.
    const BatchFormat format = m_batchWindow.batchFormat();
    if (format.delimiter.isEmpty()) {
        m_prompter.inform(kNoDelimiterText);
        return BatchOutcome::Refused;
    }
    const Result<QString> text = loadBatchFile(path);
    if (!text) {
        m_prompter.inform(text.error().message(), path);
        // A file that isn't text is a bad batch file like any other; an I/O error is not.
        return text.error().number == ErrorNumber::DeviceIo ? BatchOutcome::Failed
                                                            : BatchOutcome::Refused;
    }

    // From here a press of the button is a cancel, also while the file is tested: a second
    // batch started from a yield would apply every entry twice.
    m_active = true;
    auto backToIdle = [this] {
        m_active = false;
        m_state.cancelFlag = false;
        m_state.batchCancelFlag = false;
    };
    // Tested before the question, so that only a file that can be applied is asked about.
    const bool passed = CheckBatchFile(text.value(), format, [this] {
        m_yield.yield();
        return !m_state.batchCancelFlag;
    });
    if (!passed) {
        backToIdle();
        m_prompter.inform(kBatchFailedTestText);
        return BatchOutcome::Refused;
    }
    // A bad expression in a late entry would otherwise stop the batch after the earlier ones
    // were written.
    if (const std::optional<QString> refusal = refusedEntry(text.value(), format)) {
        backToIdle();
        m_prompter.inform(*refusal);
        return BatchOutcome::RefusedEntry;
    }
    if (!m_prompter.confirm(kConfirmText) || !m_mainWindow.batchStarting(path)) {
        backToIdle();
        return BatchOutcome::Declined;
    }

    m_batchWindow.enterBatchState();
    m_mainWindow.takeFocus();
    m_state.isBatch = true;
    const bool applied = applyEntries(text.value(), format, path);
    // One sync for the whole batch, before its closing steps; after a failure all the same.
    const Status synced = m_mainWindow.syncWrites();
    m_mainWindow.batchEnded();
    if (applied && !synced)
        m_prompter.inform(synced.error().message());
    const bool cancelled = m_state.batchCancelFlag;
    m_mainWindow.showBatchTotals(m_filesDone, m_replaceMade);

    m_state.cancelFlag = false;
    m_state.batchCancelFlag = false;
    m_batchWindow.leaveBatchState();
    m_state.isBatch = false;
    m_active = false;
    if (!applied || !synced)
        return BatchOutcome::Failed;
    m_prompter.inform(kDoneText);
    return cancelled ? BatchOutcome::Cancelled : BatchOutcome::Completed;
}

std::optional<QString> BatchRun::refusedEntry(const QString& text, const BatchFormat& format) {
    BatchFileReader reader(text);
    // Numbered as the test view numbers them: lines without the delimiter aren't entries.
    qint64 number = 0;
    while (!reader.atEnd()) {
        const std::optional<BatchEntry> split = nextEntry(reader, format);
        if (!split)
            continue;
        ++number;
        if (const Status checked = m_mainWindow.checkSearchTexts(split->search, split->replace);
            !checked) {
            return QStringLiteral("Entry %1 of the batch file: %2")
                .arg(QString::number(number), checked.error().description);
        }
    }
    return std::nullopt;
}

bool BatchRun::applyEntries(const QString& text, const BatchFormat& format, const QString& path) {
    m_filesDone = 0;
    m_replaceMade = 0;
    if (m_mainWindow.runsEntriesTogether())
        return applyTogether(text, format, path);
    BatchFileReader reader(text);
    while (!reader.atEnd()) {
        // The entry's texts are in `split` only: a big entry is held once during its run.
        const std::optional<BatchEntry> split = nextEntry(reader, format);
        if (split) {
            m_mainWindow.setSearchTexts(split->search, split->replace);
            const RunOutcome outcome = m_mainWindow.pressStart();
            // Only a run that got past its checks shows its own counts; a refused one leaves
            // the previous run's, and a failed one may have ended before it reset them.
            if (outcome == RunOutcome::Completed || outcome == RunOutcome::Cancelled) {
                const RunCounters shown = m_mainWindow.shownCounters();
                m_filesDone += shown.filesDone;
                m_replaceMade += shown.replaceMade;
            } else if (outcome == RunOutcome::Failed) {
                // Later entries build on this one's result: don't apply them to half of it.
                return false;
            }
        }
        m_yield.yield();
        if (m_state.batchCancelFlag)
            return true;
    }
    if (reader.lastEntryUnclosed())
        m_prompter.inform(kUnclosedEntryText, path);
    return true;
}

bool BatchRun::applyTogether(const QString& text, const BatchFormat& format, const QString& path) {
    RunEntries entries;
    BatchFileReader reader(text);
    while (!reader.atEnd()) {
        if (std::optional<BatchEntry> split = nextEntry(reader, format))
            entries.push_back(RunEntry{std::move(split->search), std::move(split->replace)});
    }
    std::vector<SearchRun::EntryRun> runs;
    const RunOutcome outcome =
        entries.empty() ? RunOutcome::Completed : m_mainWindow.pressStartTogether(entries, runs);
    // As the runs one after another add them up: those that got past their checks.
    for (const SearchRun::EntryRun& run : runs) {
        if (!run.refused) {
            m_filesDone += run.counters.filesDone;
            m_replaceMade += run.counters.replaceMade;
        }
    }
    if (outcome == RunOutcome::Failed)
        return false;
    if (!m_state.batchCancelFlag && reader.lastEntryUnclosed())
        m_prompter.inform(kUnclosedEntryText, path);
    return true;
}

} // namespace zuk

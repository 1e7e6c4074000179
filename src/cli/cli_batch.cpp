// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_batch.h"

#include "batch/batch_listing.h"
#include "batch/batch_run.h"
#include "cli/cli_app.h"
#include "cli/cli_batch_window.h"
#include "cli/cli_report.h"

#include <algorithm>

namespace zuk {

namespace {

int statusOf(BatchOutcome outcome, const Session& s) {
    switch (outcome) {
    case BatchOutcome::Completed:
        return ExitStatus::Completed;
    case BatchOutcome::Cancelled:
        return ExitStatus::Cancelled;
    case BatchOutcome::Failed:
        return ExitStatus::Failed;
    case BatchOutcome::Declined:
        return exitStatusOf(RunOutcome::Declined);
    case BatchOutcome::RefusedEntry:
        return ExitStatus::BadUsage;
    case BatchOutcome::Refused:
        // Ctrl+C while the file was tested ends the test as failed.
        return s.yield.cancelled() ? ExitStatus::Cancelled : ExitStatus::Refused;
    case BatchOutcome::CancelRequested:
        break;
    }
    return ExitStatus::Refused;
}

// A search-only batch's line per entry, before the totals and where they go (standard error in
// text mode and beside a report).
bool writeEntryCounts(const Session& s, const CliBatchWindow& window, bool text) {
    QByteArray lines;
    qsizetype number = 0;
    for (const CliBatchWindow::EntryCount& entry : window.entryCounts()) {
        lines += "Entry " + QByteArray::number(++number) + ' ' + jsonString(entry.search) + ": ";
        lines += entry.refused ? QByteArray("refused\n")
                               : QByteArray::number(entry.counters.replaceMade) + " finds in " +
                                     QByteArray::number(entry.counters.filesDone) + " files\n";
    }
    if (s.report == ReportKind::None && !text)
        return writeStandardOutput(lines);
    writeError(QString::fromUtf8(lines));
    return true;
}

} // namespace

int runBatch(Session& s, SearchRun& run, const CliCommand& command, bool together) {
    const bool text = command.values.optText;
    // Every entry works on the text the ones before it left, so it is read once, first.
    std::optional<StandardInput> input;
    if (text) {
        input = loadStandardInput(s);
        if (!input)
            return ExitStatus::Failed;
        if (!input->isText)
            return passUnchanged(s, *input);
    }

    CliBatchWindow window(command.batchPath, command.batchFormat, s.options, run, s.window);
    // Nothing changes the options between the entries: a file mode whose edits are committed
    // takes them all in one run, on every core as a run does.
    together = together && !text && !command.dryRun && command.report == ReportKind::None;
    window.setTogether(together);
    if (together)
        prepareOnCores(s, run, command.threads);
    BatchRun batch(window, window, s.state, s.prompter, s.yield);
    const BatchOutcome outcome = batch.start();
    s.progress.clear();
    int status = statusOf(outcome, s);
    // The text always goes out: as the entries left it, or as it came in when the batch was
    // refused or ended by an error (its totals still show) or a replacement failed.
    qint64 failed = window.filesFailed();
    // A report holds standard output, in the text's place.
    const bool showText = text && s.report == ReportKind::None;
    if (showText) {
        const bool ran = window.entered() &&
                         (outcome == BatchOutcome::Completed || outcome == BatchOutcome::Cancelled);
        const int written = writeBufferText(s, *input, !ran || failed > 0);
        if (written == ExitStatus::FilesFailed)
            ++failed;
        else if (written == ExitStatus::Failed)
            status = written;
    }
    if (!window.entered())
        return status;
    if (s.options.values.searchOnly == Checked && !writeEntryCounts(s, window, text))
        status = ExitStatus::Failed;
    if (showText)
        writeError(countersText(s.window.counters));
    else if (!writeCounters(s, failed, outcome == BatchOutcome::Cancelled))
        status = ExitStatus::Failed;
    return withFilesFailed(status, failed);
}

int runBatchTest(Session& s, const CliCommand& command) {
    const std::optional<QString> text =
        checkedBatchText(command.batchPath, command.batchFormat, s.prompter);
    if (!text)
        return ExitStatus::Refused;
    // Written as it is made, so the listing of a big file is never held whole.
    constexpr qsizetype kChunk = 1 << 20;
    QByteArray chunk;
    bool written = true;
    writeBatchListing(*text, command.batchFormat, [&](QStringView piece) {
        // A big piece goes out in slices, never cut inside a surrogate pair.
        while (!piece.isEmpty()) {
            qsizetype slice = std::min(piece.size(), kChunk);
            if (slice < piece.size() && piece[slice - 1].isHighSurrogate())
                --slice;
            chunk += piece.first(slice).toUtf8();
            piece = piece.sliced(slice);
            if (chunk.size() >= kChunk) {
                written = written && writeStandardOutput(chunk);
                chunk.clear();
            }
        }
    });
    written = written && writeStandardOutput(chunk);
    return written ? ExitStatus::Completed : ExitStatus::Failed;
}

} // namespace zuk

#include "cli/cli_batch.h"

#include "batch/batch_listing.h"
#include "batch/batch_run.h"
#include "cli/cli_app.h"
#include "cli/cli_batch_window.h"

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
    case BatchOutcome::Refused:
        // Ctrl+C while the file was tested ends the test as failed.
        return s.yield.cancelled() ? ExitStatus::Cancelled : ExitStatus::Refused;
    case BatchOutcome::CancelRequested:
        break;
    }
    return ExitStatus::Refused;
}

} // namespace

int runBatch(Session& s, SearchRun& run, const CliCommand& command) {
    const bool text = command.values.optText;
    // Every entry works on the text the ones before it left, so it is read once, first.
    std::optional<StandardInput> input;
    if (text) {
        input = loadStandardInput(s);
        if (!input)
            return ExitStatus::Failed;
    }

    CliBatchWindow window(command.batchPath, command.batchFormat, s.options, run, s.window);
    BatchRun batch(window, window, s.state, s.prompter, s.yield);
    const BatchOutcome outcome = batch.start();
    s.progress.clear();
    int status = statusOf(outcome, s);
    if (!window.entered())
        return status;

    // A failed batch writes no text, as a failed run doesn't; its totals still show.
    if (text && (outcome == BatchOutcome::Completed || outcome == BatchOutcome::Cancelled)) {
        if (const int written = writeBufferText(s, *input, window.filesFailed() > 0);
            written != ExitStatus::Completed)
            status = written;
    }
    const QString counters = countersText(s.window.counters);
    if (text)
        writeError(counters);
    else if (!writeStandardOutput(counters.toUtf8()))
        status = ExitStatus::Failed;
    return withFilesFailed(status, window.filesFailed());
}

int runBatchTest(Session& s, const CliCommand& command) {
    const std::optional<QString> listing =
        testBatchFile(command.batchPath, command.batchFormat, s.prompter);
    if (!listing)
        return ExitStatus::Refused;
    return writeStandardOutput(listing->toUtf8()) ? ExitStatus::Completed : ExitStatus::Failed;
}

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_app.h"

#include "backup/make_backup.h"
#include "backup/roll_back.h"
#include "cli/cli_batch.h"
#include "cli/cli_command.h"
#include "cli/cli_journal.h"
#include "cli/cli_report.h"
#include "cli/cli_session.h"
#include "engine/files/file_io.h"
#include "engine/files/path_bytes.h"
#include "engine/match/regex_matcher.h"

#include <QDir>

#include <cerrno>
#include <climits>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <thread>

namespace zuk {

namespace {

// The working directory as the bytes it is, so that relative paths keep naming their files.
QString currentDirectory() {
    QByteArray buffer(PATH_MAX, Qt::Uninitialized);
    while (!::getcwd(buffer.data(), size_t(buffer.size()))) {
        if (errno != ERANGE)
            return QDir::currentPath();
        buffer.resize(buffer.size() * 2);
    }
    return decodePath(QByteArray(buffer.constData()));
}

// The exit status of a run that ended through its closing steps.
int finish(const SearchRun& run, RunOutcome outcome) {
    return withFilesFailed(exitStatusOf(outcome), run.filesFailed());
}

int runText(Session& s, SearchRun& run) {
    std::optional<StandardInput> input = loadStandardInput(s);
    if (!input)
        return ExitStatus::Failed;
    if (!input->isText)
        return passUnchanged(s, *input);

    const RunOutcome outcome = run.start();
    s.progress.clear();
    const bool ran = outcome == RunOutcome::Completed || outcome == RunOutcome::Cancelled;
    if (s.report != ReportKind::None) {
        // The report holds standard output, in the text's place.
        if (ran && !writeCounters(s, run.filesFailed(), outcome == RunOutcome::Cancelled))
            return ExitStatus::Failed;
        return finish(run, outcome);
    }
    // The text always goes out. Unchanged text goes out as it came in, byte for byte; so does
    // a text whose replacement failed, like a file that is left as it was, and the text of a
    // run that was refused or ended by an error.
    const int written = writeBufferText(s, *input, !ran || run.filesFailed() > 0);
    if (written == ExitStatus::Failed)
        return written;
    if (!ran)
        return exitStatusOf(outcome);
    writeError(countersText(s.window.counters));
    return withFilesFailed(exitStatusOf(outcome),
                           run.filesFailed() + (written == ExitStatus::FilesFailed ? 1 : 0));
}

int runFiles(Session& s, SearchRun& run, int threads) {
    prepareOnCores(s, run, threads);
    const RunOutcome outcome = run.start();
    s.progress.clear();
    if (outcome == RunOutcome::Completed || outcome == RunOutcome::Cancelled) {
        if (!writeCounters(s, run.filesFailed(), outcome == RunOutcome::Cancelled))
            return ExitStatus::Failed;
    }
    return finish(run, outcome);
}

int runRollBack(Session& s, int threads) {
    RollBack rollBack(s.options, s.window, s.prompter, s.yield, s.state, s.log);
    rollBack.setWalkThreads(threads);
    const RunOutcome outcome = rollBack.start();
    s.progress.clear();
    if (outcome == RunOutcome::Completed || outcome == RunOutcome::Cancelled) {
        if (!writeStandardOutput(
                QStringLiteral("Roll Backs Done : %1\n").arg(rollBack.lastCount()).toUtf8()))
            return ExitStatus::Failed;
    }
    return withFilesFailed(exitStatusOf(outcome), rollBack.filesFailed());
}

} // namespace

void prepareOnCores(Session& s, SearchRun& run, int threads) {
    // The options are fixed here: files are prepared on every core, and committed in order.
    if (threads == 0)
        threads = int(std::clamp(std::thread::hardware_concurrency(), 2u, 4u));
    if (threads > 1)
        run.prepareInParallel(threads - 1,
                              [&s] { return std::make_unique<ValueRunOptions>(s.options.values); });
}

int exitStatusOf(RunOutcome outcome) {
    switch (outcome) {
    case RunOutcome::Completed:
        return ExitStatus::Completed;
    case RunOutcome::Cancelled:
        return ExitStatus::Cancelled;
    case RunOutcome::Failed:
        return ExitStatus::Failed;
    case RunOutcome::Declined:
        // Ctrl+C at the question is a cancel, not an answer.
        return InterruptYield::interrupted() ? ExitStatus::Cancelled : ExitStatus::Refused;
    case RunOutcome::Refused:
    case RunOutcome::CancelRequested:
        break;
    }
    return ExitStatus::Refused;
}

QString countersText(const RunCounters& counters) {
    return QStringLiteral("Items Searched : %1\nItems Changed : %2\nReplaced Items : %3\n")
        .arg(counters.totFiles)
        .arg(counters.filesDone)
        .arg(counters.replaceMade);
}

bool writeCounters(Session& s, qint64 failed, bool cancelled) {
    const QByteArray counters = countersText(s.window.counters).toUtf8();
    if (s.report == ReportKind::None)
        return writeStandardOutput(counters);
    if (s.report == ReportKind::Json &&
        !writeStandardOutput(jsonSummary(s.window.counters, failed, cancelled)))
        return false;
    writeError(QString::fromUtf8(counters));
    return !s.outputFailed;
}

int runCli(const QStringList& arguments) {
    Result<CliCommand> parsed = parseCommandLine(arguments, currentDirectory());
    if (parsed && parsed.value().kind != CliCommand::Kind::Help &&
        parsed.value().kind != CliCommand::Kind::Version) {
        if (Status loaded = loadTexts(parsed.value()); !loaded)
            parsed = loaded.error();
        else if (Status listed = loadFileList(parsed.value(), currentDirectory()); !listed)
            parsed = listed.error();
    }
    // A bad expression is refused before anything is asked or read.
    if (parsed && parsed.value().kind == CliCommand::Kind::Run && parsed.value().values.regex) {
        const RunOptionValues& values = parsed.value().values;
        if (Status valid = checkRegex(values.searchText, values.replaceText, values.wholeWords);
            !valid)
            parsed = valid.error();
    }
    if (!parsed) {
        writeError(QStringLiteral("zuk-cli: %1\nTry 'zuk-cli --help' for more.\n")
                       .arg(parsed.error().description));
        return ExitStatus::BadUsage;
    }
    const CliCommand& command = parsed.value();
    if (command.kind == CliCommand::Kind::Help || command.kind == CliCommand::Kind::Version) {
        const QByteArray text =
            (command.kind == CliCommand::Kind::Help ? usageText() : versionText()).toUtf8();
        return writeStandardOutput(text) ? ExitStatus::Completed : ExitStatus::Failed;
    }

    for (const QString& warning : command.warnings)
        writeError(QStringLiteral("zuk-cli: warning: %1\n").arg(warning));
    // Ctrl+C before anything was done: nothing to close.
    if (InterruptYield::interrupted())
        return ExitStatus::Cancelled;
    Session session(command);
    if (command.kind == CliCommand::Kind::RollBack)
        return runRollBack(session, command.threads);
    if (command.kind == CliCommand::Kind::BatchTest)
        return runBatchTest(session, command);
    if (command.kind == CliCommand::Kind::Undo)
        return runUndo(session, command);
    if (command.kind == CliCommand::Kind::History)
        return runHistory();
    SearchRun run(session.options, session.state, session.window, session.prompter, session.yield,
                  session.log, MakeBackup);
    run.setWalkThreads(command.threads);
    if (command.paths)
        run.setPaths(*command.paths);
    // A dry run or a report keeps each edit's finds; a dry run stores none of them.
    ReportFormat format{
        command.report,
        command.colour == CliCommand::Colour::Always ||
            (command.colour == CliCommand::Colour::Auto && ::isatty(STDOUT_FILENO) == 1),
        currentDirectory()};
    KeepingSink::Observer observer;
    if (format.kind != ReportKind::None) {
        observer = [&session, &format](const KeptEdit& kept) {
            format.textEncoding = session.window.inputEncoding;
            const QByteArray shown = reportOf(kept, format);
            if (!shown.isEmpty() && !session.outputFailed && !writeStandardOutput(shown))
                session.outputFailed = true;
        };
    }
    KeepingSink keeping(session.window, command.dryRun ? nullptr : &run.commitSink(),
                        std::move(observer));
    if (command.dryRun || format.kind != ReportKind::None)
        run.setSink(keeping);
    CliJournal journal;
    if (!journal.attach(command, run))
        return ExitStatus::Failed;
    int status = 0;
    if (command.kind == CliCommand::Kind::Batch)
        status = runBatch(session, run, command);
    else
        status = command.values.optText ? runText(session, run)
                                        : runFiles(session, run, command.threads);
    journal.finish();
    return status;
}

} // namespace zuk

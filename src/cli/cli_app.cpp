#include "cli/cli_app.h"

#include "app/app_paths.h"
#include "backup/make_backup.h"
#include "backup/roll_back.h"
#include "cli/cli_command.h"
#include "cli/cli_run_window.h"
#include "cli/interrupt_yield.h"
#include "cli/progress_line.h"
#include "cli/terminal_prompter.h"
#include "engine/path_bytes.h"
#include "engine/text_codec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <new>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <thread>

namespace zuk {

namespace {

const QString kDone = QStringLiteral("ZUK Done");
const QString kStandardInput = QStringLiteral("<standard input>");

void writeError(const QString& text) {
    TerminalPrompter::writeToStandardError(text);
}

bool writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

Result<QByteArray> readAllStandardInput() {
    QByteArray bytes;
    qsizetype filled = 0;
    for (;;) {
        if (bytes.size() - filled < 65536)
            bytes.resize(qMax<qsizetype>(bytes.size() * 2, filled + 65536));
        const ssize_t n =
            ::read(STDIN_FILENO, bytes.data() + filled, size_t(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errorFromErrno(errno);
        if (n == 0)
            break;
        filled += n;
    }
    bytes.resize(filled);
    return bytes;
}

// The log goes to the window's application folder, so both show the same log: the
// application name is the window's, whatever this program is called.
QString logPathFor(const CliCommand& command) {
    if (command.values.logChanges != Checked)
        return {};
    const QString executableFolder =
        QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
    const AppPathsSetup setup = SetAppPaths(
        AppEnvironment{decodePath(qgetenv("AppData")), executableFolder + QStringLiteral("/zuk")});
    if (!setup.folder)
        writeError(setup.problemText() + u'\n');
    return setup.paths.logPath();
}

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

// Everything a command needs to run without a window.
struct Session {
    explicit Session(const CliCommand& command)
        : progress(::isatty(STDERR_FILENO) == 1, ProgressLine::terminalWidth(), writeError),
          prompter(
              command.assumeYes,
              [this](const QString& text) {
                  progress.clear();
                  writeError(text);
              },
              TerminalPrompter::askOnTerminal),
          log(logPathFor(command)), options(command.values), window(progress), yield(state) {
        window.logPath = log.path();
    }

    ProgressLine progress;
    TerminalPrompter prompter;
    ActivityLog log;
    ValueRunOptions options;
    RunState state;
    CliRunWindow window;
    InterruptYield yield;
};

// The exit status of a run that ended through its closing steps, and the count of the files
// that failed on the way as the last line of standard error.
int finish(const SearchRun& run, RunOutcome outcome) {
    const qint64 failed = run.filesFailed();
    if (failed > 0)
        writeError(QStringLiteral("zuk-cli: %1 %2 failed\n")
                       .arg(failed)
                       .arg(failed == 1 ? QStringLiteral("file") : QStringLiteral("files")));
    const int status = exitStatusOf(outcome);
    return status == ExitStatus::Completed && failed > 0 ? ExitStatus::FilesFailed : status;
}

int runText(Session& s, SearchRun& run) {
    Result<QByteArray> input = readAllStandardInput();
    if (!input) {
        s.prompter.inform(input.error().message(), kStandardInput);
        return ExitStatus::Failed;
    }
    Result<DecodedText> decoded = decodeText(input.value());
    if (!decoded) {
        s.prompter.inform(decoded.error().message(), kStandardInput);
        return ExitStatus::Failed;
    }
    const TextEncoding encoding = decoded.value().encoding;
    s.window.buffer.setText(std::move(decoded.value().text));

    const RunOutcome outcome = run.cmdStart_Click();
    s.progress.clear();
    if (outcome != RunOutcome::Completed && outcome != RunOutcome::Cancelled)
        return exitStatusOf(outcome);

    const TextBuffer& buffer = s.window.buffer;
    bool written;
    if (!buffer.isModified() || run.filesFailed() > 0) {
        // Unchanged text goes out as it came in, byte for byte; so does a text whose
        // replacement failed, like a file that is left as it was.
        written = writeAll(STDOUT_FILENO, input.value().constData(), input.value().size());
    } else {
        if (!canEncode(buffer.text(), encoding)) {
            s.prompter.inform(QStringLiteral("ERROR: %1 The replacement text holds characters "
                                             "that the input's encoding cannot store")
                                  .arg(ErrorNumber::InvalidArgument),
                              kStandardInput);
            return ExitStatus::Failed;
        }
        input.value().clear();
        QByteArray bytes;
        try {
            bytes = byteOrderMark(encoding) + encodeText(buffer.text(), encoding);
        } catch (const std::bad_alloc&) {
            s.prompter.inform(makeError(ErrorNumber::OutOfMemory).message(), kStandardInput);
            return ExitStatus::Failed;
        }
        written = writeAll(STDOUT_FILENO, bytes.constData(), bytes.size());
    }
    if (!written) {
        writeError(
            QStringLiteral("zuk-cli: standard output: %1\n").arg(errorFromErrno(errno).message()));
        return ExitStatus::Failed;
    }
    writeError(countersText(s.window.counters));
    return finish(run, outcome);
}

int runFiles(Session& s, SearchRun& run) {
    // The options are fixed here: files are prepared on every core, and committed in order.
    const int threads = int(std::clamp(std::thread::hardware_concurrency(), 2u, 4u)) - 1;
    run.prepareInParallel(threads,
                          [&s] { return std::make_unique<ValueRunOptions>(s.options.values); });
    const RunOutcome outcome = run.cmdStart_Click();
    s.progress.clear();
    if (outcome == RunOutcome::Completed || outcome == RunOutcome::Cancelled) {
        const QByteArray counters = countersText(s.window.counters).toUtf8();
        if (!writeAll(STDOUT_FILENO, counters.constData(), counters.size()))
            return ExitStatus::Failed;
    }
    return finish(run, outcome);
}

int runRollBack(Session& s) {
    RollBack rollBack(s.options, s.window, s.prompter, s.yield, s.state, s.log);
    rollBack.cmdRollBack_Click();
    s.progress.clear();
    // The command reports only through its messages: read its ending from them.
    const QStringList& informed = s.prompter.informed();
    if (s.prompter.declined())
        return InterruptYield::interrupted() ? ExitStatus::Cancelled : ExitStatus::Refused;
    if (!informed.isEmpty() && informed.last() == kDone) {
        const QByteArray count =
            QStringLiteral("Roll Backs Done : %1\n").arg(rollBack.lastCount()).toUtf8();
        if (!writeAll(STDOUT_FILENO, count.constData(), count.size()))
            return ExitStatus::Failed;
        return s.yield.cancelled() ? ExitStatus::Cancelled : ExitStatus::Completed;
    }
    for (const QString& text : informed) {
        if (text.startsWith(QStringLiteral("ERROR: ")))
            return ExitStatus::Failed;
    }
    return ExitStatus::Refused;
}

} // namespace

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

int runCli(const QStringList& arguments) {
    Result<CliCommand> parsed = parseCommandLine(arguments, currentDirectory());
    if (parsed && parsed.value().kind != CliCommand::Kind::Help &&
        parsed.value().kind != CliCommand::Kind::Version) {
        if (Status loaded = loadTexts(parsed.value()); !loaded)
            parsed = loaded.error();
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
        return writeAll(STDOUT_FILENO, text.constData(), text.size()) ? ExitStatus::Completed
                                                                      : ExitStatus::Failed;
    }

    for (const QString& warning : command.warnings)
        writeError(QStringLiteral("zuk-cli: warning: %1\n").arg(warning));
    // Ctrl+C before anything was done: nothing to close.
    if (InterruptYield::interrupted())
        return ExitStatus::Cancelled;
    Session session(command);
    if (command.kind == CliCommand::Kind::RollBack)
        return runRollBack(session);
    SearchRun run(session.options, session.state, session.window, session.prompter, session.yield,
                  session.log, MakeBackup);
    return command.values.optText ? runText(session, run) : runFiles(session, run);
}

} // namespace zuk

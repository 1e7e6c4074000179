// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_session.h"

#include "app/app_paths.h"
#include "cli/cli_app.h"
#include "engine/files/file_io.h"
#include "engine/files/path_bytes.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cerrno>
#include <new>
#include <unistd.h>

namespace zuk {

namespace {

const QString kStandardInput = QStringLiteral("<standard input>");

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

// The text mode's output; false after its message.
bool writeText(const QByteArray& bytes) {
    if (writeStandardOutput(bytes))
        return true;
    writeError(
        QStringLiteral("zuk-cli: standard output: %1\n").arg(errorFromErrno(errno).message()));
    return false;
}

} // namespace

Session::Session(const CliCommand& command)
    : progress(::isatty(STDERR_FILENO) == 1, ProgressLine::terminalWidth(), writeError),
      prompter(
          // A dry run writes nothing: nothing to confirm, a batch included.
          command.assumeYes || command.dryRun,
          [this](const QString& text) {
              progress.clear();
              writeError(text);
          },
          TerminalPrompter::askOnTerminal),
      log(logPathFor(command)), options(command.values), window(progress), yield(state),
      report(command.report) {
    window.logPath = log.path();
}

void writeError(const QString& text) {
    TerminalPrompter::writeToStandardError(text);
}

bool writeStandardOutput(const QByteArray& bytes) {
    return writeAll(STDOUT_FILENO, bytes).ok();
}

std::optional<StandardInput> loadStandardInput(Session& s) {
    Result<QByteArray> input = readAll(STDIN_FILENO);
    if (!input) {
        s.prompter.inform(input.error().message(), kStandardInput);
        return std::nullopt;
    }
    Result<DecodedText> decoded = decodeText(input.value());
    if (!decoded) {
        s.prompter.inform(decoded.error().message(), kStandardInput);
        return StandardInput{std::move(input.value()), TextEncoding::Utf8, false};
    }
    s.window.text = std::move(decoded.value().text);
    s.window.inputEncoding = decoded.value().encoding;
    return StandardInput{std::move(input.value()), decoded.value().encoding};
}

int writeBufferText(Session& s, const StandardInput& input, bool asItCame) {
    // The run checked that the input's encoding holds the new text. Until its bytes are made,
    // the input is kept: whatever fails, the text goes out as it came.
    const bool given = s.window.textChanged && !asItCame;
    QByteArray bytes;
    std::optional<Error> failed;
    if (given) {
        try {
            bytes = byteOrderMark(input.encoding) + encodeText(s.window.text, input.encoding);
        } catch (const std::bad_alloc&) {
            bytes = QByteArray();
            failed = makeError(ErrorNumber::OutOfMemory);
        }
    }
    if (failed) {
        s.prompter.inform(failed->message(), kStandardInput);
        s.window.counters.filesDone = 0;
        s.window.counters.replaceMade = 0;
    }
    if (!writeText(given && !failed ? bytes : input.bytes))
        return ExitStatus::Failed;
    return failed ? ExitStatus::FilesFailed : ExitStatus::Completed;
}

int passUnchanged(Session& s, const StandardInput& input) {
    // A report holds standard output: it tells of the failure alone.
    if (s.report != ReportKind::None)
        return withFilesFailed(
            writeCounters(s, 1, false) ? ExitStatus::Completed : ExitStatus::Failed, 1);
    if (!writeText(input.bytes))
        return ExitStatus::Failed;
    writeError(countersText(s.window.counters));
    return withFilesFailed(ExitStatus::Completed, 1);
}

int withFilesFailed(int status, qint64 failed) {
    if (failed > 0)
        writeError(QStringLiteral("zuk-cli: %1 %2 failed\n")
                       .arg(failed)
                       .arg(failed == 1 ? QStringLiteral("file") : QStringLiteral("files")));
    return status == ExitStatus::Completed && failed > 0 ? ExitStatus::FilesFailed : status;
}

} // namespace zuk

#include "cli/cli_session.h"

#include "app/app_paths.h"
#include "engine/file_io.h"
#include "engine/path_bytes.h"

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

} // namespace

Session::Session(const CliCommand& command)
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
        return std::nullopt;
    }
    s.window.buffer.setText(std::move(decoded.value().text));
    return StandardInput{std::move(input.value()), decoded.value().encoding};
}

int writeBufferText(Session& s, StandardInput& input, bool asItCame) {
    const TextBuffer& buffer = s.window.buffer;
    bool written;
    if (!buffer.isModified() || asItCame) {
        written = writeStandardOutput(input.bytes);
    } else {
        if (!canEncode(buffer.text(), input.encoding)) {
            s.prompter.inform(QStringLiteral("ERROR: %1 The replacement text holds characters "
                                             "that the input's encoding cannot store")
                                  .arg(ErrorNumber::InvalidArgument),
                              kStandardInput);
            return ExitStatus::Failed;
        }
        input.bytes.clear();
        QByteArray bytes;
        try {
            bytes = byteOrderMark(input.encoding) + encodeText(buffer.text(), input.encoding);
        } catch (const std::bad_alloc&) {
            s.prompter.inform(makeError(ErrorNumber::OutOfMemory).message(), kStandardInput);
            return ExitStatus::Failed;
        }
        written = writeStandardOutput(bytes);
    }
    if (!written) {
        writeError(
            QStringLiteral("zuk-cli: standard output: %1\n").arg(errorFromErrno(errno).message()));
        return ExitStatus::Failed;
    }
    return ExitStatus::Completed;
}

int withFilesFailed(int status, qint64 failed) {
    if (failed > 0)
        writeError(QStringLiteral("zuk-cli: %1 %2 failed\n")
                       .arg(failed)
                       .arg(failed == 1 ? QStringLiteral("file") : QStringLiteral("files")));
    return status == ExitStatus::Completed && failed > 0 ? ExitStatus::FilesFailed : status;
}

} // namespace zuk

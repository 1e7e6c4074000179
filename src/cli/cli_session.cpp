#include "cli/cli_session.h"

#include "app/app_paths.h"
#include "engine/path_bytes.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cerrno>
#include <new>
#include <unistd.h>

namespace zuk {

namespace {

const QString kStandardInput = QStringLiteral("<standard input>");

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
    return writeAll(STDOUT_FILENO, bytes.constData(), bytes.size());
}

std::optional<StandardInput> loadStandardInput(Session& s) {
    Result<QByteArray> input = readAllStandardInput();
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/terminal_prompter.h"

#include "engine/files/file_io.h"
#include "engine/files/path_bytes.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace zuk {

namespace {

// One line from fd, without its line break; nothing at end of input or on an interruption
// (Ctrl+C while asking means No).
std::optional<QByteArray> readLine(int fd) {
    QByteArray line;
    for (;;) {
        pollfd waiting{fd, POLLIN, 0};
        if (::poll(&waiting, 1, -1) < 0)
            return std::nullopt;
        char c;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 || (n == 0 && line.isEmpty()))
            return std::nullopt;
        if (n == 0 || c == '\n')
            return line;
        line.append(c);
    }
}

} // namespace

TerminalPrompter::TerminalPrompter(bool assumeYes, Output output, Ask ask)
    : m_assumeYes(assumeYes), m_output(std::move(output)), m_ask(std::move(ask)) {}

QString TerminalPrompter::format(const Message& message) {
    QString text = message.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QString subject = displayPath(message.subject);
    if (!subject.isEmpty() && !text.contains(subject))
        text = subject + QStringLiteral(": ") + text;
    return text;
}

bool TerminalPrompter::isYes(const QString& answer) {
    const QString a = answer.trimmed().toLower();
    return a == u"y" || a == u"yes";
}

MessageResult TerminalPrompter::show(const Message& message) {
    if (message.buttons == MessageButtons::Ok) {
        m_output(format(message) + u'\n');
        return MessageResult::Ok;
    }
    if (m_assumeYes)
        return MessageResult::Yes;
    const QString title = message.title.isEmpty() ? kApplicationTitle : message.title;
    const std::optional<QString> answer =
        m_ask(title + QStringLiteral(": ") + format(message) + QStringLiteral("\n[y/N] "));
    if (!answer) {
        m_noTerminal = true;
        m_output(QStringLiteral("zuk-cli: no answer from a terminal; give --yes to go on "
                                "without asking\n"));
        return MessageResult::No;
    }
    if (isYes(*answer))
        return MessageResult::Yes;
    return MessageResult::No;
}

std::optional<QString> TerminalPrompter::askOnTerminal(const QString& question) {
    int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    const bool own = fd >= 0;
    if (!own) {
        if (!::isatty(STDIN_FILENO))
            return std::nullopt;
        fd = STDIN_FILENO;
    }
    const int out = own ? fd : STDERR_FILENO;
    std::optional<QByteArray> line;
    if (writeAll(out, question.toLocal8Bit()))
        line = readLine(fd);
    if (own)
        ::close(fd);
    if (!line)
        return std::nullopt;
    return QString::fromLocal8Bit(*line);
}

void TerminalPrompter::writeToStandardError(const QString& text) {
    (void)writeAll(STDERR_FILENO, text.toLocal8Bit());
}

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/prompter.h"

#include <QString>

#include <functional>
#include <optional>

namespace zuk {

// Message boxes on a terminal: every message goes to standard error, naming the file it
// concerns; a confirmation is asked on the terminal, or answered Yes at once with --yes.
class TerminalPrompter final : public Prompter {
public:
    // Writes a piece of text to standard error.
    using Output = std::function<void(const QString& text)>;
    // Asks a question on the terminal and returns the line typed; nothing when there is no
    // terminal to ask on (or it was closed, or Ctrl+C was pressed).
    using Ask = std::function<std::optional<QString>(const QString& question)>;

    TerminalPrompter(bool assumeYes, Output output, Ask ask);

    MessageResult show(const Message& message) override;

    // Whether a confirmation found no terminal to ask on.
    bool noTerminal() const { return m_noTerminal; }
    // The text of a message as standard error shows it: line breaks as LF, the file first.
    static QString format(const Message& message);
    // Yes only for y or yes, in any case; everything else is the default No.
    static bool isYes(const QString& answer);

    // Asks on the controlling terminal (/dev/tty), else on standard input when it is one.
    static std::optional<QString> askOnTerminal(const QString& question);
    static void writeToStandardError(const QString& text);

private:
    bool m_assumeYes;
    Output m_output;
    Ask m_ask;
    bool m_noTerminal = false;
};

} // namespace zuk

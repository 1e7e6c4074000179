// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/cli_command.h"
#include "cli/cli_run_window.h"
#include "cli/interrupt_yield.h"
#include "cli/progress_line.h"
#include "cli/terminal_prompter.h"
#include "engine/run/activity_log.h"
#include "engine/run/run_options.h"
#include "engine/run/run_state.h"
#include "engine/text/text_codec.h"

#include <QByteArray>

#include <optional>

namespace zuk {

// Everything a command needs to run without a window.
struct Session {
    explicit Session(const CliCommand& command);

    ProgressLine progress;
    TerminalPrompter prompter;
    ActivityLog log;
    ValueRunOptions options;
    RunState state;
    CliRunWindow window;
    InterruptYield yield;
};

// Standard input in text mode: the bytes as they came and how their text was decoded.
struct StandardInput {
    QByteArray bytes;
    TextEncoding encoding = TextEncoding::Utf8;
    bool isText = true; // false: its message was shown, and it goes out as it came
};

void writeError(const QString& text);
bool writeStandardOutput(const QByteArray& bytes);

// Reads standard input whole and puts its text into the window's right-hand box; nothing after
// the message when it can't be read. Input that isn't text is kept as it came, after its
// message.
std::optional<StandardInput> loadStandardInput(Session& s);
// Writes the box's new text to standard output in the input's encoding, or the input's own
// bytes when the text is unchanged or `asItCame`. Completed; FilesFailed when the new text
// couldn't be made (its message shown, the input went out as it came, the counters show no
// change); or Failed after its message.
int writeBufferText(Session& s, const StandardInput& input, bool asItCame);
// Input that isn't text goes out as it came, with the counters of a run that did nothing:
// the status of a command whose one item failed.
int passUnchanged(Session& s, const StandardInput& input);
// The status of a command that went through its closing steps, with the count of the files
// that failed on the way as the last line of standard error.
int withFilesFailed(int status, qint64 failed);

} // namespace zuk

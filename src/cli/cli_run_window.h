// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/progress_line.h"
#include "engine/run/headless_run_window.h"
#include "engine/text/text_codec.h"

namespace zuk {

// The run's window on a terminal: keeps what a window would show and draws the progress line.
class CliRunWindow final : public HeadlessRunWindow {
public:
    explicit CliRunWindow(ProgressLine& progress) : m_progress(progress) {}

    void showCounters(const RunCounters& shown) override;
    void setCurrentPath(const QString& path) override;
    // There is no viewer here: a search-only run with logging names the log instead.
    void openLogViewer() override;
    // Text mode's box is standard input and output: a new text must fit the input's encoding.
    Status setRightBoxText(const QString& text) override;
    QString rightBoxSubject() const override { return QStringLiteral("<standard input>"); }

    QString logPath; // named by openLogViewer
    TextEncoding inputEncoding = TextEncoding::Utf8;
    bool textChanged = false; // a run gave a new text back

private:
    ProgressLine& m_progress;
};

} // namespace zuk

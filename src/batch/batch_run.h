// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/batch_main_window.h"
#include "batch/batch_window.h"
#include "engine/run/prompter.h"
#include "engine/run/run_state.h"
#include "engine/run/yield_hook.h"

#include <optional>

namespace zuk {

// How a press of the Batch button ended, for front ends that report it.
enum class BatchOutcome {
    CancelRequested, // a batch was under way: the press only asked it to stop
    Refused,         // no file, no delimiter or a failed test; its message was shown
    Declined,        // the confirmation was answered No
    Completed,
    Cancelled, // stopped after the entry in progress; the totals and closing message shown
    Failed,    // ended by an error after its message; both windows are idle again
    // An entry's search can't be made (a bad regular expression); its message was shown and
    // nothing was asked or written.
    RefusedEntry,
};

// The Batch button: one complete run of the main window per entry of the batch file, in file
// order, so that each entry works on the result of those before it; then the sums of the
// changed files and replacements in the main window's labels.
class BatchRun final {
public:
    BatchRun(BatchWindow& batchWindow, BatchMainWindow& mainWindow, RunState& state,
             Prompter& prompter, YieldHook& yieldHook);

    // While a batch runs (or tests its file), a press only sets the two stop flags.
    BatchOutcome start();
    bool isActive() const { return m_active; }

    // The sums the last batch showed (also when it was cancelled or failed).
    qint64 totalFilesDone() const { return m_filesDone; }
    qint64 totalReplaceMade() const { return m_replaceMade; }

    static const QString kConfirmText;
    static const QString kDoneText;

private:
    // Applies every entry of the file at `path`; false when a run failed.
    bool applyEntries(const QString& text, const BatchFormat& format, const QString& path);
    // The same in one run of the main window.
    bool applyTogether(const QString& text, const BatchFormat& format, const QString& path);
    // The message naming the first entry whose search would be refused; nothing when none is.
    std::optional<QString> refusedEntry(const QString& text, const BatchFormat& format);

    BatchWindow& m_batchWindow;
    BatchMainWindow& m_mainWindow;
    RunState& m_state;
    Prompter& m_prompter;
    YieldHook& m_yield;
    bool m_active = false;
    qint64 m_filesDone = 0;
    qint64 m_replaceMade = 0;
};

} // namespace zuk

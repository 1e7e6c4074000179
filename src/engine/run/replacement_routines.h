// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/run/prompter.h"
#include "engine/run/run_options.h"
#include "engine/run/run_state.h"
#include "engine/run/run_window.h"
#include "engine/run/yield_hook.h"

#include <QStringList>

#include <optional>

namespace zuk {

class TextBuffer;

// The search text and its line-break variants: one entry per blank of the text, each with
// that blank turned into a line break (keeping a blank on the left or right when asked).
// The keep-space options are read once for every blank.
QStringList BuildVariantList(const QString& searchText, const RunOptions& options);

// Finds and replaces in the working buffer of the window: a file loaded into it, or the
// right-hand text itself. Returns the number of occurrences handled; -1 when the file can't be
// read as text, 0 after any other failure (its message shown; running out of memory is one).
// Nothing is saved here.
class ReplacementRoutines {
public:
    ReplacementRoutines(RunOptions& options, RunState& state, RunWindow& window, Prompter& prompter,
                        YieldHook& yieldHook);

    qint64 CleanFile(const QString& path, const QString& searchText, const QString& replaceText);
    qint64 CleanText(const QString& searchText, const QString& replaceText);
    qint64 CleanFileCRLF(const QString& path, const QString& searchText,
                         const QString& replaceText);
    qint64 CleanTextCRLF(const QString& searchText, const QString& replaceText);

    // The size of the buffer the file routine streams a file through (for tests).
    void setStreamBufferSize(qsizetype bytes) { m_streamBufferSize = bytes; }

    // Whether the last routine failed (its message shown), whatever its result.
    bool failed() const { return m_failed; }

private:
    // Nothing when the file is loaded; otherwise the routine's result, its message shown.
    std::optional<qint64> loadFailure(const QString& path);
    qint64 replaceAll(const QString& searchText, const QString& replaceText);
    // Finds and replaces while the file streams through a buffer, its new text going straight
    // to the file written in its place. Nothing when the file needs the whole-text form.
    std::optional<qint64> streamFile(const QString& path, const QString& searchText,
                                     const QString& replaceText);
    qint64 replaceVariants(const QString& searchText, const QString& replaceText);
    qint64 fail(const Error& error, const QString& subject);
    // Runs one routine: clears the failure, and makes running out of memory a failure of it.
    template <typename Routine> qint64 guarded(const QString& subject, Routine routine);

    RunOptions& m_options;
    RunState& m_state;
    RunWindow& m_window;
    Prompter& m_prompter;
    YieldHook& m_yield;
    bool m_failed = false;
    QString m_subject; // the file of the routine under way
    qsizetype m_streamBufferSize;
};

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/files/atomic_file.h"
#include "engine/run/activity_log.h"
#include "engine/run/prompter.h"
#include "engine/run/run_options.h"
#include "engine/run/run_outcome.h"
#include "engine/run/run_state.h"
#include "engine/run/run_window.h"
#include "engine/run/yield_hook.h"

#include <QString>

namespace zuk {

struct DirectoryList;

// The Roll Back command: gives every backup in a directory (and below it, when sub-directories
// are searched) its file's name back, deleting the edited file. Only renames and deletes:
// no file's content is rewritten.
class RollBack final {
public:
    RollBack(const RunOptions& options, RunWindow& window, Prompter& prompter, YieldHook& yieldHook,
             RunState& state, const ActivityLog& log);

    // Starts a roll back; while one runs, the same call asks it to stop.
    RunOutcome start();

    // The backups found by the last roll back (also when it was cancelled or failed).
    qint32 lastCount() const { return m_count; }
    // What the last roll back named and passed over while it went on: backups left in place
    // because their file may not be replaced, and folders that couldn't be read.
    qint64 filesFailed() const { return m_filesFailed; }
    // The threads its walk reads a wide level on (see CollectDirectories).
    void setWalkThreads(int threads) { m_walkThreads = threads; }

    static QString confirmationText(const QString& directory);
    static const QString kMissingPathText;

private:
    Status restoreAll(const DirectoryList& list);
    Status restore(const QString& backup);
    RunOutcome fail(const Error& error);
    void leaveRunningState();

    const RunOptions& m_options;
    RunWindow& m_window;
    Prompter& m_prompter;
    YieldHook& m_yield;
    RunState& m_state;
    const ActivityLog& m_log;
    WriteTracker m_writes;
    qint32 m_count = 0;
    qint64 m_filesFailed = 0;
    int m_walkThreads = 0;
};

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/run_state.h"
#include "engine/run/search_run.h"

#include <QString>
#include <QStringList>

namespace zuk {

struct Session;

// The whole command-line front end: parses the arguments, runs the Start or the Roll Back
// command without a window and returns the exit status.
int runCli(const QStringList& arguments);

// A run of files prepares them on `threads` threads (0: one per core, 2 to 4), reading its
// options as the session holds them.
void prepareOnCores(Session& s, SearchRun& run, int threads);

// The exit status of a run that ended so.
int exitStatusOf(RunOutcome outcome);
// The three counters as the front end prints them, one per line.
QString countersText(const RunCounters& counters);
// Writes the counters where they go: standard output, or standard error beside a report
// (after the JSON summary). False when standard output couldn't be written.
bool writeCounters(Session& s, qint64 failed, bool cancelled);

} // namespace zuk

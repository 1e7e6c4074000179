// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/run_state.h"
#include "engine/run/search_run.h"

#include <QString>
#include <QStringList>

namespace zuk {

// The whole command-line front end: parses the arguments, runs the Start or the Roll Back
// command without a window and returns the exit status.
int runCli(const QStringList& arguments);

// The exit status of a run that ended so.
int exitStatusOf(RunOutcome outcome);
// The three counters as the front end prints them, one per line.
QString countersText(const RunCounters& counters);

} // namespace zuk

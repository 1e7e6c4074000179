// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "engine/run/search_run.h"

namespace zuk {

// --batch: the batch window's Batch button with the terminal as both windows, with the
// command's other options; the counters at the end. In a file mode whose edits are committed,
// the entries go in one run with the results of one run per entry (false: one run per entry,
// as text mode and reports always have it).
int runBatch(Session& s, SearchRun& run, const CliCommand& command, bool together = true);

// --batch-test: the test view's listing on standard output, exactly as the view holds it.
int runBatchTest(Session& s, const CliCommand& command);

} // namespace zuk

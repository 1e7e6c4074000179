// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "engine/run/search_run.h"

namespace zuk {

// --batch: the batch window's Batch button with the terminal as both windows. One run per
// entry with the command's other options; the counters at the end.
int runBatch(Session& s, SearchRun& run, const CliCommand& command);

// --batch-test: the test view's listing on standard output, exactly as the view holds it.
int runBatchTest(Session& s, const CliCommand& command);

} // namespace zuk

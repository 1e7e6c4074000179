// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/text_buffer.h"
#include "engine/run/run_options.h"

#include <QString>

#include <memory>
#include <vector>

namespace zuk {

class EntryFilter;

// One search/replace pair of a run that applies several to each file in one pass (a batch).
struct RunEntry {
    QString search;
    QString replace;
};
using RunEntries = std::vector<RunEntry>;

// Which entries of a batch may find something in a file's text as the entries replace in turn
// (engine/run/entry_filter.h). Shared, unchanged, by the threads that prepare files. Unset: every
// entry searches every file.
using EntryPrefilter = std::shared_ptr<const EntryFilter>;

// The prefilter of a batch's run, made once for its entries as the options search them (case,
// expressions, line breaks); none where it could leave out nothing (expressions).
EntryPrefilter makeEntryPrefilter(const RunOptions& options, const RunEntries& entries);

} // namespace zuk

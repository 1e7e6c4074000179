// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/text_buffer.h"
#include "engine/run/run_options.h"

#include <QString>

#include <functional>
#include <span>
#include <vector>

namespace zuk {

// One search/replace pair of a run that applies several to each file in one pass (a batch).
struct RunEntry {
    QString search;
    QString replace;
};
using RunEntries = std::vector<RunEntry>;

// Which of `entries` (the ones still to apply to a file, in order) can find nothing in `text`,
// the file's text as the earlier entries left it: true at an index skips that entry, which
// then counts as having found nothing. Asked again after each entry that finds something,
// from several threads at once. Unset: no entry is skipped.
using EntryPrefilter =
    std::function<std::vector<bool>(const TextBuffer& text, std::span<const RunEntry> entries)>;

// The prefilter of a batch's run, made once for its entries as the options search them (case,
// expressions, line breaks). None yet: every entry searches every file.
EntryPrefilter makeEntryPrefilter(const RunOptions& options, const RunEntries& entries);

} // namespace zuk

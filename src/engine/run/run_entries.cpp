// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/run_entries.h"

#include "engine/run/entry_filter.h"

namespace zuk {

EntryPrefilter makeEntryPrefilter(const RunOptions& options, const RunEntries& entries) {
    // An expression may find something anywhere: the filter would keep every entry.
    if (options.regex())
        return {};
    QStringList searches;
    QStringList replacements;
    for (const RunEntry& entry : entries) {
        searches << entry.search;
        replacements << entry.replace;
    }
    return std::make_shared<const EntryFilter>(searches, replacements, options);
}

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/text_buffer.h"
#include "engine/match/literal_set.h"
#include "engine/run/run_options.h"

#include <QStringList>

#include <vector>

namespace zuk {

// Which entries of a batch may find something in a file's text, kept true as the entries
// replace in turn: an entry it leaves out surely finds nothing there, and is skipped.
class EntryFilter {
public:
    // The batch's search and replacement texts, searched as `options` say (read once: in a
    // batch nothing changes them between entries).
    EntryFilter(const QStringList& searches, const QStringList& replacements,
                const RunOptions& options);

    // The entries that may find something in `text`, as it is before the first entry.
    std::vector<bool> present(const TextBuffer& text) const;
    // After `entry` replaced something in the text: adds the entries its replacement may have
    // made present.
    void replaced(qsizetype entry, std::vector<bool>& present) const;

private:
    LiteralSet m_set;
    std::vector<std::vector<bool>> m_created; // per entry, what its replacement may make present
};

} // namespace zuk

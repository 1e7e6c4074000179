// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/match/regex_pattern.h"
#include "engine/match/regex_text.h"

#include <memory>
#include <vector>

namespace zuk {

// A match in a subject's units (characters, or bytes).
struct RegexMatch {
    qsizetype position = -1; // -1: none
    qsizetype length = 0;
    // The match itself, then each group (begin -1: it took no part), when asked for.
    std::vector<RegexPattern::Span> groups;
    bool found() const { return position >= 0; }
};

// One expression searched in one subject: the subject is seen as the expression sees it once,
// then searched from any position. Not for use by two threads at once.
class RegexSearch {
public:
    RegexSearch(std::shared_ptr<const RegexPattern> pattern, RegexText text);

    // The first match at or after `from`; `afterMatch` says a match ended at `from` (an empty
    // match there is passed over, and the search moves on one character).
    RegexMatch find(qsizetype from, bool afterMatch, bool withGroups) const;

    const RegexPattern& pattern() const { return *m_pattern; }

private:
    std::shared_ptr<const RegexPattern> m_pattern;
    RegexText m_text;
    mutable std::vector<RegexPattern::Span> m_spans;
    mutable RegexPattern::Seek m_seek;
};

} // namespace zuk

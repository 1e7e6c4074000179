// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/regex_search.h"

namespace zuk {

RegexSearch::RegexSearch(std::shared_ptr<const RegexPattern> pattern, RegexText text)
    : m_pattern(std::move(pattern)), m_text(std::move(text)) {}

RegexMatch RegexSearch::find(qsizetype from, bool afterMatch, bool withGroups) const {
    RegexMatch match;
    if (from > m_text.subjectSize())
        return match;
    if (!m_pattern->find(m_text.utf8(), m_text.toView(from), afterMatch, withGroups, m_spans,
                         m_seek))
        return match;
    match.position = m_text.toSubject(m_spans.front().begin);
    match.length = m_text.toSubject(m_spans.front().end) - match.position;
    if (withGroups) {
        match.groups.reserve(m_spans.size());
        for (const RegexPattern::Span& span : m_spans) {
            match.groups.push_back(span.found() ? RegexPattern::Span{m_text.toSubject(span.begin),
                                                                     m_text.toSubject(span.end)}
                                                : span);
        }
    }
    return match;
}

} // namespace zuk

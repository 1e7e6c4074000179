// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/replace_loop.h"

namespace zuk {

ReplaceLoop::ReplaceLoop(const RunOptions& options, const RunState& state, YieldHook& yield,
                         const EditRequest& request, const QString& subject)
    : m_options(options), m_state(state), m_yield(yield), m_request(request), m_subject(subject) {}

Result<qint64> ReplaceLoop::run(EditBuffer& buffer, const Matcher& matcher, QList<Find>& finds) {
    // Whatever the matcher kept of another subject is no guide to this one.
    matcher.newSubject();
    std::optional<QString> firstLineBreak; // asked at the first replacement that needs it
    qint64 found = 0;
    qint64 position = buffer.start();
    for (;;) {
        const Qt::CaseSensitivity cs =
            m_options.caseSensitive() == Checked ? Qt::CaseSensitive : Qt::CaseInsensitive;
        const Result<TextMatch> next = buffer.find(matcher, position, cs);
        if (!next)
            return next.error();
        const TextMatch& match = next.value();
        if (!match.found())
            break;
        if (m_request.take && !m_request.take(m_subject, m_index++)) {
            // Passed over as a search-only find is: overlapping finds are still met.
            position = m_options.searchOnly() == Unchecked || !matcher.countsOverlaps()
                           ? match.position + match.length
                           : match.position + 1;
            continue;
        }
        const auto record = [&](std::optional<QString> replacement) {
            const auto [offset, length] = buffer.storedSpan(match.position, match.length);
            finds.append(Find{offset, length, std::move(replacement)});
        };
        if (m_options.searchOnly() == Unchecked) {
            ReplacementSite site;
            if (matcher.replacementHasLineBreaks()) {
                if (!firstLineBreak) {
                    Result<QString> form = buffer.firstLineBreak();
                    if (!form)
                        return form.error();
                    firstLineBreak = std::move(form.value());
                }
                site.firstLineBreak = *firstLineBreak;
                site.before = buffer.unitBefore(match.position);
            }
            const qint64 windowStart = buffer.windowStart();
            const QString& replacement = matcher.replacement(
                buffer.window(), {qsizetype(match.position - windowStart), match.length}, site);
            if (m_request.collectFinds)
                record(replacement);
            if (Status replaced = buffer.replace(match.position, match.length, replacement);
                !replaced)
                return replaced.error();
            position = match.position + match.length;
        } else {
            if (m_request.collectFinds)
                record(std::nullopt);
            position =
                matcher.countsOverlaps() ? match.position + 1 : match.position + match.length;
        }
        ++found;
        m_yield.yield();
        if (m_state.cancelFlag)
            break;
    }
    return found;
}

} // namespace zuk

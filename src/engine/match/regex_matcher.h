// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/match/matcher.h"
#include "engine/match/regex_search.h"
#include "engine/match/replacement_template.h"

#include <QString>

#include <memory>
#include <optional>

namespace zuk {

// The search for a regular expression (see RegexPattern for how it reads line breaks), whose
// replacement puts in the groups of each match (see ReplacementTemplate). An empty match is
// replaced once at each position. The subject (characters, or the bytes of a text whose
// encoding is settled) is seen as the expression sees it once per subject. An expression that
// can't match a line break is searched line by line where a file streams.
class RegexMatcher final : public Matcher {
public:
    // Refuses an expression RE2 can't compile, and a replacement that names a group the
    // expression lacks, saying why and where.
    static Result<std::unique_ptr<RegexMatcher>> make(const QString& expression,
                                                      const QString& replacement, bool wholeWords);

    TextMatch find(const Subject& subject, qsizetype from, Qt::CaseSensitivity cs) const override;
    ByteForm byteForm() const override { return ByteForm::Settled; }
    bool findsAsciiOnly(Qt::CaseSensitivity cs) const override {
        return (cs == Qt::CaseSensitive ? m_sensitive : m_insensitive)->findsAsciiOnly();
    }
    std::optional<qsizetype> longestMatch() const override { return std::nullopt; }
    bool matchesWithinLines() const override { return !m_sensitive->canMatchLineBreak(); }
    bool countsOverlaps() const override { return false; }
    void newSubject() const override;
    bool replacementHasLineBreaks() const override { return m_template.hasLineBreaks(); }
    // The replacement of the last match found, which is `match`.
    const QString& replacement(const Subject& subject, const TextMatch& match,
                               const ReplacementSite& site) const override;

private:
    RegexMatcher(std::shared_ptr<const RegexPattern> sensitive,
                 std::shared_ptr<const RegexPattern> insensitive, ReplacementTemplate replacement);

    std::shared_ptr<const RegexPattern> m_sensitive;
    std::shared_ptr<const RegexPattern> m_insensitive;
    ReplacementTemplate m_template;
    // The subject as the expression with the case rule of the last find sees it.
    mutable std::optional<RegexSearch> m_search;
    mutable Qt::CaseSensitivity m_searchCase = Qt::CaseSensitive;
    mutable RegexMatch m_last;
    mutable qsizetype m_lastEnd = -1; // where the last match ended
    mutable QString m_formed;
};

// Whether `expression` and `replacement` make a regular expression search: the reason of the
// first refusal.
Status checkRegex(const QString& expression, const QString& replacement, bool wholeWords);

} // namespace zuk

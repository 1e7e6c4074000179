// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/match/matcher.h"

#include <QString>

#include <memory>

namespace zuk {

// Finds of another matcher that are whole words: the characters on either side of each are not
// letters, digits or underscores.
class WholeWordMatcher final : public Matcher {
public:
    // `searchText` is what `inner` finds literally; it says how far a rejected find lets the
    // search jump.
    WholeWordMatcher(std::unique_ptr<const Matcher> inner, const QString& searchText);

    TextMatch find(const Subject& subject, qsizetype from, Qt::CaseSensitivity cs) const override;
    // The bytes are read with their encoding settled, as the characters around a find depend
    // on it.
    ByteForm byteForm() const override;
    // With room for the character after the find.
    std::optional<qsizetype> longestMatch() const override;
    bool countsOverlaps() const override { return m_inner->countsOverlaps(); }
    void newSubject() const override { m_inner->newSubject(); }
    bool replacementHasLineBreaks() const override { return m_inner->replacementHasLineBreaks(); }
    const QString& replacement(const Subject& subject, const TextMatch& match,
                               const ReplacementSite& site) const override {
        return m_inner->replacement(subject, match, site);
    }

private:
    std::unique_ptr<const Matcher> m_inner;
    qsizetype m_restart;
};

// Another matcher's search without case, whose replacement takes each find's form: all small,
// all capitals or capitalized; any other form keeps it as typed.
class CasePreservingMatcher final : public Matcher {
public:
    explicit CasePreservingMatcher(std::unique_ptr<const Matcher> inner)
        : m_inner(std::move(inner)) {}

    TextMatch find(const Subject& subject, qsizetype from, Qt::CaseSensitivity) const override {
        return m_inner->find(subject, from, Qt::CaseInsensitive);
    }
    ByteForm byteForm() const override { return m_inner->byteForm(); }
    bool findsAsciiOnly(Qt::CaseSensitivity) const override {
        return m_inner->findsAsciiOnly(Qt::CaseInsensitive);
    }
    std::optional<qsizetype> longestMatch() const override { return m_inner->longestMatch(); }
    bool matchesWithinLines() const override { return m_inner->matchesWithinLines(); }
    bool countsOverlaps() const override { return m_inner->countsOverlaps(); }
    void newSubject() const override { m_inner->newSubject(); }
    bool replacementHasLineBreaks() const override { return m_inner->replacementHasLineBreaks(); }
    const QString& replacement(const Subject& subject, const TextMatch& match,
                               const ReplacementSite& site) const override;

private:
    std::unique_ptr<const Matcher> m_inner;
    mutable QString m_formed;
};

} // namespace zuk

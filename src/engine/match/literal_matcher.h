// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/match/matcher.h"
#include "engine/match/search_pattern.h"

#include <QList>
#include <QString>

#include <memory>

namespace zuk {

// The literal search: the search text found as it stands (its line breaks matching any line
// break), replaced by the replacement text, whose line breaks take the forms of the subject's.
class LiteralMatcher final : public Matcher {
public:
    LiteralMatcher(const QString& searchText, const QString& replaceText);

    TextMatch find(const Subject& subject, qsizetype from, Qt::CaseSensitivity cs) const override;
    ByteForm byteForm() const override;
    std::optional<qsizetype> longestMatch() const override;
    bool replacementHasLineBreaks() const override { return m_pieces.size() > 1; }
    const QString& replacement(const Subject& subject, const TextMatch& match,
                               const ReplacementSite& site) const override;

private:
    // A run searches file after file for the same text: the last one compiled is kept per
    // thread, shared so that a caller keeps its own if a nested run compiles another.
    std::shared_ptr<const SearchPattern> m_pattern;
    QString m_replaceText;
    QList<QString> m_pieces;  // the replacement text between its line breaks
    mutable QString m_formed; // the last replacement formed for a match
};

} // namespace zuk

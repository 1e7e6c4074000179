// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/match/text_match.h"

#include <QString>

#include <optional>

namespace zuk {

// Where a replacement goes, as far as its form depends on it.
struct ReplacementSite {
    // The subject's first line break (the platform's own when it has none); given only to a
    // matcher whose replacement holds line breaks.
    QStringView firstLineBreak;
    // The unit the new text holds just before the match; 0 at its start.
    char16_t before = 0;
};

// The match seam: what a run looks for and what replaces each find. The literal search is one
// kind. The replace loop asks a matcher for the next match from a position, and for the
// replacement of each match it replaces. One matcher serves one thread at a time.
class Matcher {
public:
    virtual ~Matcher() = default;

    // The first match at or after `from`. The case rule comes with each call: a run reads it
    // afresh at every find.
    virtual TextMatch find(const Subject& subject, qsizetype from,
                           Qt::CaseSensitivity cs) const = 0;

    // Whether find() may be given the bytes of a UTF-8 or one-byte text and finds there exactly
    // what it finds in the characters: always, never, unless the text holds a character
    // outside ASCII that folds to an ASCII letter (the Kelvin sign, the long s), or once the
    // text's encoding is settled (the subject says which it is).
    enum class ByteForm { Exact, UnlessAsciiFolding, Settled, Never };
    virtual ByteForm byteForm() const = 0;
    // Whether under `cs` every match is ASCII and not empty, and the bytes of a text that is not
    // UTF-8 read as UTF-8 give the same matches as read one byte a character: a Settled matcher
    // may then search the bytes of a text whose encoding is not settled yet.
    virtual bool findsAsciiOnly(Qt::CaseSensitivity) const { return false; }
    // The most units of the subject a match can cover; nothing when there is no bound. A file
    // streams through a buffer for a bounded matcher that searches the byte form, or for one
    // that matches within lines.
    virtual std::optional<qsizetype> longestMatch() const = 0;
    // Whether no match holds a line break, so that a subject cut just before a line break finds
    // up to the cut what the whole text finds, and one that starts at a line's start finds what
    // the whole text finds from there: a file may then stream through windows cut at line
    // breaks, however long a match is.
    virtual bool matchesWithinLines() const { return false; }

    // Whether a search-only run counts matches that overlap (resuming one unit after each
    // match's start) rather than resuming at its end.
    virtual bool countsOverlaps() const { return true; }
    // The next subject searched is another text, or the same one changed: whatever a matcher
    // kept of the last one is forgotten.
    virtual void newSubject() const {}

    // Whether the replacement holds line breaks, whose forms then depend on the subject.
    virtual bool replacementHasLineBreaks() const = 0;
    // What replaces `match`, which lies in `subject`; valid until the next call. A replacement
    // that is the same for every match is handed out without a copy per find.
    virtual const QString& replacement(const Subject& subject, const TextMatch& match,
                                       const ReplacementSite& site) const = 0;
};

} // namespace zuk

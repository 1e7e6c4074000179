// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/match/substring_finder.h"

#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace re2 {
class RE2;
}

namespace zuk {

// A regular expression compiled by RE2 (linear time whatever the expression and the text) for
// a text in UTF-8 that shows each line break as one "\n" (see RegexText): "^" and "$" match at
// every line's start and end and at the text's ends, "." never matches a line break, "\n" (and
// "\r\n") matches one. With whole words, a match counts only where the characters on either
// side of it are not letters, digits or underscores.
class RegexPattern {
public:
    // Where a match or one of its groups lies in the text; -1 for a group that took no part.
    struct Span {
        qsizetype begin = -1;
        qsizetype end = -1;
        bool found() const { return begin >= 0; }
    };

    // What the searches of one text learned: whether seeking a text every match holds before
    // asking RE2 still pays there, or too many of the lines that held it held no match; and the
    // last line it was found in, so that a long line holding many matches is measured once.
    struct Seek {
        qsizetype passed = 0;   // bytes searched for the text
        qsizetype misses = 0;   // lines that held it and no match
        qsizetype lineFrom = 0; // [lineFrom, lineEnd) holds no line break, and one follows
        qsizetype lineEnd = 0;
        bool pays() const { return misses < 16 || misses * 256 <= passed; }
    };

    // Refuses an expression RE2 can't compile with its reason and the character where it stands.
    static Result<std::shared_ptr<const RegexPattern>>
    compile(const QString& expression, Qt::CaseSensitivity cs, bool wholeWords);
    ~RegexPattern();

    // Whether some match may hold a line break. When not, the expression finds the same in each
    // line alone as in the whole text.
    bool canMatchLineBreak() const { return m_canMatchLineBreak; }
    // Whether every match is ASCII and not empty, and the expression finds in a text's bytes read
    // as UTF-8 what it finds in them read one byte a character, when they aren't UTF-8.
    bool findsAsciiOnly() const { return m_asciiOnly; }
    int groupCount() const { return m_groupCount; }
    // The number of each named group, (?P<name>...).
    const std::map<std::string, int>& groupNumbers() const;

    // The leftmost match that starts at or after `from`, the text before it read as context.
    // `afterMatch` says that a match ended at `from`: an empty match there is passed over and the
    // search moves on one character, so each position is replaced at most once. `spans` receives
    // the match, then each group when `withGroups`. False when there is none. `seek` is the same
    // for every search of one text.
    bool find(std::string_view text, qsizetype from, bool afterMatch, bool withGroups,
              std::vector<Span>& spans, Seek& seek) const;

private:
    RegexPattern() = default;
    bool findAnywhere(std::string_view text, qsizetype from, bool afterMatch, bool withGroups,
                      std::vector<Span>& spans) const;
    bool findAroundRequired(std::string_view text, qsizetype from, bool withGroups,
                            std::vector<Span>& spans, Seek& seek) const;
    // The leftmost match in [from, end).
    bool findOnce(std::string_view text, qsizetype from, qsizetype end, bool withGroups,
                  std::vector<Span>& spans) const;

    std::unique_ptr<re2::RE2> m_plain;
    // With whole words: the expression as group 1 between the tests of the characters around it,
    // once anchored where the search starts (whose preceding character was tested already) and
    // once unanchored, testing the preceding character in the text.
    std::unique_ptr<re2::RE2> m_anchoredWord;
    std::unique_ptr<re2::RE2> m_word;
    // A text every match holds, for an expression that can't match a line break: found first,
    // so that only the lines holding it are searched by RE2.
    std::optional<SubstringFinder> m_required;
    bool m_canMatchLineBreak = false;
    bool m_asciiOnly = false;
    int m_groupCount = 0;
};

} // namespace zuk

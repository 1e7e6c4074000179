// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/regex_syntax.h"

#include <QString>
#include <gtest/gtest.h>

using namespace zuk;

// Only what every match holds as typed: a repeated character, a group, a class or an escape
// that is not a punctuation mark ends a run; an alternative at the top, or a change of the
// case rule for the rest, leaves nothing (after it) required.
TEST(RegexSyntax, FindsTheRunsEveryMatchHolds) {
    const std::pair<const char16_t*, std::vector<std::string>> cases[] = {
        {u"wid([a-z]+)t", {"wid", "t"}},
        {u"ab|cd", {}},
        {u"(a|b)cd", {"cd"}},
        {u"ab*c", {"a", "c"}},
        {u"ab+?c", {"a", "c"}},
        {u"ab{2}cd{1,}e", {"a", "c", "e"}},
        {u"a\\.b\\.?c\\d", {"a.b", "c"}},
        {u"(ab)+cd", {"cd"}},
        {u"x(?i)yz", {"x"}},
        {u"x(?i:yz)w", {"x", "w"}},
        {u"(?P<n>a)b c", {"b c"}},
        {u"[ab]cd.e^f$g", {"cd", "e", "f", "g"}},
        {u"\\Qab\\Ecd", {"cd"}},
        {u"caf\u00e9s", {"caf", "s"}},
        {u"a\\x41b\\bc", {"a", "b", "c"}},
    };
    for (const auto& [expression, expected] : cases) {
        EXPECT_EQ(readRegexSyntax(QString::fromUtf16(expression)).requiredRuns, expected)
            << QString::fromUtf16(expression).toStdString();
    }
}

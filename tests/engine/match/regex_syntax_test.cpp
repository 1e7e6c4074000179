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

// Without case, "k" and "s" (and a class or escape holding them) match the Kelvin sign and the
// long s too.
TEST(RegexSyntax, KnowsWhetherEveryCharacterOfAMatchIsAscii) {
    struct Case {
        const char16_t* expression;
        bool withCase;
        bool withoutCase;
    };
    const Case cases[] = {
        {u"wid[a-z]+t", true, false}, {u"a\\d+b\\.\\b", true, true}, {u"x\\w", true, false},
        {u"ask", true, false},        {u"(?i)ab", true, true},       {u"(?i)ak", false, false},
        {u"\\Qa.k\\E", true, false},  {u"[0-9_]{2,}$", true, true},  {u"a.", false, false},
        {u"[^a]", false, false},      {u"\\W|\\D", false, false},    {u"\\pL", false, false},
        {u"caf\u00e9", false, false},
    };
    for (const Case& c : cases) {
        const RegexSyntax syntax = readRegexSyntax(QString::fromUtf16(c.expression));
        EXPECT_EQ(syntax.asciiCharacters, c.withCase)
            << QString::fromUtf16(c.expression).toStdString();
        EXPECT_EQ(syntax.asciiCharactersWithoutCase, c.withoutCase)
            << QString::fromUtf16(c.expression).toStdString();
    }
}

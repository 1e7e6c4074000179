// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/regex_pattern.h"
#include "engine/match/regex_search.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace zuk;

namespace {

std::shared_ptr<const RegexPattern> compiled(const QString& expression,
                                             Qt::CaseSensitivity cs = Qt::CaseSensitive,
                                             bool wholeWords = false) {
    auto pattern = RegexPattern::compile(expression, cs, wholeWords);
    if (!pattern) {
        ADD_FAILURE() << pattern.error().description.toStdString();
        return nullptr;
    }
    return pattern.value();
}

// Every match replaced in turn, each as "position+length" in the characters of `text`.
std::string matchesOf(const QString& expression, const QString& text,
                      Qt::CaseSensitivity cs = Qt::CaseSensitive, bool wholeWords = false) {
    const auto pattern = compiled(expression, cs, wholeWords);
    if (!pattern)
        return "(not compiled)";
    const RegexSearch search(pattern, RegexText::ofText(text));
    QStringList found;
    qsizetype from = 0;
    bool afterMatch = false;
    for (RegexMatch m = search.find(from, afterMatch, false); m.found();
         m = search.find(from, afterMatch, false)) {
        found << QStringLiteral("%1+%2").arg(m.position).arg(m.length);
        from = m.position + m.length;
        afterMatch = true;
    }
    return found.join(u' ').toStdString();
}

struct Case {
    const char16_t* expression;
    const char16_t* text;
    const char* expected;
    Qt::CaseSensitivity cs = Qt::CaseSensitive;
};

template <size_t N> void expectMatches(const Case (&cases)[N], bool wholeWords) {
    for (const Case& c : cases) {
        EXPECT_EQ(matchesOf(QString::fromUtf16(c.expression), QString::fromUtf16(c.text), c.cs,
                            wholeWords),
                  c.expected)
            << QString::fromUtf16(c.expression).toStdString();
    }
}

} // namespace

TEST(RegexPattern, LinesBreakAndEmptyMatchesAsTheRulesSay) {
    const Case cases[] = {
        // "^" and "$" at every line's ends, whatever its break, and at the text's ends.
        {u"^b", u"a\r\nb\rb\nb", "3+1 5+1 7+1"},
        {u"a$", u"a\r\na\ra\na", "0+1 3+1 5+1 7+1"},
        {u"$", u"a\r\n", "1+0 3+0"},
        {u"^", u"\r\n\r\n", "0+0 2+0 4+0"},
        // "." never a line break; "\n" (and "\r\n") any one of them, a CR LF whole.
        {u".", u"a\r\nb\rc", "0+1 3+1 5+1"},
        {u"a\\nb", u"a\r\nb a\rb a\nb", "0+4 5+3 9+3"},
        {u"\\n", u"\r\n\r\n\r", "0+2 2+2 4+1"},
        {u"\\r\\n", u"a\r\nb\nc", "1+2 4+1"},
        {u"[^a]", u"a\r\n", "1+2"},
        {u"x\\r?\\ny", u"x\r\ny", "0+4"},
        // A line break typed in the expression is one too.
        {u"a\r\nb", u"a\nb", "0+3"},
        // An empty match once at each position, none where a match just ended.
        {u"x*", u"abxd", "0+0 1+0 2+1 4+0"},
        {u"a*", u"baaac", "0+0 1+3 5+0"},
        {u"", u"a\r\nb", "0+0 1+0 3+0 4+0"},
        {u"", u"\U0001F600", "0+0 2+0"},
        // Case as the option says, Unicode folding included.
        {u"\u00e9t\u00c9", u"\u00c9T\u00e9 \u00e9t\u00c9", "0+3 4+3", Qt::CaseInsensitive},
        {u"\u00e9t\u00c9", u"\u00c9T\u00e9 \u00e9t\u00c9", "4+3"},
        {u"(?i)a", u"A", "0+1"},
    };
    expectMatches(cases, false);
}

TEST(RegexPattern, WholeWordsTestTheCharactersAroundEachMatch) {
    const Case cases[] = {
        {u"cat", u"cat \u00e9cat cats _cat cat1 (cat)", "0+3 25+3"},
        // Letters with their marks, and digits, of any script.
        {u"cat", u"e\u0301cat \u0661cat \u0436cat x\rcat", "18+3"},
        {u"cat", u"\U0001D49Ccat cat", "6+3"},
        // A later alternative, or a later overlap, is found when the first isn't a word.
        {u"cat|category", u"category", "0+8"},
        {u"aa", u"aaa aa", "4+2"},
        {u"a+", u"baaa aa", "5+2"},
        {u"CAT", u"\u00c9CAT cat", "5+3", Qt::CaseInsensitive},
        // A "\Q" left open quotes only the expression.
        {u"\\Qa)b", u"a)b xa)b", "0+3"},
        {u"b", u"a\r\nb\r\n", "3+1"},
    };
    expectMatches(cases, true);
}

// A text every match holds is sought first and only its lines are searched: a match is found
// after any number of lines that hold the text and no match, and without case a "k" or "s" in
// it may stand for the Kelvin sign or the long s.
TEST(RegexPattern, FindsMatchesAfterLinesThatHoldOnlyTheTextTheyNeed) {
    for (const int lines : {0, 1, 15, 16, 17, 400}) {
        const QString text =
            QStringLiteral("ab\n").repeated(lines) + QStringLiteral("xab7 ab\r\nab8ab9");
        const qsizetype at = 3 * lines;
        EXPECT_EQ(
            matchesOf(QStringLiteral("ab[0-9]"), text),
            QStringLiteral("%1+3 %2+3 %3+3").arg(at + 1).arg(at + 9).arg(at + 12).toStdString())
            << lines;
    }
    const Case cases[] = {
        {u"abk", u"xAB\u212A", "1+3", Qt::CaseInsensitive},
        {u"s1ab", u"\u017F1AB", "0+4", Qt::CaseInsensitive},
        {u"^ab$", u"ab\r\nxab\rab", "0+2 8+2"},
    };
    expectMatches(cases, false);
}

TEST(RegexPattern, GroupsTakeTheirSpansAndNamesTheirNumbers) {
    const auto pattern = compiled(QStringLiteral("(?P<first>a)|(b)(x)?"));
    ASSERT_TRUE(pattern);
    EXPECT_EQ(pattern->groupCount(), 3);
    EXPECT_EQ(pattern->groupNumbers(), (std::map<std::string, int>{{"first", 1}}));
    const QString text = QStringLiteral("\u00e9\r\nb");
    const RegexSearch search(pattern, RegexText::ofText(text));
    const RegexMatch m = search.find(0, false, true);
    ASSERT_EQ(m.groups.size(), 4u);
    EXPECT_EQ(m.position, 3);
    EXPECT_FALSE(m.groups[1].found());
    EXPECT_EQ(m.groups[2].begin, 3);
    EXPECT_EQ(m.groups[2].end, 4);
    EXPECT_FALSE(m.groups[3].found());
}

TEST(RegexPattern, KnowsWhetherAMatchCanHoldALineBreak) {
    const std::pair<const char16_t*, bool> cases[] = {
        {u"a.*b", false},         {u"[a-z]+$", false}, {u"^\\w+\\S", false},
        {u"[^\\r\\n]+", false},   {u"\\p{L}", false},  {u"(?-s:.)", false},
        {u"\\r", false},          {u"\\Qa\\E", false}, {u"a{2,}|b\\b", false},
        {u"\\n", true},           {u"\\r\\n", true},   {u"a\nb", true},
        {u"a\rb", true},          {u"\\Q\n\\E", true}, {u"(?s).", true},
        {u"(?s:.)", true},        {u"[^a]", true},     {u"\\s", true},
        {u"\\W", true},           {u"\\D", true},      {u"[[:space:]]", true},
        {u"[[:^alpha:]]", true},  {u"\\pC", true},     {u"\\PL", true},
        {u"\\x0a", true},         {u"\\x{A}", true},   {u"\\012", true},
        {u"[\\x00-\\x1f]", true}, {u"[\\n]", true},
    };
    for (const auto& [expression, expected] : cases) {
        const auto pattern = compiled(QString::fromUtf16(expression));
        ASSERT_TRUE(pattern);
        EXPECT_EQ(pattern->canMatchLineBreak(), expected)
            << QString::fromUtf16(expression).toStdString();
    }
}

TEST(RegexPattern, RefusesABadExpressionWithItsReasonAndWhere) {
    const std::pair<const char16_t*, const char*> cases[] = {
        {u"(abc", "at character 1: missing )"},
        {u"x(y(ab)c", "at character 2: missing )"},
        {u"ab)cd", "at character 3: unexpected )"},
        {u"ab**c", "at character 3: bad repetition operator: **"},
        {u"a[bc", "at character 2: missing ]: [bc"},
        {u"\u00e9\\8", "at character 2: invalid escape sequence: \\8"},
        {u"ab\\", "at character 3: trailing \\"},
        {u"x{1001}", "at character 2: invalid repetition size: {1001}"},
        {u"(?z)", "at character 1: invalid perl operator: (?z"},
        // Positions count the characters as typed, before line breaks are rewritten.
        {u"ab\r\n(", "at character 5: missing )"},
        {u"\\r\\n)", "at character 5: unexpected )"},
        {u"a\\Cb", "at character 2: \\C matches a single byte, which may split a character; "
                   "it is not allowed"},
    };
    for (const auto& [expression, expected] : cases) {
        const auto pattern =
            RegexPattern::compile(QString::fromUtf16(expression), Qt::CaseSensitive, false);
        ASSERT_FALSE(pattern) << QString::fromUtf16(expression).toStdString();
        EXPECT_EQ(pattern.error().number, ErrorNumber::InvalidArgument);
        EXPECT_EQ(pattern.error().description.toStdString(),
                  std::string("Invalid regular expression ") + expected);
    }
}

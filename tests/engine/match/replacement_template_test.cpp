// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/replacement_template.h"

#include <gtest/gtest.h>

using namespace zuk;

namespace {

// An expression's groups: 0 the match, 1 "one", 2 took no part, 3 "three" (named "name").
const std::map<std::string, int> kNames{{"name", 3}, {"n2", 2}};
const QList<QString> kGroups{QStringLiteral("all"), QStringLiteral("one"), QString(),
                             QStringLiteral("th\r\nree")};

} // namespace

TEST(ReplacementTemplate, PutsInEachFormOfReference) {
    struct Case {
        const char16_t* text;
        QList<QString> expected;
        bool usesGroups = true;
    };
    const Case cases[] = {
        {u"$1", {"one"}},
        {u"${1}x", {"onex"}},
        {u"$1x", {"onex"}},
        {u"$0-$01", {"all-one"}},
        {u"${name}!", {"th\r\nree!"}},
        {u"<$2>${n2}", {"<>"}},
        {u"\u00e9$3", {"\u00e9th\r\nree"}},
        {u"$$1 costs $$", {"$1 costs $"}, false},
        {u"$ $x a$", {"$ $x a$"}, false},
        // Line breaks typed in the template part its pieces; a group's stay inside.
        {u"a\r\n$1\nb\r", {"a", "one", "b", ""}},
        {u"", {""}, false},
    };
    for (const Case& c : cases) {
        const QString replacement = QString::fromUtf16(c.text);
        const Result<ReplacementTemplate> parsed =
            ReplacementTemplate::parse(replacement, 3, kNames);
        ASSERT_TRUE(parsed) << parsed.error().description.toStdString();
        EXPECT_EQ(parsed.value().expand(kGroups).join(u'|').toStdString(),
                  c.expected.join(u'|').toStdString());
        EXPECT_EQ(parsed.value().hasLineBreaks(), c.expected.size() > 1);
        EXPECT_EQ(parsed.value().usesGroups(), c.usesGroups) << replacement.toStdString();
    }
}

TEST(ReplacementTemplate, RefusesAReferenceToAGroupThatIsNotThere) {
    const std::pair<const char16_t*, const char*> cases[] = {
        {u"ab$4", "at character 3: the regular expression has no group 4 (it has 3)"},
        {u"$99999999999", "at character 1: the regular expression has no group 99999999999 (it "
                          "has 3)"},
        {u"\u00e9${nope}", "at character 2: the regular expression has no group named \"nope\""},
        {u"${}", "at character 1: the regular expression has no group named \"\""},
        {u"x${1", "at character 2: \"${\" without its \"}\""},
    };
    for (const auto& [text, expected] : cases) {
        const Result<ReplacementTemplate> parsed =
            ReplacementTemplate::parse(QString::fromUtf16(text), 3, kNames);
        ASSERT_FALSE(parsed);
        EXPECT_EQ(parsed.error().description.toStdString(),
                  std::string("Invalid replacement ") + expected);
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/glob_filter.h"
#include "engine/files/path_bytes.h"

#include <gtest/gtest.h>

namespace zuk {
namespace {

using Kind = GlobFilter::Kind;

struct GlobCase {
    Kind kind;
    QList<QByteArray> patterns;
    QByteArray path; // below the walked directory
    bool folder;
    bool taken; // for a folder: entered
};

// What the walk takes with --glob (Include) and --exclude (Exclude); the matching itself is
// the ignore files' (see the ignore rules' test against git).
TEST(GlobFilterTest, IncludeTakesTheFilesItNamesExcludeLeavesOutFilesAndFolders) {
    const QList<GlobCase> cases = {
        {Kind::Exclude, {"node_modules"}, "node_modules", true, false},
        {Kind::Exclude, {"node_modules"}, "web/node_modules", true, false},
        {Kind::Exclude, {"node_modules"}, "node_modules", false, false},
        {Kind::Exclude, {"node_modules"}, "web/app.js", false, true},
        {Kind::Exclude, {"/build"}, "build", true, false},
        {Kind::Exclude, {"/build"}, "src/build", true, true},
        {Kind::Exclude, {"*.min.js", "!keep.min.js"}, "a.min.js", false, false},
        {Kind::Exclude, {"*.min.js", "!keep.min.js"}, "x/keep.min.js", false, true},
        {Kind::Exclude, {"docs/*.md"}, "docs/x/a.md", false, true},
        {Kind::Exclude, {"**/gen/**"}, "a/gen/x.c", false, false},
        {Kind::Exclude, {"**/gen/**"}, "a/gen", true, true},
        {Kind::Exclude, {"#notes#"}, "#notes#", false, false}, // no comments in arguments
        {Kind::Include, {"*.js"}, "a/b.js", false, true},
        {Kind::Include, {"*.js"}, "a/b.ts", false, false},
        {Kind::Include, {"*.js"}, "lib.js/readme.md", false, false},
        {Kind::Include, {"*.js"}, "lib.js", true, true},
        {Kind::Include, {"src/"}, "src/a/b.c", false, true},
        {Kind::Include, {"src/"}, "lib/src/b.c", false, true},
        {Kind::Include, {"src/"}, "srcs/b.c", false, false},
        {Kind::Include, {"src/"}, "src", false, false},
        {Kind::Include, {"/src/**"}, "x/src/a", false, false},
        {Kind::Include, {"*.js", "!vendor"}, "vendor/a.js", false, false},
        {Kind::Include, {"*.js", "!vendor"}, "vendor", true, false},
        {Kind::Include, {"!vendor", "*.js"}, "vendor/a.js", false, true},
        {Kind::Include, {"!vendor", "*.js"}, "vendor", true, true},
        {Kind::Include, {"src/", "!*.min.js"}, "src/a.min.js", false, false},
        {Kind::Include, {"src/", "!*.min.js"}, "src/a.js", false, true},
        {Kind::Include, {"!src/old/", "src/"}, "src/old/a.c", false, true},
        {Kind::Include, {"src/", "!src/old/"}, "src/old/a.c", false, false},
        {Kind::Include, {"\xff*"}, "d/\xff\xfe", false, true},
        {Kind::Include, {"!*.min.js", "!vendor/"}, "a/b.c", false, true},
        {Kind::Include, {"!*.min.js", "!vendor/"}, "a/b.min.js", false, false},
        {Kind::Include, {"!*.min.js", "!vendor/"}, "vendor/b.c", false, false},
    };
    for (const GlobCase& c : cases) {
        const auto filter = GlobFilter::make(c.kind, "/w", c.patterns);
        ASSERT_TRUE(filter.ok());
        const bool taken =
            c.folder ? filter.value().entersPath(c.path) : filter.value().takesPath(c.path);
        EXPECT_EQ(taken, c.taken) << (c.kind == Kind::Include ? "include " : "exclude ")
                                  << c.patterns.join(' ').constData() << ": " << c.path.constData();
    }
}

// The walk's terms: a folder as it joined it, and a name in it.
TEST(GlobFilterTest, PathsAreTakenBelowTheWalkedDirectory) {
    const auto filter = GlobFilter::make(Kind::Exclude, "/w/top", {"/a", "b/c", "\xff?"});
    ASSERT_TRUE(filter.ok());
    EXPECT_FALSE(filter.value().entersFolder("/w/top", "a"));
    EXPECT_TRUE(filter.value().entersFolder("/w/top/x", "a"));
    EXPECT_FALSE(filter.value().takesFile("/w/top/b", "c"));
    // Names that aren't UTF-8 are matched as the bytes they stand for.
    EXPECT_FALSE(filter.value().takesFile("/w/top/x", decodePath("\xff\xfe")));
    EXPECT_TRUE(filter.value().takesFile("/w/top/x", decodePath("\xfe\xff")));
    // Outside the walked directory (a sibling with a longer name too): none of its business.
    EXPECT_TRUE(filter.value().entersFolder("/w", "a"));
    EXPECT_TRUE(filter.value().entersFolder("/w/topper", "a"));
}

TEST(GlobFilterTest, APatternThatCanMatchNothingIsRefusedWithWhy) {
    const QList<std::pair<QByteArray, QString>> cases = {
        {"src/[ab", "The pattern \"src/[ab\" has a \"[\" without its \"]\"."},
        {"end\\", "The pattern \"end\\\\\" ends in a lone \"\\\"."},
        {"[[:letter:]]", "The pattern \"[[:letter:]]\" names an unknown class."},
        {"", "The pattern \"\" names nothing."},
        {"!/", "The pattern \"!/\" names nothing."},
        {"\x1b[", "The pattern \"\\x1B[\" has a \"[\" without its \"]\"."},
    };
    for (const auto& [pattern, message] : cases) {
        const auto filter = GlobFilter::make(Kind::Include, "/w", {"*.c", pattern});
        ASSERT_FALSE(filter.ok()) << pattern.constData();
        EXPECT_EQ(filter.error().number, ErrorNumber::InvalidArgument);
        EXPECT_EQ(filter.error().description, message);
    }
}

} // namespace
} // namespace zuk

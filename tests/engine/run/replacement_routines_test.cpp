// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/commit_sink.h"
#include "engine/run/replacement_routines.h"
#include "support/edits.h"
#include "support/function_yield.h"
#include "support/temp_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

namespace {

class Routines : public ::testing::Test {
protected:
    qint64 cleanText(const QString& text, const QString& find, const QString& replace,
                     bool lineBreaks = false) {
        const Edit edit = lineBreaks ? routines.CleanTextCRLF(text, find, replace)
                                     : routines.CleanText(text, find, replace);
        EXPECT_FALSE(edit.result.failed());
        after = textAfter(edit, text);
        return edit.result.finds();
    }
    QString text() const { return after; }

    ValueRunOptions options;
    RunState state;
    FunctionYield yield;
    ReplacementRoutines routines{options, state, yield};
    QTemporaryDir dir;
    QString after;
};

} // namespace

TEST_F(Routines, ReplaceLoopResults) {
    EXPECT_EQ(cleanText("nothing here", "cat", "dog"), 0);
    EXPECT_EQ(text(), "nothing here");

    EXPECT_EQ(cleanText("ab AB Ab", "Ab", "x"), 3); // without case
    EXPECT_EQ(text(), "x x x");
    options.values.caseSensitive = 1;
    EXPECT_EQ(cleanText("ab AB Ab", "Ab", "x"), 1);
    EXPECT_EQ(text(), "ab AB x");
    options.values.caseSensitive = 0;

    // A replacement holding the search text is never searched again.
    EXPECT_EQ(cleanText("cat, cat", "cat", "concatenate"), 2);
    EXPECT_EQ(text(), "concatenate, concatenate");
    EXPECT_EQ(cleanText("aaaa", "aa", "b"), 2);
    EXPECT_EQ(text(), "bb");
    // Deleting keeps the position at the deletion point.
    EXPECT_EQ(cleanText("aabb", "ab", ""), 1);
    EXPECT_EQ(text(), "ab");
    EXPECT_EQ(cleanText("abab", "ab", ""), 2);
    EXPECT_EQ(text(), "");
    EXPECT_EQ(yield.calls, 3 + 1 + 2 + 2 + 1 + 2); // one yield per find
}

TEST_F(Routines, SearchOnlyCountsOverlapsAndChangesNothing) {
    options.values.searchOnly = 1;
    EXPECT_EQ(cleanText("aaaa", "aa", "b"), 3);
    EXPECT_EQ(text(), "aaaa");
    options.values.searchOnly = 2; // greyed: not 0, so nothing is replaced either
    EXPECT_EQ(cleanText("aaaa", "aa", "b"), 3);
    EXPECT_EQ(text(), "aaaa");
}

TEST_F(Routines, CancelAfterTheSecondOfFiveFinds) {
    yield.action = [&](int call) {
        if (call == 2)
            state.cancelFlag = true;
    };
    EXPECT_EQ(cleanText("a a a a a", "a", "b"), 2);
    EXPECT_EQ(text(), "b b a a a");
}

TEST_F(Routines, OptionsChangedDuringAYieldTakeEffectAtTheNextFind) {
    yield.action = [&](int call) {
        if (call == 1)
            options.values.searchOnly = 1; // after the first replacement: only count
        if (call == 2)
            options.values.searchOnly = 0;
        if (call == 3)
            options.values.caseSensitive = 1;
    };
    // finds: "x"(replaced), "xx" at 2 counted, "x" at 3 replaced, then only lower-case "x".
    EXPECT_EQ(cleanText("x xx X x", "x", "yy"), 4);
    EXPECT_EQ(text(), "yy xyy X yy");
}

TEST_F(Routines, LineBreakTolerantVariants) {
    EXPECT_EQ(BuildVariantList("a b c", options), (QStringList{"a b c", "a\r\nb c", "a b\r\nc"}));
    EXPECT_EQ(BuildVariantList("abc", options), QStringList{"abc"});
    options.values.keepSpaceLeft = 1;
    options.values.keepSpaceRight = 1;
    EXPECT_EQ(BuildVariantList("a b", options), (QStringList{"a b", "a \r\n b"}));
    // A line break of the search text stays in every entry.
    options.values.keepSpaceLeft = 0;
    options.values.keepSpaceRight = 0;
    EXPECT_EQ(BuildVariantList("a b\r\nc", options), (QStringList{"a b\r\nc", "a\r\nb\r\nc"}));

    EXPECT_EQ(cleanText("old\r\ntext and old text", "old text", "new text", true), 2);
    EXPECT_EQ(text(), "new text and new text");

    // With a blank kept on the left, a line ending without a blank no longer matches.
    options.values.keepSpaceLeft = 1;
    EXPECT_EQ(cleanText("old\r\ntext", "old text", "new text", true), 0);
    // Both blanks turned into breaks is not a variant.
    options.values.keepSpaceLeft = 0;
    EXPECT_EQ(cleanText("a\nb\nc", "a b c", "x", true), 0);
}

TEST_F(Routines, FilesWithLineBreaksOfTheirOwnForm) {
    const QString lf = dir.filePath("lf.txt");
    const QString crlf = dir.filePath("crlf.txt");
    writeBytes(lf, "one\ntwo\nthree\n");
    writeBytes(crlf, "one\r\ntwo\r\nthree\r\n");
    for (const QString& path : {lf, crlf}) {
        Edit edit = routines.CleanFile(path, "one\r\ntwo", "1\n2\n");
        ASSERT_EQ(edit.result.finds(), 1);
        ASSERT_TRUE(writeEdit(edit));
    }
    EXPECT_EQ(readBytes(lf), "1\n2\n\nthree\n");
    EXPECT_EQ(readBytes(crlf), "1\r\n2\r\n\r\nthree\r\n");

    // An occurrence and its first variant in one file: both replaced.
    const QString wrapped = dir.filePath("wrapped.htm");
    writeBytes(wrapped, "old text\r\nold\r\ntext\r\n");
    Edit edit = routines.CleanFileCRLF(wrapped, "old text", "new");
    EXPECT_EQ(edit.result.finds(), 2);
    ASSERT_TRUE(writeEdit(edit));
    EXPECT_EQ(readBytes(wrapped), "new\r\nnew\r\n");
    EXPECT_TRUE(edit.messages.isEmpty());
}

TEST_F(Routines, FailuresCarryTheirMessageAndLeaveTheFileAlone) {
    // A file that isn't text isn't counted as searched.
    const QString binary = dir.filePath("image.htm");
    writeBytes(binary, QByteArray("GIF\0\x01", 5));
    for (const bool lineBreaks : {false, true}) {
        const Edit edit = lineBreaks ? routines.CleanFileCRLF(binary, "GIF", "x")
                                     : routines.CleanFile(binary, "GIF", "x");
        EXPECT_TRUE(edit.result.failed());
        EXPECT_FALSE(edit.result.counted());
        EXPECT_FALSE(edit.changed);
        EXPECT_EQ(messageTexts(edit),
                  QStringList{"Not a valid file format! Quiting...\n" + binary});
    }

    const Edit vanished = routines.CleanFile(dir.filePath("vanished.htm"), "a", "b");
    EXPECT_TRUE(vanished.result.failed());
    EXPECT_TRUE(vanished.result.counted());
    EXPECT_EQ(messageTexts(vanished), QStringList{"ERROR: 53 File not found"});

    // A one-byte-per-character file can't hold a Chinese replacement.
    const QString latin = dir.filePath("latin.txt");
    writeBytes(latin, "caf\xe9 caf\xe9");
    const Edit chinese = routines.CleanFile(latin, QStringLiteral("café"), QStringLiteral("中"));
    EXPECT_TRUE(chinese.result.failed());
    EXPECT_EQ(chinese.result.finds(), 0);
    ASSERT_EQ(chinese.messages.size(), 1);
    EXPECT_TRUE(chinese.messages.front().text.startsWith("ERROR: 5 "));
    // A replacement it can hold works, and the file keeps its encoding.
    Edit tea = routines.CleanFile(latin, QStringLiteral("CAFÉ"), QStringLiteral("thé €"));
    EXPECT_EQ(tea.result.finds(), 2);
    ASSERT_TRUE(writeEdit(tea));
    EXPECT_EQ(readBytes(latin), "th\xe9 \x80 th\xe9 \x80");
}

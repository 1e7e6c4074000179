// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/headless_run_window.h"
#include "engine/run/replacement_routines.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

namespace {

class Routines : public ::testing::Test {
protected:
    qint32 cleanText(const QString& text, const QString& find, const QString& replace) {
        window.buffer.setText(text);
        return routines.CleanText(find, replace);
    }
    QString text() const { return window.buffer.text(); }

    ValueRunOptions options;
    RunState state;
    HeadlessRunWindow window;
    ScriptedPrompter prompter;
    FunctionYield yield;
    ReplacementRoutines routines{options, state, window, prompter, yield};
    QTemporaryDir dir;
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

    window.buffer.setText("old\r\ntext and old text");
    EXPECT_EQ(routines.CleanTextCRLF("old text", "new text"), 2);
    EXPECT_EQ(text(), "new text and new text");

    // With a blank kept on the left, a line ending without a blank no longer matches.
    options.values.keepSpaceLeft = 1;
    window.buffer.setText("old\r\ntext");
    EXPECT_EQ(routines.CleanTextCRLF("old text", "new text"), 0);
    // Both blanks turned into breaks is not a variant.
    options.values.keepSpaceLeft = 0;
    window.buffer.setText("a\nb\nc");
    EXPECT_EQ(routines.CleanTextCRLF("a b c", "x"), 0);
}

TEST_F(Routines, FilesWithLineBreaksOfTheirOwnForm) {
    const QString lf = dir.filePath("lf.txt");
    const QString crlf = dir.filePath("crlf.txt");
    writeBytes(lf, "one\ntwo\nthree\n");
    writeBytes(crlf, "one\r\ntwo\r\nthree\r\n");
    for (const QString& path : {lf, crlf}) {
        ASSERT_EQ(routines.CleanFile(path, "one\r\ntwo", "1\n2\n"), 1);
        ASSERT_TRUE(window.buffer.save(path));
    }
    EXPECT_EQ(readBytes(lf), "1\n2\n\nthree\n");
    EXPECT_EQ(readBytes(crlf), "1\r\n2\r\n\r\nthree\r\n");

    // An occurrence and its first variant in one file: both replaced.
    const QString wrapped = dir.filePath("wrapped.htm");
    writeBytes(wrapped, "old text\r\nold\r\ntext\r\n");
    EXPECT_EQ(routines.CleanFileCRLF(wrapped, "old text", "new"), 2);
    ASSERT_TRUE(window.buffer.save(wrapped));
    EXPECT_EQ(readBytes(wrapped), "new\r\nnew\r\n");
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(Routines, FailuresShowTheirMessageAndLeaveTheFileAlone) {
    const QString binary = dir.filePath("image.htm");
    writeBytes(binary, QByteArray("GIF\0\x01", 5));
    EXPECT_EQ(routines.CleanFile(binary, "GIF", "x"), -1);
    EXPECT_EQ(prompter.texts(), QStringList{"Not a valid file format! Quiting...\n" + binary});
    EXPECT_EQ(routines.CleanFileCRLF(binary, "GIF", "x"), -1);

    prompter.shown.clear();
    EXPECT_EQ(routines.CleanFile(dir.filePath("vanished.htm"), "a", "b"), 0);
    EXPECT_EQ(prompter.texts(), QStringList{"ERROR: 53 File not found"});

    // A one-byte-per-character file can't hold a Chinese replacement.
    prompter.shown.clear();
    const QString latin = dir.filePath("latin.txt");
    writeBytes(latin, "caf\xe9 caf\xe9");
    EXPECT_EQ(routines.CleanFile(latin, QStringLiteral("café"), QStringLiteral("中")), 0);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.texts().front().startsWith("ERROR: 5 "));
    // A replacement it can hold works, and the file keeps its encoding.
    EXPECT_EQ(routines.CleanFile(latin, QStringLiteral("CAFÉ"), QStringLiteral("thé €")), 2);
    ASSERT_TRUE(window.buffer.save(latin));
    EXPECT_EQ(readBytes(latin), "th\xe9 \x80 th\xe9 \x80");
}

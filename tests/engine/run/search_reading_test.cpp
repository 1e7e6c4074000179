// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/commit_sink.h"
#include "engine/run/replacement_routines.h"
#include "support/edits.h"
#include "support/function_yield.h"
#include "support/temp_files.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

namespace {

// The regular expression, whole-word and case-preserving searches as a run chooses them.
class SearchReading : public ::testing::Test {
protected:
    ValueRunOptions options;
    RunState state;
    FunctionYield yield;
    ReplacementRoutines routines{options, state, yield};
    QTemporaryDir dir;
};

struct Case {
    const char* name;
    bool regex, word, preserve, searchOnly;
    const char* text;
    const char* find;
    const char* replace;
    qint64 finds;
    const char* after;
};

} // namespace

TEST_F(SearchReading, ChosenMatchersOnText) {
    const Case cases[] = {
        {"groups and dollars", true, false, false, false, "ab12 cd3", "([a-z]+)(?P<n>\\d+)",
         "$2${1}-${n}$$$x", 2, "12ab-12$$x 3cd-3$$x"},
        {"a group in no match", true, false, false, false, "a b", "(a)|b", "[$1]", 2, "[a] []"},
        {"literal keeps dollars", false, false, false, false, "ab", "a", "$1", 1, "$1b"},
        {"empty match once per place", true, false, false, false, "baa", "a*", "-", 2, "-b-"},
        {"line ends of every form", true, false, false, false, "x\r\ny\rz\n", "^(.)$", "<$1>", 3,
         "<x>\r\n<y>\r<z>\n"},
        {"\\n matches any break", true, false, false, false, "a\r\nb a\rb", "a\\nb", "X", 2, "X X"},
        {"a typed break takes the text's form", true, false, false, false, "a b\r\n", "a ", "1\n",
         1, "1\r\nb\r\n"},
        {"regex count resumes at the end", true, false, false, true, "aaaa", "aa", "", 2, "aaaa"},
        {"literal whole words", false, true, false, false, "cat écat cat_ cat. Cat", "cat", "dog",
         3, "dog écat cat_ dog. dog"},
        {"overlapping whole-word finds", false, true, false, false, "aa aaa aa", "aa", "b", 2,
         "b aaa b"},
        {"regex whole words", true, true, false, false, "cat scat écat cats", "c[a-z]+", "X", 2,
         "X scat écat X"},
        {"case forms", false, false, true, false, "cat Cat CAT cAt", "cat", "dog", 4,
         "dog Dog DOG dog"},
        {"case forms with groups", true, false, true, false, "Big BIG", "b(i)g", "w${1}de", 2,
         "Wide WIDE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        options.values.regex = c.regex;
        options.values.wholeWords = c.word;
        options.values.preserveCase = c.preserve;
        options.values.searchOnly = c.searchOnly;
        const QString text = QString::fromUtf8(c.text);
        const Edit edit =
            routines.CleanText(text, QString::fromUtf8(c.find), QString::fromUtf8(c.replace));
        EXPECT_FALSE(edit.result.failed());
        EXPECT_EQ(edit.result.finds(), c.finds);
        EXPECT_EQ(textAfter(edit, text), QString::fromUtf8(c.after));
    }
}

TEST_F(SearchReading, ARefusedExpressionFailsItsSubjectAndChangesNothing) {
    options.values.regex = 1;
    const QString path = dir.filePath("a.txt");
    writeBytes(path, "abc");
    for (const auto& [find, replace] : {std::pair{"(", ""}, std::pair{"a", "$2"}}) {
        const Edit edit = routines.CleanFile(path, find, replace);
        EXPECT_TRUE(edit.result.failed());
        ASSERT_EQ(edit.messages.size(), 1);
        EXPECT_FALSE(edit.changed);
    }
    EXPECT_EQ(readBytes(path), "abc");
}

TEST_F(SearchReading, AFileTooLargeForAnExpressionIsNamedAndLeftAlone) {
    options.values.regex = 1;
    const QString path = dir.filePath("big.txt");
    QFile big(path);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize((qint64(1) << 30) + 1)); // sparse: no disk taken
    big.close();
    // One that can match a line break: read whole, not line by line.
    const Edit edit = routines.CleanFile(path, "a\\n", "b");
    EXPECT_TRUE(edit.result.failed());
    ASSERT_EQ(edit.messages.size(), 1);
    EXPECT_TRUE(edit.messages[0].text.contains("larger than 1 GiB"))
        << edit.messages[0].text.toStdString();
    EXPECT_FALSE(edit.changed);
}

// Whole words in a file streamed through a small window give what the whole text gives, in
// UTF-8 and in one-byte text, words across the window's edges included.
TEST_F(SearchReading, StreamedWholeWordsMatchTheWholeText) {
    options.values.wholeWords = 1;
    QByteArray utf8;
    QByteArray oneByte;
    for (int i = 0; i < 40; ++i) {
        utf8 += i % 3 ? "cat \xc3\xa9"
                        "cat cat\xc3\xa9 "
                      : "xcat cat_ cat\r\n";
        oneByte += i % 3 ? "cat \xe9"
                           "cat cat\xe9 "
                         : "xcat cat_ cat\r\n";
    }
    for (const QByteArray& bytes : {utf8, oneByte}) {
        const QString streamed = dir.filePath("streamed.txt");
        const QString whole = dir.filePath("whole.txt");
        writeBytes(streamed, bytes);
        writeBytes(whole, bytes);
        routines.setStreamBufferSize(16);
        Edit a = routines.CleanFile(streamed, "cat", "dog");
        routines.setStreamBufferSize(1 << 20);
        Edit b = routines.CleanFile(whole, "cat", "dog");
        EXPECT_GT(a.result.finds(), 0);
        EXPECT_EQ(a.result.finds(), b.result.finds());
        ASSERT_TRUE(writeEdit(a));
        ASSERT_TRUE(writeEdit(b));
        EXPECT_EQ(readBytes(streamed), readBytes(whole));
    }
}

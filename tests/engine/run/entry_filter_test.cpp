// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/entry_filter.h"
#include "support/temp_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;

// The options decide how each search is looked for: with or without case (a replacement that
// preserves case searches without), a blank that may match a line break, an expression
// (always maybe present); a UTF-8 file is read as bytes, a text set as characters.
TEST(EntryFilter, TakesEachSearchAsTheOptionsMakeIt) {
    struct Case {
        const char* name;
        CheckValue caseSensitive, preserveCase, lineBreaks, regex;
        QString search;
        QString text;
        bool present;
    };
    const Case cases[] = {
        {"with case", 1, 0, 0, 0, "Foo", "a foo", false},
        {"without case", 0, 0, 0, 0, "Foo", "a foo", true},
        {"preserving case", 1, 1, 0, 0, "Foo", "a foo", true},
        {"blank as it stands", 0, 0, 0, 0, "foo bar", "foo\r\nbar", false},
        {"blank as a line break", 0, 0, 1, 0, "foo bar", "foo\r\nbar", true},
        {"expression", 0, 0, 0, 1, "f.o", "xyz", true},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("file.txt");
    for (const Case& c : cases) {
        ValueRunOptions options;
        options.values.caseSensitive = c.caseSensitive;
        options.values.preserveCase = c.preserveCase;
        options.values.doAllCrlf = c.lineBreaks;
        options.values.regex = c.regex;
        const EntryFilter filter({c.search}, {"x"}, options);
        TextBuffer characters;
        characters.setText(c.text);
        test::writeBytes(path, c.text.toUtf8());
        TextBuffer bytes;
        ASSERT_TRUE(bytes.load(path));
        ASSERT_TRUE(bytes.holdsBytes());
        EXPECT_EQ(filter.present(characters), std::vector<bool>{c.present}) << c.name;
        EXPECT_EQ(filter.present(bytes), std::vector<bool>{c.present}) << c.name;
    }
}

// An entry's replacement adds the entries it may make present; an expression's adds all.
TEST(EntryFilter, AReplacementAddsWhatItMayMake) {
    ValueRunOptions options;
    TextBuffer text;
    text.setText("a cat");
    for (const CheckValue regex : {0, 1}) {
        options.values.regex = regex;
        const EntryFilter filter({"cat", "dog", "cow"}, {"dog", "x", "y"}, options);
        std::vector<bool> present = filter.present(text);
        EXPECT_EQ(present, (std::vector<bool>{true, bool(regex), bool(regex)}));
        filter.replaced(0, present);
        EXPECT_EQ(present, (std::vector<bool>{true, true, bool(regex)}));
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/entry_filter.h"
#include "engine/run/replacement_routines.h"
#include "support/edits.h"
#include "support/function_yield.h"
#include "support/temp_files.h"

#include <QRandomGenerator>
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

// Random batches applied in turn by the run's own routines (line-break variants, a replacement's
// case forms and line-break forms, whole words), the filter kept up to date after each entry
// that finds something: an entry it leaves out finds nothing.
TEST(EntryFilter, LeavesOutOnlyEntriesThatFindNothing) {
    QRandomGenerator random(2028);
    const QString alphabet = QStringLiteral("abAB \r\n\u00df\u212a");
    const auto pick = [&](int length) {
        QString t;
        for (int i = 0; i < length; ++i)
            t += alphabet[random.bounded(alphabet.size())];
        return t;
    };
    for (int round = 0; round < 1500; ++round) {
        ValueRunOptions options;
        options.values.caseSensitive = random.bounded(2);
        options.values.preserveCase = random.bounded(4) == 0;
        options.values.wholeWords = random.bounded(4) == 0;
        options.values.doAllCrlf = random.bounded(3) == 0;
        options.values.keepSpaceLeft = random.bounded(2);
        options.values.keepSpaceRight = random.bounded(2);
        QStringList searches;
        QStringList replacements;
        for (int e = 1 + random.bounded(6); e > 0; --e) {
            searches.append(pick(1 + random.bounded(4)));
            replacements.append(pick(random.bounded(5)));
        }
        const EntryFilter filter(searches, replacements, options);
        RunState state;
        test::FunctionYield yield;
        ReplacementRoutines routines(options, state, yield);
        QString text = pick(random.bounded(40));
        TextBuffer buffer;
        buffer.setText(text);
        std::vector<bool> present = filter.present(buffer);
        for (qsizetype e = 0; e < searches.size(); ++e) {
            const Edit edit = options.values.doAllCrlf
                                  ? routines.CleanTextCRLF(text, searches[e], replacements[e])
                                  : routines.CleanText(text, searches[e], replacements[e]);
            if (!present[size_t(e)]) {
                EXPECT_EQ(edit.result.finds(), 0)
                    << "round " << round << ": \"" << searches[e].toStdString() << "\" in \""
                    << text.toStdString() << "\"";
            }
            if (edit.result.finds() > 0) {
                filter.replaced(e, present);
                text = test::textAfter(edit, text);
            }
        }
    }
}

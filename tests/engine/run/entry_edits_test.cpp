// SPDX-License-Identifier: GPL-3.0-or-later
// Several entries applied to a file read once.
#include "engine/run/replacement_routines.h"
#include "support/function_yield.h"
#include "support/temp_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

TEST(EntryEdits, EachEntryWorksOnWhatTheOnesBeforeItLeft) {
    const struct {
        const char* name;
        QByteArray file;
        RunEntries entries;
        std::vector<qint64> finds;
        std::optional<QByteArray> written; // nothing: unchanged, not written
    } cases[] = {
        {"a chain", "a b a", {{"a", "b"}, {"b", "c"}}, {2, 3}, "c c c"},
        {"an entry without finds changes nothing", "a", {{"x", "y"}, {"a", "z"}}, {0, 1}, "z"},
        {"a text that ends as it began", "ab", {{"a", "x"}, {"x", "a"}}, {1, 1}, std::nullopt},
        {"an empty search makes no matcher and finds nothing",
         "a",
         {{"", "y"}, {"a", ""}},
         {0, 1},
         ""},
        {"a deletion joins text for a later entry", "a-b", {{"-", ""}, {"ab", "c"}}, {1, 1}, "c"},
        {"a replacement makes what later entries find",
         "a",
         {{"a", "b"}, {"b", "c"}, {"c", "d"}},
         {1, 1, 1},
         "d"},
    };
    QTemporaryDir dir;
    ValueRunOptions options;
    RunState state;
    FunctionYield yield;
    ReplacementRoutines routines(options, state, yield);
    // With the batch's filter, which skips the entries that can find nothing, as without.
    for (const bool filtered : {false, true})
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            SCOPED_TRACE(filtered);
            const QString path = dir.filePath("f.txt");
            writeBytes(path, c.file);
            Edit edit = routines.editFileEntries(
                path, c.entries, routines.entryPasses(c.entries, false),
                filtered ? makeEntryPrefilter(options, c.entries) : EntryPrefilter{});
            std::vector<qint64> finds;
            for (const Edit::EntryOutcome& outcome : edit.entries)
                finds.push_back(outcome.result.finds());
            EXPECT_EQ(finds, c.finds);
            ASSERT_EQ(edit.changed, c.written.has_value());
            if (c.written) {
                ASSERT_TRUE(edit.text.save(path));
                EXPECT_EQ(readBytes(path), *c.written);
            }
        }
}

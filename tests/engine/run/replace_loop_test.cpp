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

struct Span {
    qint64 offset;
    qint64 length;
    bool operator==(const Span&) const = default;
};

EditRequest collecting(std::function<bool(const QString&, qint64)> take = {}) {
    EditRequest request;
    request.collectFinds = true;
    request.take = std::move(take);
    return request;
}

QList<Span> spans(const Edit& edit) {
    QList<Span> spans;
    for (const Find& find : edit.finds)
        spans.append({find.offset, find.length});
    return spans;
}

class ReplaceLoopTest : public ::testing::Test {
protected:
    ValueRunOptions options;
    RunState state;
    FunctionYield yield;
    ReplacementRoutines routines{options, state, yield};
    QTemporaryDir dir;
};

} // namespace

// A sink that asks for the finds gets each one where it lies in the file as stored, whichever
// form the loop searched; a plain run collects none.
TEST_F(ReplaceLoopTest, FindsLieWhereTheFileStoresThem) {
    const struct {
        const char* name;
        QByteArray bytes;
        QString search;
        QList<Span> expected;
    } cases[] = {
        // Searched as bytes (streamed), after the mark.
        {"mark.txt", "\xEF\xBB\xBFx \xC3\xA9 x", "x", {{3, 1}, {8, 1}}},
        // Searched in characters: a character outside ASCII takes two bytes.
        {"utf8.txt", "a\xC3\xA9 b\xC3\xA9", QStringLiteral("é"), {{1, 2}, {5, 2}}},
        {"latin.txt", "a\xE9 b\xE9", QStringLiteral("é"), {{1, 1}, {4, 1}}},
        {"utf16.txt", QByteArray("\xFF\xFEx\0y\0x\0", 8), "x", {{2, 2}, {6, 2}}},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(c.name);
        writeBytes(path, c.bytes);
        routines.setRequest({});
        EXPECT_TRUE(routines.CleanFile(path, c.search, "z").finds.isEmpty()) << c.name;

        routines.setRequest(collecting());
        const Edit edit = routines.CleanFile(path, c.search, "z");
        EXPECT_EQ(spans(edit), c.expected) << c.name;
        EXPECT_EQ(edit.result.finds(), c.expected.size()) << c.name;
        for (const Find& find : edit.finds)
            EXPECT_EQ(find.replacement, std::optional<QString>("z")) << c.name;
    }
    // The right-hand text counts characters; a search-only find replaces nothing.
    options.values.searchOnly = Checked;
    const Edit text = routines.CleanText(QStringLiteral("é ab ab"), "ab", "z");
    EXPECT_EQ(spans(text), (QList<Span>{{2, 2}, {5, 2}}));
    EXPECT_EQ(text.finds.front().replacement, std::nullopt);
}

// A sink may have only some finds replaced: the others are neither replaced nor counted, in a
// whole text as in a streamed file.
TEST_F(ReplaceLoopTest, OnlyTheFindsTakenAreReplaced) {
    const auto everySecond = [](const QString&, qint64 index) { return index % 2 == 0; };
    routines.setRequest(collecting(everySecond));
    const Edit text = routines.CleanText("a a a a", "a", "b");
    EXPECT_EQ(textAfter(text, {}), "b a b a");
    EXPECT_EQ(text.result.finds(), 2);
    EXPECT_EQ(spans(text), (QList<Span>{{0, 1}, {4, 1}}));

    const QString path = dir.filePath("long.txt");
    writeBytes(path, QByteArray("needle ").repeated(40));
    routines.setStreamBufferSize(16);
    Edit file = routines.CleanFile(path, "needle", "pin");
    EXPECT_EQ(file.result.finds(), 20);
    ASSERT_TRUE(file.streamed);
    ASSERT_TRUE(writeEdit(file));
    EXPECT_EQ(readBytes(path), QByteArray("pin needle ").repeated(20));
}

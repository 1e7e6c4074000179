// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/commit_sink.h"
#include "engine/run/replacement_routines.h"
#include "engine/text/text_codec.h"
#include "support/function_yield.h"
#include "support/temp_files.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

namespace {

// Expressions that can't match a line break, with a replacement using their groups; the last
// two read a file's bytes as they are under one case rule and not under the other.
const std::pair<const char*, const char*> kExpressions[] = {
    {"a", "-"},           {"a+", "<$0>"},
    {"^a", "^"},          {"a$", "$$"},
    {"^", ">"},           {"$", "<"},
    {"^$", "(empty)"},    {".", "."},
    {".+", "[$0]"},       {"[ab]+", ""},
    {"(a|b)c", "$1$1"},   {"x*", "-"},
    {"^(.*)$", "{$1}"},   {"(?P<w>[a-z]+)", "${w}!"},
    {"\\bcat\\b", "dog"}, {" +$", ""},
    {"\u00e9+", "e"},     {"[^a\\n]", "\u00e9"},
    {"(a)|(b)", "$2$1"},  {"c.?t", "x\ny"},
    {"ab[a-z]", "<$0>"},  {"sa[ab]", "\u00e9"},
};

const QList<QString> kPieces = {"a",
                                "b",
                                "ab",
                                "cat",
                                "A",
                                "B",
                                QStringLiteral("\u00e9"),
                                QStringLiteral("\u00c9"),
                                "_",
                                " ",
                                "1",
                                "x",
                                "\r",
                                "\n",
                                "\r\n",
                                "\n\n",
                                QStringLiteral("\u4e2d")};

struct Outcome {
    qint64 finds = 0;
    QList<Find> places;
    QByteArray bytes;
    bool streamed = false;
    QString messages;
};

} // namespace

// A file searched line by line through a window far smaller than its lines (which grows to
// hold one) finds, replaces and writes what the whole text gives, whatever the case and
// search-only switches do between finds: UTF-8 with and without a mark, one-byte text, every
// line break form.
TEST(StreamedEdit, LineByLineGivesWhatTheWholeTextGives) {
    QTemporaryDir dir;
    QRandomGenerator random(20261208);
    int streamed = 0;
    int changed = 0;
    for (int round = 0; round < 400; ++round) {
        const auto& [expression, replacement] = kExpressions[round % std::size(kExpressions)];
        const bool oneByte = round % 5 == 3;
        QString text;
        for (int n = random.bounded(120); n > 0; --n)
            text += kPieces[random.bounded(kPieces.size())];
        if (oneByte)
            text.remove(QStringLiteral("\u4e2d"));
        const QByteArray mark = round % 7 == 1 && !oneByte ? QByteArray("\xEF\xBB\xBF") : "";
        const QByteArray bytes =
            mark + encodeText(text, oneByte ? TextEncoding::Windows1252 : TextEncoding::Utf8);
        const int seed = random.bounded(1000);
        const qsizetype buffer = 16 + random.bounded(48);

        const auto run = [&](bool inMemory) {
            const QString path = dir.filePath(QStringLiteral("%1-%2.txt").arg(round).arg(inMemory));
            writeBytes(path, bytes);
            ValueRunOptions options;
            RunState state;
            FunctionYield yield([&](int call) {
                options.values.caseSensitive = (seed + call) % 3 == 0 ? 1 : 0;
                options.values.searchOnly = (seed + call) % 5 == 0 ? 1 : 0;
            });
            options.values.regex = 1;
            options.values.caseSensitive = seed % 2;
            options.values.wholeWords = seed % 3 == 0;
            options.values.preserveCase = seed % 4 == 0;
            ReplacementRoutines routines(options, state, yield);
            routines.setStreamBufferSize(buffer);
            EditRequest request;
            request.collectFinds = true;
            request.inMemory = inMemory;
            routines.setRequest(request);
            Edit edit = routines.CleanFile(path, expression, QString::fromUtf8(replacement));
            Outcome outcome{edit.result.finds(),
                            edit.finds,
                            {},
                            edit.streamed != nullptr,
                            edit.messages.isEmpty() ? QString() : edit.messages[0].text};
            if (edit.changed) {
                EXPECT_TRUE(writeEdit(edit).ok()) << round;
            }
            outcome.bytes = readBytes(path);
            return outcome;
        };
        const Outcome lines = run(false);
        const Outcome whole = run(true);
        const std::string context = std::string(expression) + " in " + bytes.toStdString();
        ASSERT_EQ(lines.messages, QString()) << context;
        ASSERT_EQ(lines.finds, whole.finds) << context;
        ASSERT_EQ(lines.places.size(), whole.places.size()) << context;
        for (qsizetype k = 0; k < lines.places.size(); ++k) {
            EXPECT_EQ(lines.places[k].offset, whole.places[k].offset) << k << ' ' << context;
            EXPECT_EQ(lines.places[k].length, whole.places[k].length) << k << ' ' << context;
            EXPECT_EQ(lines.places[k].replacement, whole.places[k].replacement)
                << k << ' ' << context;
        }
        ASSERT_EQ(lines.bytes, whole.bytes) << context;
        EXPECT_FALSE(whole.streamed);
        streamed += lines.streamed ? 1 : 0;
        changed += lines.bytes != bytes ? 1 : 0;
    }
    // The changed files really streamed.
    EXPECT_EQ(streamed, changed);
    EXPECT_GT(changed, 200);
}

// A line longer than the window may grow to is named and its file left alone; an expression
// that can match a line break isn't searched line by line at all.
TEST(StreamedEdit, ALineLongerThanTheLimitIsNamed) {
    QTemporaryDir dir;
    const QString path = dir.filePath("long.txt");
    const QByteArray bytes = "short\n" + QByteArray(100, 'a') + "\nend\n";
    const struct {
        const char* expression;
        const char* message;
    } cases[] = {
        {"a+", "This file holds a line longer than 64 bytes, the most a regular expression "
               "searches at once"},
        {"a\\n", ""},
    };
    for (const auto& c : cases) {
        writeBytes(path, bytes);
        ValueRunOptions options;
        options.values.regex = 1;
        RunState state;
        FunctionYield yield;
        ReplacementRoutines routines(options, state, yield);
        routines.setStreamBufferSize(16, 64);
        Edit edit = routines.CleanFile(path, c.expression, "b");
        const QString message = edit.messages.isEmpty() ? QString() : edit.messages[0].text;
        EXPECT_TRUE(message.toStdString().ends_with(c.message)) << message.toStdString();
        EXPECT_EQ(edit.result.failed(), *c.message != 0);
        EXPECT_EQ(edit.changed, *c.message == 0);
        EXPECT_EQ(readBytes(path), bytes);
    }
}

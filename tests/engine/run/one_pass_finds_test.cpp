// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/find_places.h"
#include "engine/run/one_pass_finds.h"
#include "engine/run/replacement_routines.h"
#include "support/edits.h"
#include "support/function_yield.h"
#include "support/temp_files.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

namespace {

Find by(qint64 offset, qint64 length, const QString& replacement) {
    return Find{offset, length, replacement};
}

// The passes' finds, each pass's in the text the passes before it left.
struct Passes {
    QList<Find> finds;
    QList<qsizetype> starts;
};
Passes passesOf(const QList<QList<Find>>& passes) {
    Passes out;
    for (qsizetype i = 0; i < passes.size(); ++i) {
        if (i > 0)
            out.starts.append(out.finds.size());
        out.finds.append(passes[i]);
    }
    return out;
}

QString replacedText(QStringView text, const QList<Find>& finds) {
    QString out;
    qint64 at = 0;
    for (const Find& find : finds) {
        if (!find.replacement)
            continue;
        out += text.sliced(at, find.offset - at);
        out += *find.replacement;
        at = find.offset + find.length;
    }
    out += text.sliced(at);
    return out;
}

} // namespace

TEST(OnePassFinds, LaterPassesAreToldInTheSubjectAsItWas) {
    const struct {
        const char* name;
        QString text;
        QList<QList<Find>> passes;
        QList<Find> expected;
    } cases[] = {
        {"apart",
         "one two three",
         {{by(4, 3, "2")}, {by(6, 5, "3")}},
         {by(4, 3, "2"), by(8, 5, "3")}},
        {"inside an earlier replacement",
         "ab cd",
         {{by(0, 2, "xyz")}, {by(1, 4, "Q")}},
         {by(0, 4, "xQ")}},
        {"from before an earlier replacement",
         "xx ab",
         {{by(3, 2, "c")}, {by(1, 3, "Y")}},
         {by(1, 4, "Y")}},
        {"over two deletions",
         "a-b-c",
         {{by(1, 1, ""), by(3, 1, "")}, {by(0, 3, "Z")}},
         {by(0, 5, "Z")}},
        {"after a deletion it touches",
         "a-b",
         {{by(1, 1, "")}, {by(1, 1, "B")}},
         {by(1, 1, ""), by(2, 1, "B")}},
        {"three passes",
         "a b c",
         {{by(0, 1, "AA")}, {by(3, 1, "B")}, {by(0, 4, "")}},
         {by(0, 3, "")}},
        {"searched only: in order",
         "abcdef",
         {{Find{4, 1, {}}}, {Find{1, 2, {}}}},
         {Find{1, 2, {}}, Find{4, 1, {}}}},
    };
    for (const auto& c : cases) {
        const Passes passes = passesOf(c.passes);
        const QList<Find> one = onePassFinds(c.text, passes.finds, passes.starts);
        EXPECT_EQ(one, c.expected) << c.name;
        QString made = c.text;
        for (const QList<Find>& pass : c.passes)
            made = replacedText(made, pass);
        EXPECT_EQ(replacedText(c.text, one), made) << c.name;
    }
    // Bytes of UTF-8: a replacement counts the bytes it takes.
    const QByteArray bytes = "\xC3\xA9 ab";
    const Passes passes = passesOf({{by(3, 2, "ü")}, {by(2, 3, "-")}});
    const QList<Find> one = onePassFinds(bytes, TextEncoding::Utf8, passes.finds, passes.starts);
    EXPECT_EQ(one, QList<Find>{by(2, 3, "-")});
}

// The line-break-tolerant mode's real passes, over random texts: one pass of their finds makes
// what the passes made, in a text and in a file's bytes.
TEST(OnePassFinds, OnePassMakesWhatTheLineBreakPassesMade) {
    QRandomGenerator random(2023);
    const QStringList pieces = {"old", " ", "text", "\r\n", "\n", "x", "\xC3\xA9"};
    const QStringList replacements = {"new one", "", "old text", "text old", "a\r\nb"};
    QTemporaryDir dir;
    ValueRunOptions options;
    RunState state;
    FunctionYield yield;
    ReplacementRoutines routines(options, state, yield);
    EditRequest request;
    request.collectFinds = true;
    request.inMemory = true;
    routines.setRequest(request);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        for (int i = int(random.bounded(12)); i >= 0; --i)
            bytes += pieces[random.bounded(int(pieces.size()))].toUtf8();
        const QString text = QString::fromUtf8(bytes);
        const QString search = round % 2 ? "old text" : "text old x";
        const QString replace = replacements[random.bounded(int(replacements.size()))];

        const Edit edit = routines.CleanTextCRLF(text, search, replace);
        const QList<Find> one = onePassFinds(text, edit.finds, edit.passStarts);
        ASSERT_EQ(replacedText(text, one), textAfter(edit, text)) << text.toStdString();

        const QString path = dir.filePath("f.txt");
        writeBytes(path, bytes);
        const Edit fileEdit = routines.CleanFileCRLF(path, search, replace);
        const QList<Find> oneInFile =
            onePassFinds(bytes, fileEdit.encoding, fileEdit.finds, fileEdit.passStarts);
        ASSERT_EQ(replacedBytes(bytes, fileEdit.encoding, oneInFile),
                  fileEdit.changed ? fileEdit.text.text().toUtf8() : bytes)
            << text.toStdString();
    }
}

TEST(StoredText, FindsInCharactersBecomeFindsInTheEncodingsBytes) {
    const QString text = "é a";
    const QList<Find> finds = {by(2, 1, "b")};
    const struct {
        TextEncoding encoding;
        QByteArray bytes;
        qint64 offset;
        qint64 length;
    } cases[] = {
        {TextEncoding::Utf8, "\xC3\xA9 a", 3, 1},
        {TextEncoding::Utf8Bom, "\xEF\xBB\xBF\xC3\xA9 a", 6, 1},
        {TextEncoding::Windows1252, "\xE9 a", 2, 1},
        {TextEncoding::Utf16LE, QByteArray("\xFF\xFE\xE9\0 \0a\0", 8), 6, 2},
    };
    for (const auto& c : cases) {
        const StoredText stored = storedText(text, c.encoding, finds);
        EXPECT_EQ(stored.bytes, c.bytes) << int(c.encoding);
        EXPECT_EQ(stored.finds, QList<Find>{by(c.offset, c.length, "b")}) << int(c.encoding);
    }
}

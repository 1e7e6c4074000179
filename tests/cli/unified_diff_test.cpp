// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/unified_diff.h"
#include "engine/run/find_places.h"
#include "support/temp_files.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

namespace {

// Every find of `search` in `bytes`, replaced by `by`.
QList<Find> findsOf(const QByteArray& bytes, const QByteArray& search, const QString& by) {
    QList<Find> finds;
    for (qsizetype at = bytes.indexOf(search); at >= 0;
         at = bytes.indexOf(search, at + search.size()))
        finds.append(Find{at, search.size(), by});
    return finds;
}

QByteArray lines(int count, const QByteArray& breakForm) {
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "line " + QByteArray::number(i) + breakForm;
    return text;
}

} // namespace

// patch -p1 in the folder turns the old bytes into exactly the new ones.
TEST(UnifiedDiff, PatchMakesTheNewBytesExactly) {
    struct Case {
        const char* name;
        QByteArray old;
        QByteArray search;
        QString by;
    };
    const QList<Case> cases = {
        {"CR LF", "a\r\nb\r\na\r\n", "a", "xy"},
        {"lone CR", "a\rb\ra", "a", "z"},
        {"no final break", "x\ny\nxa", "a", "b"},
        {"first and last byte", "a" + lines(20, "\n") + "a", "a", "Q"},
        {"final break taken away", "x\na\n", "a\n", "b"},
        {"a break taken away inside", "a\nb\nc\n", "a\n", ""},
        {"lines added", lines(3, "\n"), "line 1", "one\ntwo\r\nthree"},
        {"far apart and near", lines(40, "\r\n"), "line 1", "L"},
        {"everything gone", "aaa", "aaa", ""},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        writeBytes(dir.filePath("f.txt"), c.old);
        const QList<Find> finds = findsOf(c.old, c.search, c.by);
        const QByteArray diff = unifiedDiff("a/f.txt", "b/f.txt", c.old, TextEncoding::Utf8, finds);
        ASSERT_FALSE(diff.isEmpty()) << c.name;
        QProcess patch;
        patch.setWorkingDirectory(dir.path());
        patch.start("patch", {"-p1", "-s", "--no-backup-if-mismatch"});
        ASSERT_TRUE(patch.waitForStarted());
        patch.write(diff);
        patch.closeWriteChannel();
        ASSERT_TRUE(patch.waitForFinished());
        EXPECT_EQ(patch.exitCode(), 0)
            << c.name << "\n"
            << diff.toStdString() << patch.readAllStandardError().toStdString();
        EXPECT_EQ(readBytes(dir.filePath("f.txt")), replacedBytes(c.old, TextEncoding::Utf8, finds))
            << c.name << "\n"
            << diff.toStdString();
    }
}

TEST(UnifiedDiff, HunksHaveThreeLinesOfContext) {
    const QByteArray old = lines(12, "\n");
    const QByteArray diff =
        unifiedDiff("a/d/f", "b/d/f", old, TextEncoding::Utf8, findsOf(old, "line 5", "five"));
    EXPECT_EQ(diff, "--- a/d/f\n+++ b/d/f\n@@ -3,7 +3,7 @@\n line 2\n line 3\n line 4\n"
                    "-line 5\n+five\n line 6\n line 7\n line 8\n");
    // A replacement that changes nothing shows nothing; a search-only find neither.
    EXPECT_TRUE(
        unifiedDiff("a/f", "b/f", old, TextEncoding::Utf8, findsOf(old, "line", "line")).isEmpty());
    EXPECT_TRUE(unifiedDiff("a/f", "b/f", old, TextEncoding::Utf8, {Find{0, 4, {}}}).isEmpty());
}

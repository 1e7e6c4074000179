// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/make_backup.h"
#include "engine/run/headless_run_window.h"
#include "engine/run/preview_change.h"
#include "engine/run/preview_session.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

namespace {

struct Previewed {
    explicit Previewed(RunOptionValues values) : values(std::move(values)) {}
    RunOptionValues values;
    QTemporaryDir logDir;
    RunState state;
    HeadlessRunWindow window;
    ScriptedPrompter prompter;
    FunctionYield yield;
    ActivityLog log{logDir.filePath("log.txt")};
    PreviewSession session{values, state, window, prompter, yield, log, MakeBackup};
};

RunOptionValues treeOptions(const QString& root, const QString& search, const QString& replace) {
    RunOptionValues v;
    v.optAll = true;
    v.path = root;
    v.subDirectories = 1;
    v.allTypes = 1;
    v.makeBackups = 1;
    v.logChanges = 1;
    v.searchText = search;
    v.replaceText = replace;
    return v;
}

} // namespace

// Apply writes the ticked finds and nothing else, through the run's commit: a file with none
// ticked is neither written, backed up, counted nor logged; the line-break-tolerant mode takes
// a file whole.
TEST(PreviewSession, ApplyWritesExactlyTheTickedFinds) {
    struct Case {
        const char* name;
        QByteArray bytes;
        QList<int> unticked; // -1: the whole file
        QByteArray written;
    };
    const QList<Case> cases = {
        {"all.txt", "ab ab ab", {}, "X X X"},
        {"some.txt", "ab\r\nab\r\nab", {1}, "X\r\nab\r\nX"},
        {"first_last.txt", "abxab", {0}, "abxX"},
        {"none.txt", "ab ab", {0, 1}, "ab ab"},
        {"file.txt", "ab", {-1}, "ab"},
        {"bom.txt",
         "\xEF\xBB\xBF\xC3\xA9"
         "ab\xC3\xA9"
         "ab",
         {1},
         "\xEF\xBB\xBF\xC3\xA9X\xC3\xA9"
         "ab"},
    };
    QTemporaryDir root;
    QDir(root.path()).mkpath("sub");
    for (const Case& c : cases)
        writeBytes(root.filePath(QString("sub/") + c.name), c.bytes);
    for (const bool lineBreaks : {false, true}) {
        for (const Case& c : cases)
            writeBytes(root.filePath(QString("sub/") + c.name), c.bytes);
        RunOptionValues values = treeOptions(root.path(), "ab", "X");
        values.doAllCrlf = lineBreaks ? 1 : 0;
        Previewed p(values);
        ASSERT_EQ(p.session.preview(), RunOutcome::Completed);
        EXPECT_FALSE(QFile::exists(p.log.path())) << "a preview logs nothing";
        PreviewResults& results = p.session.results();
        ASSERT_EQ(results.size(), cases.size());
        qint64 ticked = 0, changed = 0;
        for (const Case& c : cases) {
            const PreviewFile* file = results.find(root.filePath(QString("sub/") + c.name));
            ASSERT_NE(file, nullptr) << c.name;
            const qsizetype index = file - &results.at(0);
            for (int u : c.unticked) {
                if (u < 0)
                    results.setFileTicked(index, false);
                else
                    results.setTicked(index, u, false);
            }
            if (lineBreaks && !c.unticked.isEmpty())
                results.setFileTicked(index, false); // whole files only
            ticked += file->tickedFinds;
            changed += file->tickedFinds > 0;
        }
        ASSERT_EQ(p.session.apply(), RunOutcome::Completed);
        for (const Case& c : cases) {
            const QString path = root.filePath(QString("sub/") + c.name);
            const QByteArray expected = lineBreaks && !c.unticked.isEmpty() ? c.bytes : c.written;
            EXPECT_EQ(readBytes(path), expected) << c.name << " line breaks " << lineBreaks;
            EXPECT_EQ(QFile::exists(path + "_BU"), expected != c.bytes && !lineBreaks) << c.name;
        }
        EXPECT_EQ(p.window.counters, (RunCounters{changed, changed, ticked}));
        if (lineBreaks) {
            // Its change is made again whole: from the first changed character to the last.
            const PreviewFile* some = results.find(root.filePath("sub/some.txt"));
            const Result<DecodedChange> remade = remadeChange(*some, values);
            ASSERT_TRUE(remade);
            ASSERT_EQ(remade.value().finds.size(), 1);
            EXPECT_EQ(remade.value().finds[0].start, 0);
            EXPECT_EQ(remade.value().finds[0].length, 10);
            EXPECT_EQ(remade.value().finds[0].replacement, "X\r\nX\r\nX");
        }
        const QStringList logged = QString(readBytes(p.log.path())).split('\n');
        EXPECT_EQ(logged.filter("sub").size(), changed);
        for (const Case& c : cases)
            QFile::remove(root.filePath(QString("sub/") + c.name + "_BU"));
    }
}

// A file changed between the preview and Apply keeps the change made to it: it gets the
// changed-on-disk message and the other files are applied.
TEST(PreviewSession, FileChangedSincePreviewIsRefused) {
    QTemporaryDir root;
    writeBytes(root.filePath("a.txt"), "ab");
    writeBytes(root.filePath("b.txt"), "ab");
    Previewed p(treeOptions(root.path(), "ab", "X"));
    ASSERT_EQ(p.session.preview(), RunOutcome::Completed);
    // A preview is not a run the user asked to finish: no closing box; Apply is one.
    EXPECT_EQ(p.prompter.texts(), QStringList());
    writeBytes(root.filePath("b.txt"), "ab ab");
    ASSERT_EQ(p.session.apply(), RunOutcome::Completed);
    EXPECT_EQ(p.prompter.texts().last(), "ZUK Done");
    EXPECT_EQ(readBytes(root.filePath("a.txt")), "X");
    EXPECT_EQ(readBytes(root.filePath("b.txt")), "ab ab");
    EXPECT_TRUE(
        p.prompter.texts().join('\n').contains("the file changed on disk since it was read"))
        << p.prompter.texts().join('\n').toStdString();
    EXPECT_EQ(p.session.filesFailed(), 1);
}

// The right-hand text: Apply gives back the ticked finds, and refuses a text edited since.
TEST(PreviewSession, TextModeAppliesToTheBoxAsPreviewed) {
    RunOptionValues values;
    values.optText = true;
    values.searchText = "ab";
    values.replaceText = "X";
    Previewed p(values);
    p.window.text = "ab\r\nab ab";
    ASSERT_EQ(p.session.preview(), RunOutcome::Completed);
    p.session.results().setTicked(0, 1, false);
    ASSERT_EQ(p.session.apply(), RunOutcome::Completed);
    EXPECT_EQ(p.window.text, "X\r\nab X");

    ASSERT_EQ(p.session.preview(), RunOutcome::Completed);
    p.window.text = "ab edited";
    p.session.apply();
    EXPECT_EQ(p.window.text, "ab edited");
}

// Where each find shows in its line and in the line it becomes, in characters, whatever the
// encoding and however many finds share the line.
TEST(PreviewResults, FindsAreMarkedInTheirLines) {
    struct Case {
        QByteArray bytes;
        QList<qsizetype> before, after;
    };
    const QList<Case> cases = {
        {"ab", {0}, {0}},
        {"x\nzz ab ab", {3, 6}, {3, 7}},
        {"\xC3\xA9\xC3\xA9 ab\r\n\xC3\xA9"
         "ab",
         {3, 1},
         {3, 1}},
        {"\xEF\xBB\xBFxab", {1}, {1}},
        {QByteArrayLiteral("\xFF\xFEx\0a\0b\0\n\0a\0b\0"), {1, 0}, {1, 0}},
        {"\xE9 ab", {2}, {2}}, // one byte a character
    };
    for (const Case& c : cases) {
        QTemporaryDir root;
        writeBytes(root.filePath("f.txt"), c.bytes);
        RunOptionValues values = treeOptions(root.path(), "ab", "XYZ");
        Previewed p(values);
        ASSERT_EQ(p.session.preview(), RunOutcome::Completed);
        ASSERT_EQ(p.session.results().size(), 1) << c.bytes.toHex().toStdString();
        const PreviewFile& file = p.session.results().at(0);
        QList<qsizetype> before, after;
        for (qsizetype i = 0; i < file.finds.size(); ++i) {
            const PreviewFind& find = file.finds[i];
            const LineAfter made = p.session.results().lineAfter(0, i);
            before.append(find.textStart);
            after.append(made.start);
            EXPECT_EQ(find.text.mid(find.textStart, find.textLength), "ab");
            EXPECT_EQ(made.text.mid(made.start, made.length), "XYZ");
        }
        EXPECT_EQ(before, c.before) << c.bytes.toHex().toStdString();
        EXPECT_EQ(after, c.after) << c.bytes.toHex().toStdString();
        // An unticked find stays in the line its neighbour shows.
        if (file.finds.size() == 2 && file.finds[0].line == file.finds[1].line) {
            p.session.results().setTicked(0, 0, false);
            const LineAfter made = p.session.results().lineAfter(0, 1);
            EXPECT_EQ(made.text.mid(made.start - 3, 6), "ab XYZ");
        }
    }
}

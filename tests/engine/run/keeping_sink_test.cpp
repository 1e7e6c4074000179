// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/make_backup.h"
#include "engine/run/find_places.h"
#include "engine/run/headless_run_window.h"
#include "engine/run/keeping_sink.h"
#include "engine/run/search_run.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace zuk;
using namespace zuk::test;

namespace {

std::map<QString, QByteArray> treeBytes(const QString& root) {
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[QDir(root).relativeFilePath(path)] = readBytes(path);
    }
    return files;
}

// A run over one tree, committing or keeping.
struct TreeRun {
    explicit TreeRun(const QString& root, bool searchOnly) {
        options.values.searchText = "ab";
        options.values.allTypes = 1;
        options.values.subDirectories = 1;
        options.values.searchOnly = searchOnly ? 1 : 0;
        options.values.logChanges = 1;
        options.values.makeBackups = 1;
        options.values.path = root + "/";
        options.values.replaceText = QString::fromUtf8("\xC3\xA9\n");
    }
    QTemporaryDir logDir;
    ValueRunOptions options;
    RunState state;
    HeadlessRunWindow window;
    ScriptedPrompter prompter;
    FunctionYield yield;
    ActivityLog log{logDir.filePath("log.txt")};
    SearchRun run{options, state, window, prompter, yield, log, MakeBackup};
};

} // namespace

// Over random trees, the kept edits make exactly the bytes a committing run writes, with the
// same counters, and the dry run writes nothing at all: no file, backup, log or question.
TEST(KeepingSink, DryRunKeepsWhatTheCommitWrites) {
    std::mt19937 random(23);
    for (const bool searchOnly : {false, true}) {
        for (int tree = 0; tree < 6; ++tree) {
            QTemporaryDir kept, committed;
            const char alphabet[] = {'a', 'b', '\r', '\n', 'x'};
            for (int f = 0; f < 8; ++f) {
                QByteArray bytes;
                const int size = int(random() % 300);
                for (int i = 0; i < size; ++i)
                    bytes += alphabet[random() % sizeof alphabet];
                const QString name = QString("d%1/f%2.txt").arg(f % 3).arg(f);
                for (const QTemporaryDir* root : {&kept, &committed}) {
                    QDir(root->path()).mkpath(QString("d%1").arg(f % 3));
                    writeBytes(root->filePath(name), bytes);
                }
            }
            const std::map<QString, QByteArray> before = treeBytes(kept.path());

            TreeRun dry(kept.path(), searchOnly);
            std::map<QString, QByteArray> made = before;
            std::map<QString, qint64> placed;
            KeepingSink sink(dry.window, nullptr, [&](const KeptEdit& k) {
                ASSERT_EQ(k.outcome.kind, SinkOutcome::Kind::Taken);
                if (k.edit.result.finds() == 0)
                    return;
                const QString name = QDir(kept.path()).relativeFilePath(k.edit.path);
                made[name] = replacedBytes(k.original, k.edit.encoding, k.edit.finds);
                for (const FindPlace& place : findPlaces(k.original, k.edit.encoding, k.edit.finds))
                    placed[name] += place.match == "ab";
            });
            dry.run.setSink(sink);
            ASSERT_EQ(dry.run.start(), RunOutcome::Completed);

            TreeRun commit(committed.path(), searchOnly);
            ASSERT_EQ(commit.run.start(), RunOutcome::Completed);

            EXPECT_EQ(treeBytes(kept.path()), before) << "the dry run wrote";
            EXPECT_FALSE(QFile::exists(dry.logDir.filePath("log.txt")));
            EXPECT_EQ(dry.prompter.shown.size(), 1); // "ZUK Done" only
            EXPECT_EQ(dry.window.counters, commit.window.counters);
            // Counted the same when nothing watches the edits.
            TreeRun unwatched(kept.path(), searchOnly);
            KeepingSink quiet(unwatched.window, nullptr, {});
            unwatched.run.setSink(quiet);
            ASSERT_EQ(unwatched.run.start(), RunOutcome::Completed);
            EXPECT_EQ(unwatched.window.counters, commit.window.counters);
            std::map<QString, QByteArray> written;
            for (const auto& [name, bytes] : treeBytes(committed.path())) {
                if (!name.endsWith("_BU"))
                    written[name] = bytes;
            }
            EXPECT_EQ(made, written);
            qint64 finds = 0;
            for (const auto& [name, count] : placed)
                finds += count;
            EXPECT_EQ(finds, commit.window.counters.replaceMade);
        }
    }
}

// A file changed after its edit was made is not placed, let alone written.
TEST(KeepingSink, FileChangedSinceReadIsRefused) {
    QTemporaryDir root;
    writeBytes(root.filePath("f.txt"), "xab");
    TreeRun run(root.path(), false);
    int refused = 0;
    KeepingSink sink(run.window, &run.run.commitSink(), [&](const KeptEdit& k) {
        refused += k.outcome.kind == SinkOutcome::Kind::SubjectFailed;
    });
    // The yield after the find lets another program write the file.
    run.yield.action = [&](int) { writeBytes(root.filePath("f.txt"), "abab changed"); };
    run.run.setSink(sink);
    run.run.start();
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(readBytes(root.filePath("f.txt")), "abab changed");
}

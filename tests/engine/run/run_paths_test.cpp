// SPDX-License-Identifier: GPL-3.0-or-later
// A run given several paths in place of the options' one.
#include "backup/make_backup.h"
#include "engine/run/headless_run_window.h"
#include "engine/run/search_run.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

namespace {

struct PathsCase {
    const char* name;
    bool directoryMode;
    int preparers;
    QStringList paths; // below the temporary folder
    RunCounters counters;
    QStringList failed; // the paths named by a failure's message
};

class RunPaths : public ::testing::TestWithParam<PathsCase> {};

// "a" becomes "ab": a file edited twice would show it.
TEST_P(RunPaths, AreOneRunAndAFileReachedTwiceIsEditedOnce) {
    const PathsCase& c = GetParam();
    QTemporaryDir dir;
    for (const char* name : {"site/a.htm", "site/sub/b.htm", "other/c.htm"}) {
        QDir().mkpath(QFileInfo(dir.filePath(name)).path());
        writeBytes(dir.filePath(name), "banana");
    }
    ValueRunOptions options;
    options.values.searchText = "a";
    options.values.replaceText = "ab";
    options.values.allTypes = 1;
    options.values.subDirectories = 1;
    options.values.logChanges = 1;
    options.values.optAll = c.directoryMode;
    options.values.optFile = !c.directoryMode;
    RunState state;
    HeadlessRunWindow window;
    ScriptedPrompter prompter;
    FunctionYield yield;
    ActivityLog log{dir.filePath("log.txt")};
    SearchRun run{options, state, window, prompter, yield, log, MakeBackup};
    if (c.preparers > 0)
        run.prepareInParallel(c.preparers,
                              [&] { return std::make_unique<ValueRunOptions>(options.values); });
    QStringList paths;
    for (const QString& path : c.paths)
        paths.append(dir.filePath(path));
    run.setPaths(paths);

    EXPECT_EQ(run.start(), RunOutcome::Completed);
    EXPECT_EQ(window.counters, c.counters);
    EXPECT_EQ(run.filesFailed(), c.failed.size());
    for (const QString& failed : c.failed) {
        const QString named = QDir::toNativeSeparators(dir.filePath(failed));
        EXPECT_TRUE(std::any_of(
            prompter.shown.begin(), prompter.shown.end(),
            [&](const Message& m) { return m.subject == named || m.text.endsWith('\n' + named); }))
            << failed.toStdString();
    }
    // One confirmation, one log run.
    EXPECT_EQ(prompter.texts().filter("Do you want to continue?").size(), 1);
    EXPECT_EQ(QString::fromUtf8(readBytes(dir.filePath("log.txt"))).count("==> END"), 1);
    for (const char* name : {"site/a.htm", "site/sub/b.htm", "other/c.htm"}) {
        const QByteArray bytes = readBytes(dir.filePath(name));
        EXPECT_TRUE(bytes == "banana" || bytes == "babnabnab") << name << " " << bytes.data();
    }
}

INSTANTIATE_TEST_SUITE_P(
    , RunPaths,
    ::testing::Values(
        // A folder below another, a file's path meaning its folder, a folder named twice.
        PathsCase{"WalkedOverlapping",
                  true,
                  0,
                  {"site", "site/sub/", "other/c.htm", "site/a.htm", "other"},
                  {3, 3, 9},
                  {}},
        PathsCase{
            "WalkedOverlappingPrepared", true, 2, {"site/sub", "site", "other"}, {3, 3, 9}, {}},
        // A missing one and a folder fail on their own; the run goes on.
        PathsCase{"Files",
                  false,
                  0,
                  {"site/a.htm", "site/none.htm", "site/a.htm", "other", "other/c.htm"},
                  {2, 2, 6},
                  {"site/none.htm", "other"}},
        PathsCase{"NoFiles", false, 0, {}, {0, 0, 0}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

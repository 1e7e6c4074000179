// SPDX-License-Identifier: GPL-3.0-or-later
// Paths that must never widen a run: refused before the confirmation, with nothing written.
#include "backup/make_backup.h"
#include "engine/run/headless_run_window.h"
#include "engine/run/search_run.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace zuk;
using namespace zuk::test;

namespace {

const QString kNoPath = "You must select a Directory or File before continueing";

QString missing(const QString& shown) {
    return "Path not found: \"" + shown + "\" does not exist. Nothing was changed; check the path.";
}

QString root(const QString& shown) {
    return "Root folder: \"" + shown +
           "\" would work in the root of the file system. Nothing was changed; choose a folder "
           "below it.";
}

class RunRefusals : public ::testing::Test {
protected:
    RunRefusals() {
        QDir().mkpath(dir.filePath("site"));
        writeBytes(page, "a");
        options.values.searchText = "a";
        options.values.replaceText = "o";
        options.values.allTypes = Checked;
        options.values.subDirectories = Checked;
        options.values.logChanges = Checked;
    }
    // The texts shown for a press of Start on this path; the run must have changed nothing.
    QStringList refusal(const QString& path) {
        options.values.path = path;
        prompter.shown.clear();
        EXPECT_EQ(run.start(), RunOutcome::Refused) << path.toStdString();
        EXPECT_EQ(readBytes(page), "a");
        EXPECT_FALSE(QFileInfo::exists(logPath));
        EXPECT_FALSE(window.running);
        return prompter.texts();
    }

    QTemporaryDir dir;
    QString page = dir.filePath("site/page.htm");
    QString logPath = dir.filePath("log.txt");
    ValueRunOptions options;
    RunState state;
    HeadlessRunWindow window;
    ScriptedPrompter prompter;
    FunctionYield yield;
    ActivityLog log{logPath};
    SearchRun run{options, state, window, prompter, yield, log, MakeBackup};
};

} // namespace

TEST_F(RunRefusals, TheRootInAnySpellingIsRefusedWithAMessageThatNamesIt) {
    ASSERT_EQ(::symlink("/", QFile::encodeName(dir.filePath("root")).constData()), 0);
    for (const QString& path :
         QStringList{"/", "//", "/.", "/./", "/tmp/..", "/tmp/../", "/tmp/./../.",
                     dir.filePath("root"), dir.filePath("root/")})
        EXPECT_EQ(refusal(path), QStringList{root(path)}) << path.toStdString();
    // A bare name that is nothing here still means no path at all.
    EXPECT_EQ(refusal("no-such-name"), QStringList{kNoPath});
}

TEST_F(RunRefusals, APathThatNamesNothingIsRefusedBeforeTheConfirmationAndNeverMeansItsParent) {
    const QString site = dir.filePath("site");
    for (const QString& path :
         QStringList{site + "/typo", site + "/typo/", site + "/page.htm/", site + "/typo/page.htm"})
        EXPECT_EQ(refusal(path), QStringList{missing(path)});
    EXPECT_EQ(refusal(site + "/new\nline\x1b[2J"),
              QStringList{missing(site + "/new\\nline\\x1B[2J")});

    options.values.optFile = true;
    EXPECT_EQ(refusal(site + "/typo.htm"), QStringList{missing(site + "/typo.htm")});
    EXPECT_EQ(window.counters, RunCounters{});
}

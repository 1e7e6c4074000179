// SPDX-License-Identifier: GPL-3.0-or-later
// The roll back over names that are not UTF-8, and over paths that must never widen it.
#include "backup/roll_back.h"

#include "engine/files/path_bytes.h"
#include "engine/run/headless_run_window.h"
#include "support/byte_paths.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

namespace {

class RollBackNames : public ::testing::Test {
protected:
    RollBackNames() {
        makeDirectoryAt(site);
        options.values.logChanges = Checked;
        options.values.subDirectories = Checked;
    }
    ~RollBackNames() override { removeTreeAt(site); }
    QByteArray at(const QByteArray& name) const { return site + '/' + name; }

    QTemporaryDir dir;
    QByteArray site = QFile::encodeName(dir.filePath("site"));
    QByteArray logPath = QFile::encodeName(dir.filePath("log.txt"));
    ValueRunOptions options;
    HeadlessRunWindow window;
    ScriptedPrompter prompter;
    FunctionYield yield;
    RunState state;
    ActivityLog log{QFile::decodeName(logPath)};
    RollBack rollBack{options, window, prompter, yield, state, log};
};

} // namespace

TEST_F(RollBackNames, ABackupWhoseNameIsNotUtf8RestoresThatFileAndNoOther) {
    writeAt(at("caf\xe9.htm"), "edited");
    writeAt(at("caf\xe9.htm_BU"), "original");
    writeAt(at("caf\xef\xbf\xbd.htm"), "another file");
    options.values.path = decodePath(site);
    rollBack.start();

    EXPECT_EQ(prompter.texts().last(), "ZUK Done");
    EXPECT_EQ(rollBack.lastCount(), 1);
    EXPECT_EQ(readAt(at("caf\xe9.htm")), "original");
    EXPECT_FALSE(existsAt(at("caf\xe9.htm_BU")));
    EXPECT_EQ(readAt(at("caf\xef\xbf\xbd.htm")), "another file");
    EXPECT_TRUE(QString::fromUtf8(readAt(logPath))
                    .contains("RB  ~  " + QFile::decodeName(site) + "/caf\\xE9.htm\r\n"));
}

TEST_F(RollBackNames, TheRootAndPathsThatNameNothingAreRefusedBeforeTheConfirmation) {
    writeAt(at("a.htm_BU"), "original");
    const QString missingPath = decodePath(at("typo\xff"));
    const struct {
        QString path;
        QString text;
    } cases[] = {
        {"/tmp/..", "Root folder: \"/tmp/..\" would work in the root of the file system. "
                    "Nothing was changed; choose a folder below it."},
        {missingPath, "Path not found: \"" + QFile::decodeName(site) +
                          "/typo\\xFF\" does not exist. Nothing was changed; check the path."},
    };
    for (const auto& c : cases) {
        prompter.shown.clear();
        options.values.path = c.path;
        rollBack.start();
        EXPECT_EQ(prompter.texts(), QStringList{c.text}) << c.path.toStdString();
    }
    EXPECT_TRUE(existsAt(at("a.htm_BU")));
    EXPECT_FALSE(existsAt(logPath));
}

// SPDX-License-Identifier: GPL-3.0-or-later
// zuk-cli's undo journal: --undo, --history, --no-journal, on real temporary trees.
#include "support/cli_process.h"
#include "support/temp_files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk::test;

namespace {

class CliJournal : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(path("appdata"))); }
    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path(name)).path());
        writeBytes(path(name), bytes);
    }
    QByteArray read(const QString& name) const { return readBytes(path(name)); }

    // No terminal: without --yes every question is declined. The journal goes under AppData.
    Ran run(const QStringList& arguments) const { return runZukCli(dir, arguments); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(CliJournal, UndoPutsBackWhatTheRunWroteAndNamesAFileEditedSince) {
    write("site/a.htm", "banana");
    write("site/b.htm", "cabana");
    write("site/sub/c.htm", "bandana");
    ASSERT_EQ(run({"-y", "--subdirs", "-s", "an", "-r", "AN", "site"}).status, 0);
    write("site/b.htm", "by hand");

    // Declined without a terminal: nothing changes.
    Ran ran = run({"--undo"});
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(read("site/a.htm"), "bANANa");

    ran = run({"--undo", "-y"});
    EXPECT_EQ(ran.status, 4);
    EXPECT_EQ(ran.out, "Files Put Back : 2\nAlready As Before : 0\nFiles Left : 1\n");
    EXPECT_TRUE(ran.err.contains("b.htm: edited since the run\n")) << ran.err.data();
    EXPECT_TRUE(ran.err.endsWith("zuk-cli: 1 file left\n")) << ran.err.data();
    EXPECT_EQ(read("site/a.htm"), "banana");
    EXPECT_EQ(read("site/sub/c.htm"), "bandana");
    EXPECT_EQ(read("site/b.htm"), "by hand");

    // The undo is a run of its own, which an undo takes back.
    ran = run({"--history"});
    EXPECT_EQ(ran.status, 0);
    const QList<QByteArray> lines = ran.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2) << ran.out.data();
    EXPECT_TRUE(lines[0].startsWith("2  ") && lines[0].contains("undo of run 1"));
    EXPECT_TRUE(lines[1].startsWith("1  ") && lines[1].contains("\"an\"") &&
                lines[1].endsWith("undone"));
    EXPECT_EQ(run({"--undo", "2", "-y"}).status, 0);
    EXPECT_EQ(read("site/a.htm"), "bANANa");

    // Run 1 is the newest not undone again; run 9 is no run.
    EXPECT_EQ(run({"--undo", "9", "-y"}).status, 1);
}

TEST_F(CliJournal, ABatchIsUndoneInOneStep) {
    write("t.txt", "one two three");
    write("batch.txt", "one|1\ntwo|2\nthree|3\n");
    ASSERT_EQ(run({"-y", "-m", "file", "--batch", "batch.txt", "t.txt"}).status, 0);
    ASSERT_EQ(read("t.txt"), "1 2 3");
    EXPECT_EQ(run({"--undo", "-y"}).status, 0);
    EXPECT_EQ(read("t.txt"), "one two three");
    EXPECT_EQ(run({"--undo", "-y"}).status, 1) << "nothing left to undo";
}

TEST_F(CliJournal, NoJournalKeepsNothingAndARolledBackFileIsStillWritable) {
    write("t.txt", "apple");
    ASSERT_EQ(run({"-y", "-m", "file", "--no-journal", "-s", "p", "-r", "b", "t.txt"}).status, 0);
    EXPECT_EQ(run({"--undo", "-y"}).status, 1);

    // The backup and the journal both keep the old file; after Roll Back brings it back, the
    // journal's link is no other name of it.
    ASSERT_EQ(run({"-y", "-m", "file", "--backup", "-s", "b", "-r", "q", "t.txt"}).status, 0);
    ASSERT_EQ(run({"-y", "--rollback", "t.txt"}).status, 0);
    ASSERT_EQ(read("t.txt"), "abble");
    EXPECT_EQ(run({"-y", "-m", "file", "-s", "a", "-r", "A", "t.txt"}).status, 0);
    EXPECT_EQ(read("t.txt"), "Abble");
}

TEST_F(CliJournal, BadUndoArgumentsAreBadUsage) {
    for (const QStringList& arguments :
         {QStringList{"--undo", "x"}, QStringList{"--undo", "-s", "a"},
          QStringList{"--history", "1"}, QStringList{"--journal-limit", "0", "-s", "a", "."},
          QStringList{"--journal-limit", "3,9Q", "-s", "a", "."}}) {
        EXPECT_EQ(run(arguments).status, 2) << arguments.join(' ').toStdString();
    }
}

TEST_F(CliJournal, TheSettingsLimitTheRunsKeptAndTheFlagOverridesThemForOneRun) {
    write("appdata/zuk/zuk.ini", "[Options]\r\nUNDORUNS=1\r\n");
    write("t.txt", "abc");
    const auto historyLines = [&] { return run({"--history"}).out.count('\n'); };
    ASSERT_EQ(run({"-y", "-m", "file", "-s", "a", "-r", "A", "t.txt"}).status, 0);
    ASSERT_EQ(run({"-y", "-m", "file", "-s", "b", "-r", "B", "t.txt"}).status, 0);
    EXPECT_EQ(historyLines(), 1);
    ASSERT_EQ(
        run({"-y", "-m", "file", "--journal-limit", "3", "-s", "c", "-r", "C", "t.txt"}).status, 0);
    EXPECT_EQ(historyLines(), 2);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/journal/journal_history.h"
#include "engine/journal/journal_undo.h"
#include "engine/journal/run_journal.h"

#include "journaled_write.h"
#include "support/temp_files.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace zuk {
namespace {

using test::readBytes;
using test::writeBytes;

// Runs `work` in a child killed with SIGKILL after `delayUs`; whether the kill cut it short.
bool killedDuring(const std::function<void()>& work, int delayUs) {
    const pid_t child = ::fork();
    if (child == 0) {
        work();
        ::_exit(0);
    }
    ::usleep(useconds_t(delayUs));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status);
}

// Kills a run, then the undo of what it left, at random moments; the next undo gives back
// the tree as it was. ZUK_KILL_TRIALS sets how many (a few here; 200 or more by hand).
TEST(JournalKillTest, AKillAtAnyMomentLeavesWhatAnUndoPutsBack) {
    const int trials = qEnvironmentVariableIsSet("ZUK_KILL_TRIALS")
                           ? qEnvironmentVariableIntValue("ZUK_KILL_TRIALS")
                           : 4;
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> delay(0, 150000);
    int runsCut = 0; // with some of their files committed
    int undosCut = 0;
    for (int trial = 0; trial < trials; ++trial) {
        QTemporaryDir files;
        QTemporaryDir settings;
        QList<QString> paths;
        for (int i = 0; i < 12; ++i) {
            paths.append(files.filePath(QStringLiteral("f%1.txt").arg(i)));
            // Above the streaming buffer's 1 MiB, now and then.
            writeBytes(paths.last(), QByteArray(i % 4 == 0 ? (1 << 20) + 7 : 9000, char('a' + i)));
        }
        JournalFolder folder(settings.filePath(QStringLiteral("journal")));
        const bool cut = killedDuring(
            [&] {
                RunJournal journal(folder, {RunKind::Run, files.path(), QStringLiteral("a"), 0});
                for (const QString& path : paths)
                    (void)test::journaledWrite(journal, path, "new " + path.toUtf8());
            },
            delay(random));
        Result<QList<RunSummary>> history = journalHistory(folder);
        ASSERT_TRUE(history.ok());
        const std::optional<qint64> run = newestNotUndone(history.value());
        if (!run) // killed before its first file
            continue;
        runsCut += cut;
        undosCut += killedDuring([&] { (void)JournalUndo(folder).undo(*run); }, delay(random));

        const Result<UndoReport> undone = JournalUndo(folder).undo(*run);
        ASSERT_TRUE(undone.ok()) << trial;
        EXPECT_EQ(undone.value().left(), 0) << trial;
        for (const UndoFile& file : undone.value().files) {
            if (file.isLeft())
                ADD_FAILURE() << file.path.toStdString() << ": " << file.reason().toStdString();
        }
        for (int i = 0; i < paths.size(); ++i)
            ASSERT_EQ(readBytes(paths[i]),
                      QByteArray(i % 4 == 0 ? (1 << 20) + 7 : 9000, char('a' + i)))
                << trial << " " << i;
        EXPECT_EQ(QDir(files.path())
                      .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                      .size(),
                  paths.size());
    }
    std::printf("%d trials: %d runs cut short after their first file, %d undos cut short\n", trials,
                runsCut, undosCut);
}

} // namespace
} // namespace zuk

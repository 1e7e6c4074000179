// SPDX-License-Identifier: GPL-3.0-or-later
// writeEdit with the undo journal: the file's entry before its rename, the hash of what the
// rename put there, whether the edit was streamed or written whole.
#include "engine/journal/journal_undo.h"
#include "engine/journal/run_journal.h"
#include "engine/run/commit_sink.h"
#include "engine/run/replacement_routines.h"
#include "support/function_yield.h"
#include "support/temp_files.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace zuk;
using namespace zuk::test;

TEST(JournaledCommit, AnUndoPutsBackStreamedAndWholeEditsAndTheKeptLinkIsNoOtherName) {
    QTemporaryDir dir;
    ValueRunOptions options;
    RunState state;
    FunctionYield yield;
    ReplacementRoutines routines{options, state, yield};
    EditRequest request;
    request.hashWritten = true;
    routines.setRequest(request);
    routines.setStreamBufferSize(16);

    const QString streamed = dir.filePath("long.txt");
    const QString whole = dir.filePath("short.txt");
    const QByteArray longText = QByteArray("needle ").repeated(40);
    writeBytes(streamed, longText);
    const QByteArray utf16("\xFF\xFEn\0e\0e\0d\0l\0e\0", 14); // written whole
    writeBytes(whole, utf16);

    JournalFolder folder(dir.filePath("journal"));
    ASSERT_TRUE(folder.open(true));
    setKeptLinkCheck(
        [&folder](quint64 device, quint64 inode) { return folder.keepsFile(device, inode); });
    {
        RunJournal journal(folder, RunInfo{});
        for (const QString& path : {streamed, whole}) {
            Edit edit = routines.CleanFile(path, "needle", "pin");
            ASSERT_EQ(bool(edit.streamed), path == streamed);
            ASSERT_TRUE(writeEdit(edit, nullptr, {}, nullptr, &journal));
        }
        ASSERT_TRUE(journal.finish());
    }
    const QList<qint64> runs = folder.runIds();
    ASSERT_EQ(runs.size(), 1);

    JournalUndo undo(folder);
    const Result<UndoReport> done = undo.undo(runs.first());
    ASSERT_TRUE(done);
    EXPECT_EQ(done.value().count(UndoVerdict::PutBack), 2);
    EXPECT_EQ(readBytes(streamed), longText);
    EXPECT_EQ(readBytes(whole), utf16);

    // Backed up and journaled, then rolled back: the old file has its name again and the
    // journal's link, which is no other name of it, so a run may still replace it.
    const QString old = dir.filePath("old.txt");
    writeBytes(old, "needle");
    {
        RunJournal journal(folder, RunInfo{});
        Edit edit = routines.CleanFile(old, "needle", "pin");
        const BackupMaker backup = [](const QString& path) {
            return keepAsBackup(path, path + "_BU");
        };
        ASSERT_TRUE(writeEdit(edit, nullptr, backup, nullptr, &journal));
    }
    ASSERT_EQ(
        ::rename(QFile::encodeName(old + "_BU").constData(), QFile::encodeName(old).constData()),
        0);
    Edit again = routines.CleanFile(old, "needle", "pin");
    EXPECT_TRUE(writeEdit(again));
    EXPECT_EQ(readBytes(old), "pin");
    setKeptLinkCheck({});
}

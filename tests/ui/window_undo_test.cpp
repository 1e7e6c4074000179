// SPDX-License-Identifier: GPL-3.0-or-later
// The window's undo journal: its runs and batches journaled, File -> "Undo Last Run" through the
// application with the message boxes answered from a script.

#include "support/function_yield.h"
#include "support/named_child.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"
#include "ui/check_box.h"
#include "ui/main_window_fixture.h"
#include "ui/multi_line_box.h"
#include "ui/zuk_application.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace zuk::test {
namespace {

class WindowUndoTest : public ::testing::Test {
protected:
    WindowUndoTest() {
        QStandardPaths::setTestModeEnabled(true);
        app.Main();
        named<QRadioButton>(window(), "optAll")->click();
        named<QLineEdit>(window(), "txtPath")
            ->setText(QDir::toNativeSeparators(work.path()) + QDir::separator());
        for (const char* name : {"chkSearchOnly", "chkLog", "chkBackUp"})
            named<CheckBox>(window(), name)->setValue(Unchecked);
        for (const char* name : {"a.htm", "b.htm", "c.htm"})
            writeBytes(file(name), "one two three");
    }

    frmMain& window() { return app.window(); }
    QString file(const char* name) { return work.filePath(QString::fromLatin1(name)); }
    QString counters() {
        QStringList shown;
        for (const char* name : {"lblTotFiles", "lblFilesDone", "lblReplaceMade"})
            shown << named<QLabel>(window(), name)->text();
        return shown.join(u' ');
    }
    void run(const char* search, const char* replace) {
        named<MultiLineBox>(window(), "txtSearch")->setText(QString::fromUtf8(search));
        named<MultiLineBox>(window(), "txtReplace")->setText(QString::fromUtf8(replace));
        QTest::mouseClick(named<QPushButton>(window(), "cmdStart"), Qt::LeftButton);
    }
    // Undo Last Run; what it asked and told.
    QStringList undo() {
        prompter.shown.clear();
        named<QAction>(window(), "mnuUndoLastRun")->trigger();
        return prompter.texts();
    }

    QTemporaryDir home; // AppData
    QTemporaryDir work; // the user's files
    ScriptedPrompter prompter;
    FunctionYield yield;
    ZukApplication app{AppEnvironment{home.path(), home.filePath(QStringLiteral("bin/zuk"))},
                       [](bool) {}, &prompter, &yield};
};

TEST_F(WindowUndoTest, UndoLastRunPutsBackTheRunAndNamesAFileEditedSince) {
    run("two", "2");
    ASSERT_EQ(readBytes(file("a.htm")), "one 2 three");
    writeBytes(file("b.htm"), "by hand");

    // Declined: nothing changes.
    prompter.answers = {MessageResult::No};
    QStringList told = undo();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains("2 files will be put back")) << told[0].toStdString();
    EXPECT_TRUE(told[0].contains("1 file will be left")) << told[0].toStdString();
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Warning"));
    EXPECT_EQ(readBytes(file("a.htm")), "one 2 three");

    told = undo();
    ASSERT_EQ(told.size(), 2);
    EXPECT_TRUE(told[1].startsWith("Undo Done\n\nFiles Put Back : 2\nAlready As Before : 0\n"
                                   "Files Left : 1\n\nLeft as they are:\n"))
        << told[1].toStdString();
    EXPECT_TRUE(told[1].endsWith("b.htm: edited since the run")) << told[1].toStdString();
    EXPECT_EQ(counters(), QStringLiteral("3 2 0"));
    EXPECT_EQ(readBytes(file("a.htm")), "one two three");
    EXPECT_EQ(readBytes(file("c.htm")), "one two three");
    EXPECT_EQ(readBytes(file("b.htm")), "by hand");

    // The run is undone; an undo is taken back by zuk-cli --undo ID, not by this item.
    EXPECT_EQ(undo(), QStringList{WindowJournal::kNothingToUndoText});
}

TEST_F(WindowUndoTest, RunsThatWriteNothingKeepNothing) {
    struct Case {
        const char* name;
        std::function<void()> setUp;
    };
    const QList<Case> cases = {
        {"search only", [&] { named<CheckBox>(window(), "chkSearchOnly")->setValue(Checked); }},
        {"text mode", [&] { named<QRadioButton>(window(), "optText")->click(); }},
        {"declined", [&] { prompter.answers = {MessageResult::No}; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.setUp();
        run("two", "2");
        EXPECT_EQ(readBytes(file("a.htm")), "one two three");
        EXPECT_EQ(undo(), QStringList{WindowJournal::kNothingToUndoText});
        named<CheckBox>(window(), "chkSearchOnly")->setValue(Unchecked);
        named<QRadioButton>(window(), "optAll")->click();
    }
    EXPECT_EQ(QDir(home.filePath(QStringLiteral("zuk/journal/runs")))
                  .entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList());
}

TEST_F(WindowUndoTest, ABatchIsUndoneInOneStep) {
    named<QAction>(window(), "mnuBatch")->trigger();
    frmBatch* batch = app.batchWindows().batchWindow();
    ASSERT_TRUE(batch);
    QTemporaryDir lists;
    const QString list = lists.filePath(QStringLiteral("batch.txt"));
    writeBytes(list, "one|1\r\ntwo|2\r\nthree|3\r\n");
    batch->tBatchPath()->setText(list);
    QTest::mouseClick(named<QPushButton>(*batch, "cBatch"), Qt::LeftButton);
    ASSERT_EQ(readBytes(file("c.htm")), "1 2 3");

    const QStringList told = undo();
    ASSERT_EQ(told.size(), 2);
    EXPECT_TRUE(told[0].contains("3 files will be put back")) << told[0].toStdString();
    for (const char* name : {"a.htm", "b.htm", "c.htm"})
        EXPECT_EQ(readBytes(file(name)), "one two three") << name;
    EXPECT_EQ(undo(), QStringList{WindowJournal::kNothingToUndoText});
}

TEST_F(WindowUndoTest, AJournalThatCantBeWrittenIsToldAndTheRunGoesOnOnlyIfWanted) {
    writeBytes(home.filePath(QStringLiteral("zuk/journal")), "not a folder");
    for (const MessageResult answer : {MessageResult::No, MessageResult::Yes}) {
        prompter.shown.clear();
        prompter.answers = {answer};
        run("two", "2");
        ASSERT_FALSE(prompter.shown.isEmpty());
        EXPECT_TRUE(prompter.shown[0].text.startsWith("The undo journal can't be kept in\n"))
            << prompter.shown[0].text.toStdString();
        EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Warning"));
        EXPECT_EQ(readBytes(file("a.htm")),
                  answer == MessageResult::Yes ? "one 2 three" : "one two three");
    }
    // Undo says why it can't look.
    const QStringList told = undo();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith("The undo journal: ")) << told[0].toStdString();
}

} // namespace
} // namespace zuk::test

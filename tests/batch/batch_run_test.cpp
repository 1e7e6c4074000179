// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_run.h"

#include "batch/batch_entry.h"
#include "engine/run/headless_run_window.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;

namespace {

const QString kNoSearchText =
    QStringLiteral("You must enter somthing to search for before continueing");
const QString kRunConfirm =
    QStringLiteral("WARNING! These changes cannot be undone!!\r\n\r\nDo you want to continue?");

class FakeBatchWindow : public BatchWindow {
public:
    QString batchPath() const override { return path; }
    BatchFormat batchFormat() const override { return format; }
    void enterBatchState() override { running = true; }
    void leaveBatchState() override { running = false; }

    QString path;
    BatchFormat format{"|", false};
    bool running = false;
};

// The main window in text mode: a real run replaces in the right-hand box's text, so each
// entry sees what the ones before it made of it.
class TextMainWindow : public BatchMainWindow {
public:
    TextMainWindow(RunState& state, Prompter& prompter, YieldHook& yieldHook)
        : m_state(state), m_run(options, state, window, prompter, yieldHook, log,
                                [](const QString&) { return Status(); }) {
        options.values.optText = true;
        options.values.caseSensitive = Checked;
    }

    void setSearchTexts(const QString& search, const QString& replace) override {
        options.values.searchText = search;
        options.values.replaceText = replace;
    }
    RunOutcome pressStart() override {
        pressed.append({options.values.searchText, options.values.replaceText});
        pressedInBatch.append(m_state.isBatch);
        if (beforePress)
            beforePress(int(pressed.size()));
        return m_run.start();
    }
    RunCounters shownCounters() const override { return window.counters; }
    void showBatchTotals(qint64 filesDone, qint64 replaceMade) override {
        totals = {filesDone, replaceMade};
    }
    void takeFocus() override { ++focused; }
    Status syncWrites() override {
        syncedAfterPresses.append(int(pressed.size()));
        return syncResult;
    }
    Status checkSearchTexts(const QString& search, const QString& replace) const override {
        return m_run.checkSearchTexts(search, replace);
    }

    QString text() { return window.text; }

    ValueRunOptions options;
    HeadlessRunWindow window;
    ActivityLog log{QString()}; // no log: logging switched on fails the run
    QList<BatchEntry> pressed;
    QList<bool> pressedInBatch;
    std::function<void(int press)> beforePress;
    std::optional<std::pair<qint64, qint64>> totals;
    int focused = 0;
    QList<int> syncedAfterPresses;
    Status syncResult;

private:
    RunState& m_state;
    SearchRun m_run;
};

class BatchRunTest : public ::testing::Test {
protected:
    void batchFile(const QByteArray& bytes) {
        m_batchWindow.path = m_dir.filePath("entries.txt");
        test::writeBytes(m_batchWindow.path, bytes);
    }
    void subject(const QString& text) { m_main.window.text = text; }
    bool idle() const {
        return !m_batch.isActive() && !m_batchWindow.running && !m_state.isBatch &&
               !m_state.cancelFlag && !m_state.batchCancelFlag;
    }
    using Totals = std::optional<std::pair<qint64, qint64>>;

    QTemporaryDir m_dir;
    RunState m_state;
    test::ScriptedPrompter m_prompter;
    test::FunctionYield m_yield;
    FakeBatchWindow m_batchWindow;
    TextMainWindow m_main{m_state, m_prompter, m_yield};
    BatchRun m_batch{m_batchWindow, m_main, m_state, m_prompter, m_yield};
};

TEST_F(BatchRunTest, AppliesEachEntryToTheResultOfTheOnesBefore) {
    batchFile("a|b\r\nb|c\r\nc|d e\r\n");
    subject("a a b");

    EXPECT_EQ(m_batch.start(), BatchOutcome::Completed);

    EXPECT_EQ(m_main.text(), "d e d e d e");
    EXPECT_EQ(m_main.pressed, (QList<BatchEntry>{{"a", "b"}, {"b", "c"}, {"c", "d e"}}));
    EXPECT_EQ(m_main.pressedInBatch, (QList<bool>{true, true, true}));
    EXPECT_EQ(m_main.totals, Totals({3, 8}));
    EXPECT_EQ(m_main.focused, 1);
    EXPECT_EQ(m_main.syncedAfterPresses, QList<int>{3}); // once, after the last entry
    EXPECT_EQ(m_prompter.texts(), (QStringList{BatchRun::kConfirmText, BatchRun::kDoneText}));
    EXPECT_EQ(m_prompter.shown.first().title, "Warning");
    EXPECT_TRUE(idle());
}

TEST_F(BatchRunTest, PressesStartOncePerEntryWithTheDelimiter) {
    const struct {
        const char* name;
        QByteArray file;
        BatchFormat format;
        QList<BatchEntry> pressed;
    } cases[] = {
        {"lines without delimiter",
         "a|b\r\nno entry\r\n\r\nb|c",
         {"|", false},
         {{"a", "b"}, {"b", "c"}}},
        {"whole line, comma and all", "a|b,c|d\r\n", {"|", false}, {{"a", "b,c"}}},
        {"quoted, last entry at the end",
         "\"a\"|\"b\"\r\n\"b\r\n\"|\"c\"",
         {"|", true},
         {{"a", "b"}, {"b\r\n", "c"}}},
    };
    for (const auto& c : cases) {
        m_main.pressed.clear();
        batchFile(c.file);
        m_batchWindow.format = c.format;
        EXPECT_EQ(m_batch.start(), BatchOutcome::Completed) << c.name;
        EXPECT_EQ(m_main.pressed, c.pressed) << c.name;
    }
}

TEST_F(BatchRunTest, RefusedEntryAddsNothingAndTheBatchGoesOn) {
    batchFile("a|b\r\n|x\r\nb|c\r\n");
    subject("a");

    EXPECT_EQ(m_batch.start(), BatchOutcome::Completed);

    EXPECT_EQ(m_main.text(), "c");
    EXPECT_EQ(m_main.totals, Totals({2, 2}));
    EXPECT_EQ(m_prompter.texts(),
              (QStringList{BatchRun::kConfirmText, kNoSearchText, BatchRun::kDoneText}));
}

TEST_F(BatchRunTest, CancelDuringAnEntryStopsTheBatchAfterIt) {
    batchFile("a|b\r\nb|c\r\nc|d\r\n");
    subject("a a a");
    // The second run's first find: press Batch, which reads "Cancel".
    m_main.beforePress = [&](int press) {
        m_yield.action = [&, press](int) {
            if (press == 2) {
                EXPECT_EQ(m_batch.start(), BatchOutcome::CancelRequested);
            }
        };
    };

    EXPECT_EQ(m_batch.start(), BatchOutcome::Cancelled);

    EXPECT_EQ(m_main.text(), "c b b");
    EXPECT_EQ(m_main.pressed.size(), 2);
    EXPECT_EQ(m_main.totals, Totals({2, 4}));
    EXPECT_EQ(m_prompter.texts(), (QStringList{BatchRun::kConfirmText, BatchRun::kDoneText}));
    EXPECT_TRUE(idle());
}

TEST_F(BatchRunTest, FailedRunEndsTheBatchIdleWithTheTotalsSoFar) {
    batchFile("a|b\r\nb|c\r\nc|d\r\n");
    subject("a");
    // Logging switched on between entries, with nowhere to log: the second run fails.
    m_main.beforePress = [&](int press) {
        if (press == 2)
            m_main.options.values.logChanges = Checked;
    };

    EXPECT_EQ(m_batch.start(), BatchOutcome::Failed);

    EXPECT_EQ(m_main.text(), "b");
    EXPECT_EQ(m_main.pressed.size(), 2);
    EXPECT_EQ(m_main.totals, Totals({1, 1}));
    EXPECT_EQ(m_prompter.texts(),
              (QStringList{BatchRun::kConfirmText, "ERROR: 76 Path not found"}));
    EXPECT_TRUE(idle());

    m_prompter.shown.clear();
    m_main.options.values.logChanges = Unchecked;
    (void)m_main.pressStart(); // a run of its own asks again
    EXPECT_EQ(m_prompter.texts(), QStringList{kRunConfirm});
}

TEST_F(BatchRunTest, AFailedSyncEndsTheBatchIdleWithItsMessage) {
    batchFile("a|b\r\nb|c\r\n");
    subject("a");
    m_main.syncResult = makeError(ErrorNumber::DiskFull);

    EXPECT_EQ(m_batch.start(), BatchOutcome::Failed);

    EXPECT_EQ(m_prompter.texts(),
              (QStringList{BatchRun::kConfirmText, makeError(ErrorNumber::DiskFull).message()}));
    EXPECT_EQ(m_main.totals, Totals({2, 2}));
    EXPECT_TRUE(idle());
}

TEST_F(BatchRunTest, AnUnclosedLastEntryIsLeftOutAndSaidSo) {
    batchFile("\"a\"|\"b\"\r\n\"b\"|\"c");
    m_batchWindow.format = {"|", true};
    subject("a");
    EXPECT_EQ(m_batch.start(), BatchOutcome::Completed);
    EXPECT_EQ(m_main.pressed, (QList<BatchEntry>{{"a", "b"}}));
    EXPECT_EQ(m_prompter.texts(),
              (QStringList{BatchRun::kConfirmText, kUnclosedEntryText, BatchRun::kDoneText}));
    EXPECT_EQ(m_prompter.shown[1].subject, m_batchWindow.path);
}

// The file is tested before the question: a file that fails is never asked about.
TEST_F(BatchRunTest, NothingRunsWithoutFileDelimiterPassingTestOrConfirmation) {
    const struct {
        const char* name;
        QByteArray file; // empty: no file at all
        QString delimiter;
        MessageResult answer;
        BatchOutcome outcome;
        QStringList messages;
        bool regex = false;
    } cases[] = {
        {"no file", "", "|", MessageResult::Yes, BatchOutcome::Refused, {kNoBatchFileText}},
        {"empty delimiter",
         "a|b",
         "",
         MessageResult::Yes,
         BatchOutcome::Refused,
         {kNoDelimiterText}},
        {"No", "a|b", "|", MessageResult::No, BatchOutcome::Declined, {BatchRun::kConfirmText}},
        {"failed test",
         "a|b",
         "#",
         MessageResult::Yes,
         BatchOutcome::Refused,
         {kBatchFailedTestText}},
        {"not text",
         QByteArray("a|b\0", 4),
         "|",
         MessageResult::Yes,
         BatchOutcome::Refused,
         {"ERROR: 75 Path/File access error (not text)"}},
        // Every entry's expression is read before anything is asked.
        {"bad expression in a later entry",
         "a|b\r\nno entry\r\nb(|c\r\n",
         "|",
         MessageResult::Yes,
         BatchOutcome::RefusedEntry,
         {"Entry 2 of the batch file: Invalid regular expression at character 2: missing )"},
         true},
        {"replacement naming a group the expression lacks",
         "(a)|$2",
         "|",
         MessageResult::Yes,
         BatchOutcome::RefusedEntry,
         {"Entry 1 of the batch file: Invalid replacement at character 1: the regular expression "
          "has no group 2 (it has 1)"},
         true},
    };
    for (const auto& c : cases) {
        m_prompter.shown.clear();
        m_prompter.answers = {c.answer};
        if (c.file.isEmpty())
            m_batchWindow.path.clear();
        else
            batchFile(c.file);
        m_batchWindow.format.delimiter = c.delimiter;
        m_main.options.values.regex = c.regex;
        EXPECT_EQ(m_batch.start(), c.outcome) << c.name;
        EXPECT_EQ(m_prompter.texts(), c.messages) << c.name;
        EXPECT_TRUE(m_main.pressed.isEmpty()) << c.name;
        EXPECT_FALSE(m_main.totals) << c.name;
        EXPECT_TRUE(idle()) << c.name;
    }
}

TEST_F(BatchRunTest, PressDuringTheTestEndsItFailed) {
    batchFile("x\r\ny\r\na|b\r\n");
    m_yield.action = [&](int) { EXPECT_EQ(m_batch.start(), BatchOutcome::CancelRequested); };

    EXPECT_EQ(m_batch.start(), BatchOutcome::Refused);

    EXPECT_EQ(m_yield.calls, 1);
    EXPECT_EQ(m_prompter.texts(), QStringList{kBatchFailedTestText});
    EXPECT_TRUE(m_main.pressed.isEmpty());
    EXPECT_TRUE(idle());
}

} // namespace

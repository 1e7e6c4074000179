// SPDX-License-Identifier: GPL-3.0-or-later
// The batch window and its test view, driven through the real windows of the application with
// the message boxes answered from a script and the run's yields handed to the test.

#include "batch/batch_file.h"
#include "support/function_yield.h"
#include "support/named_child.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"
#include "ui/main_window_fixture.h"
#include "ui/multi_line_box.h"
#include "ui/real_boxes.h"
#include "ui/zuk_application.h"

#include "engine/run/activity_log.h"
#include "engine/run/search_run.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace zuk::test {
namespace {

const QString kEmptySearch =
    QStringLiteral("You must enter somthing to search for before continueing");

class BatchWindowsTest : public ::testing::Test {
protected:
    BatchWindowsTest() {
        QStandardPaths::setTestModeEnabled(true);
        app.Main();
        app.batchWindows().setPathChooser(&chooser);
        named<QRadioButton>(window(), "optAll")->click();
        named<QLineEdit>(window(), "txtPath")
            ->setText(QDir::toNativeSeparators(work.path()) + QDir::separator());
        for (const char* name : {"chkSearchOnly", "chkLog", "chkBackUp"})
            named<CheckBox>(window(), name)->setValue(0);
        named<QAction>(window(), "mnuBatch")->trigger();
        batch = app.batchWindows().batchWindow();
    }

    frmMain& window() { return app.window(); }
    QPushButton* cmd(const char* name) { return named<QPushButton>(*batch, name); }
    QString page() { return work.filePath(QStringLiteral("page.htm")); }
    QString counters() {
        QStringList shown;
        for (const char* name : {"lblTotFiles", "lblFilesDone", "lblReplaceMade"})
            shown << named<QLabel>(window(), name)->text();
        return shown.join(u' ');
    }
    // Writes the batch file (beside, not in, the folder the runs work on) and chooses it.
    void useBatchFile(const QByteArray& bytes) {
        const QString path = lists.filePath(QStringLiteral("batch.txt"));
        writeBytes(path, bytes);
        batch->tBatchPath()->setText(path);
    }
    void expectIdle() {
        EXPECT_EQ(cmd("cBatch")->text(), QStringLiteral("Batch"));
        for (const char* name : {"cExit", "cTest", "cboDelin", "tBatchPath", "cB", "chkQuote"})
            EXPECT_TRUE(named<QWidget>(*batch, name)->isEnabled()) << name;
        EXPECT_FALSE(window().IsBatch());
        EXPECT_FALSE(app.state().cancelFlag);
        EXPECT_FALSE(app.state().batchCancelFlag);
        EXPECT_EQ(named<QPushButton>(window(), "cmdStart")->text(), QStringLiteral("Start"));
    }

    QTemporaryDir home;  // AppData
    QTemporaryDir work;  // the files the runs change
    QTemporaryDir lists; // the batch files
    ScriptedPrompter prompter;
    ScriptedChooser chooser;
    FunctionYield yield;
    QList<bool> terminations;
    ZukApplication app{AppEnvironment{home.path(), home.filePath(QStringLiteral("bin/zuk"))},
                       [this](bool workUnderWay) { terminations.append(workUnderWay); }, &prompter,
                       &yield};
    QPointer<frmBatch> batch;
};

TEST_F(BatchWindowsTest, WindowShowsEveryControlAsDesigned) {
    ASSERT_TRUE(batch);
    EXPECT_TRUE(batch->isVisible());
    EXPECT_TRUE(named<QAction>(window(), "mnuBatch")->isEnabled());
    named<QAction>(window(), "mnuBatch")->trigger();
    EXPECT_EQ(app.batchWindows().batchWindow(), batch.data()); // brought forward, not a second
    EXPECT_EQ(batch->windowTitle(), QStringLiteral("Batch Processing"));
    EXPECT_EQ(batch->pos(), window().pos() - QPoint(0, batch->scale().py(100)));

    const std::pair<const char*, const char*> captions[] = {
        {"Label1", "ZUK Batch Processing"},
        {"Label4", "Path to file containing Batch Entries"},
        {"Label2", "\"Search For\"  \"Replace With\" Delineation"},
        {"Label3", "| Pipe, & Ampersand, # Pound"},
        {"Label5", "( \" \" ) quoted items"},
        {"cB", "..."},
        {"cTest", "Test"},
        {"cBatch", "Batch"},
        {"cExit", "Quit"}};
    for (const auto& [name, caption] : captions) {
        QWidget* widget = named<QWidget>(*batch, name);
        const QString text = qobject_cast<QLabel*>(widget)
                                 ? qobject_cast<QLabel*>(widget)->text()
                                 : qobject_cast<QPushButton*>(widget)->text();
        EXPECT_EQ(text, QString::fromUtf8(caption)) << name;
    }
    EXPECT_EQ(batch->tBatchPath()->text(), QString());
    EXPECT_EQ(batch->cboDelin()->currentText(), QStringLiteral("|"));
    EXPECT_TRUE(batch->cboDelin()->isEditable());
    EXPECT_EQ(batch->cboDelin()->count(), 3);
    EXPECT_EQ(batch->cboDelin()->itemText(1), QStringLiteral("&"));
    EXPECT_EQ(batch->cboDelin()->itemText(2), QStringLiteral("#"));
    EXPECT_EQ(batch->chkQuote()->text(), QString());
    EXPECT_FALSE(batch->chkQuote()->isChecked());

    // The help text, with its doubled blanks and the blanks that end its lines.
    const QStringList help = rawPlainText(batch->Text1(), QStringLiteral("\n")).split(u'\n');
    ASSERT_EQ(help.size(), 24); // 23 lines, each ended by a line break
    EXPECT_EQ(help[1],
              QStringLiteral("With\" items.  WARNING! This process is unforgiving.   If you "
                             "make a mistake in your entries or search location there "
                             "will not "));
    EXPECT_EQ(help[10], QStringLiteral("\tFind This|replace with this"));
    EXPECT_EQ(help[16], QStringLiteral("\t\"Find "));
    EXPECT_EQ(help[19], QStringLiteral("\t with this\""));
    EXPECT_EQ(help[22],
              QStringLiteral("The \"Test\" button will show you what ZUK thinks you want to do."));
    EXPECT_EQ(rawPlainText(batch->Text1(), QStringLiteral("\r\n")), frmBatch::kHelpText);

    // The help text is never edited: the focus moves on to the path.
    QApplication::setActiveWindow(batch);
    batch->Text1()->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(batch->tBatchPath()->hasFocus());
    QTest::keyClicks(batch->Text1(), QStringLiteral("typed"));
    EXPECT_EQ(rawPlainText(batch->Text1(), QStringLiteral("\r\n")), frmBatch::kHelpText);
}

TEST(BatchWindowFonts, NoCaptionIsClippedAndAllLiesInside) {
    for (const double points : {9.0, 13.5, 18.0}) {
        SCOPED_TRACE(points);
        AppFont font(points);
        FunctionYield yield;
        ScriptedPrompter prompter;
        ScriptedChooser chooser;
        RunState state;
        frmMain main(state, prompter);
        const ActivityLog log{QString()};
        SearchRun run(main.adapter(), state, main.adapter(), prompter, yield, log, {});
        FrmMainBatch mainBatch(main, run);
        frmBatch batch(mainBatch, state, &prompter, yield, chooser, {});
        frmTestBatch view;
        for (QWidget* top : {batch.screenFit().page(), view.screenFit().page()}) {
            for (QWidget* widget : top->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                const std::string name = widget->objectName().toStdString();
                if (qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget)) {
                    EXPECT_GE(widget->width(), widget->sizeHint().width()) << name;
                }
                if (!qobject_cast<QAbstractScrollArea*>(widget)) {
                    EXPECT_GE(widget->height(), widget->sizeHint().height()) << name;
                }
                EXPECT_TRUE(top->rect().contains(widget->geometry())) << name;
            }
        }
    }
}

TEST_F(BatchWindowsTest, TestButtonListsTheEntriesAndRefillsTheView) {
    useBatchFile("Find This|replace with this\r\nAnother Item|Replaced with this\r\n");
    QTest::mouseClick(cmd("cTest"), Qt::LeftButton);
    QPointer<frmTestBatch> view = app.batchWindows().testView();
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->windowTitle(), QStringLiteral("Batch Entries Test"));
    EXPECT_EQ(view->Command1()->text(), QStringLiteral("Command1"));
    const QString listing = rawPlainText(view->RTB1(), QStringLiteral("\r\n"));
    EXPECT_TRUE(listing.startsWith(QStringLiteral("- SEARCH FOR 1: -\r\nFind This\r\n")));
    EXPECT_TRUE(listing.contains(QStringLiteral("- REPLACE WITH 2: -\r\nReplaced with this\r\n")));

    // Pressed again: the same view, emptied and filled again.
    QTest::mouseClick(cmd("cTest"), Qt::LeftButton);
    EXPECT_EQ(app.batchWindows().testView(), view.data());
    EXPECT_EQ(rawPlainText(view->RTB1(), QStringLiteral("\r\n")), listing);
    EXPECT_TRUE(prompter.shown.isEmpty());

    QTest::mouseClick(view->Command1(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(view);
}

TEST_F(BatchWindowsTest, TestAndBatchRefuseWithTheirMessagesAndChangeNothing) {
    writeBytes(page(), "a");
    const struct {
        const char* name;
        QString path; // "file": the batch file
        QString delimiter;
        QString message; // the only one: Batch asks nothing about a file that fails its test
    } rows[] = {
        {"empty path", QString(), "|", kNoBatchFileText},
        {"a folder", lists.path(), "|", kNoBatchFileText},
        {"empty delimiter", "file", "", kNoDelimiterText},
        {"wrong delimiter", "file", "#", kBatchFailedTestText},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        useBatchFile("a|b\r\n");
        if (row.path != QStringLiteral("file"))
            batch->tBatchPath()->setText(row.path);
        batch->cboDelin()->setEditText(row.delimiter);
        for (const char* button : {"cTest", "cBatch"}) {
            prompter.shown.clear();
            QTest::mouseClick(cmd(button), Qt::LeftButton);
            EXPECT_EQ(prompter.texts(), QStringList{row.message}) << button;
        }
        EXPECT_FALSE(app.batchWindows().testView());
        EXPECT_EQ(readBytes(page()), "a");
        expectIdle();
    }
}

TEST_F(BatchWindowsTest, BatchAppliesEachEntryInTurnAndShowsTheTotals) {
    const struct {
        const char* name;
        QByteArray entries;
        QByteArray after;
        QStringList messages; // between the confirmation and the closing message
        const char* counters;
    } rows[] = {
        {"each entry sees the one before", "a|b\r\nb|c\r\nc|d\r\n", "d d", {}, "1 3 6"},
        {"a line without the delimiter", "a|b\r\nno entry\r\nb|c\r\n", "c c", {}, "1 2 4"},
        {"an empty search text", "a|b\r\n|x\r\nb|c\r\n", "c c", {kEmptySearch}, "1 2 4"},
        {"two entries changing once each", "a|A\r\nb|B\r\n", "A B", {}, "1 2 2"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeBytes(page(),
                   row.name == std::string("two entries changing once each") ? "a b" : "a a");
        useBatchFile(row.entries);
        prompter.shown.clear();
        QTest::mouseClick(cmd("cBatch"), Qt::LeftButton);

        EXPECT_EQ(readBytes(page()), row.after);
        EXPECT_EQ(prompter.texts(), QStringList{BatchRun::kConfirmText} + row.messages +
                                        QStringList{BatchRun::kDoneText});
        EXPECT_EQ(counters(), QString::fromUtf8(row.counters));
        expectIdle();

        // A run of its own afterwards asks for confirmation and shows its closing message.
        prompter.shown.clear();
        named<MultiLineBox>(window(), "txtSearch")->setText(QStringLiteral("zzz"));
        QTest::mouseClick(named<QPushButton>(window(), "cmdStart"), Qt::LeftButton);
        EXPECT_EQ(prompter.shown.value(0).title, QStringLiteral("Warning"));
        EXPECT_EQ(prompter.texts().value(1), QStringLiteral("ZUK Done"));
    }
}

TEST_F(BatchWindowsTest, StopRequestsEndTheBatchAfterTheEntryInProgress) {
    const struct {
        const char* name;
        bool betweenEntries; // when: after the first entry's run, or during the second
        std::function<void()> stop;
    } rows[] = {
        {"Cancel in the batch window", false, [&] { cmd("cBatch")->click(); }},
        {"Cancel on the main window", false,
         [&] { named<QPushButton>(window(), "cmdStart")->click(); }},
        {"the batch window's close box", false, [&] { batch->close(); }},
        {"Start between two entries", true,
         [&] { named<QPushButton>(window(), "cmdStart")->click(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (!batch) {
            named<QAction>(window(), "mnuBatch")->trigger();
            batch = app.batchWindows().batchWindow();
        }
        writeBytes(page(), "x x x");
        useBatchFile("x|y\r\ny|z\r\nz|w\r\n");
        prompter.shown.clear();
        bool stopped = false;
        yield.action = [&](int) {
            const bool second = named<MultiLineBox>(window(), "txtSearch")->text() == "y";
            const bool now = row.betweenEntries ? window().IsBatch() && !app.state().runActive
                                                : second && app.state().runActive;
            if (now && !stopped) {
                stopped = true;
                EXPECT_EQ(cmd("cBatch")->text(), QStringLiteral("Cancel"));
                EXPECT_FALSE(cmd("cExit")->isEnabled());
                row.stop();
            }
        };
        QTest::mouseClick(cmd("cBatch"), Qt::LeftButton);
        yield.action = {};

        // The third entry never ran; the totals hold what the first two runs did.
        const QByteArray after = readBytes(page());
        const int changedBySecond = int(after.count('z'));
        EXPECT_FALSE(after.contains('w'));
        EXPECT_FALSE(after.contains('x'));
        if (row.betweenEntries) {
            EXPECT_EQ(changedBySecond, 0);
        }
        EXPECT_EQ(
            counters(),
            QStringLiteral("1 %1 %2").arg(changedBySecond > 0 ? 2 : 1).arg(3 + changedBySecond));
        EXPECT_EQ(prompter.texts(), (QStringList{BatchRun::kConfirmText, BatchRun::kDoneText}));
        expectIdle();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // Only the close box closes the window, once the batch has stopped.
        EXPECT_EQ(bool(batch), row.name != std::string("the batch window's close box"));
    }
}

TEST_F(BatchWindowsTest, NoAtTheConfirmationRunsNothing) {
    writeBytes(page(), "a");
    useBatchFile("a|b\r\n");
    prompter.answers = {MessageResult::No};
    QTest::mouseClick(cmd("cBatch"), Qt::LeftButton);
    EXPECT_EQ(prompter.texts(), QStringList{BatchRun::kConfirmText});
    EXPECT_EQ(readBytes(page()), "a");
    expectIdle();
}

TEST_F(BatchWindowsTest, FailedRunLeavesBothWindowsIdleAndTheNextRunConfirms) {
    writeBytes(page(), "a");
    useBatchFile("a|b\r\nb|c\r\n");
    // The log can't be written: each run ends with its "ERROR: " message.
    QDir().mkpath(app.paths().logPath());
    named<CheckBox>(window(), "chkLog")->setValue(1);
    QTest::mouseClick(cmd("cBatch"), Qt::LeftButton);

    ASSERT_EQ(prompter.texts().size(), 2);
    EXPECT_TRUE(prompter.texts()[1].startsWith(QStringLiteral("ERROR: ")));
    EXPECT_EQ(readBytes(page()), "a");
    EXPECT_EQ(counters(), QStringLiteral("0 0 0"));
    expectIdle();

    prompter.shown.clear();
    QTest::mouseClick(named<QPushButton>(window(), "cmdStart"), Qt::LeftButton);
    EXPECT_EQ(prompter.shown.value(0).title, QStringLiteral("Warning"));
}

// The batch window's refusals and questions, and the messages of the runs it drives, stand
// over the batch window, which stays in front: while the batch runs and when each box closes.
TEST(BatchWindowBoxes, BelongToTheBatchWindowWhichStaysInFront) {
    QTemporaryDir home;
    QTemporaryDir work;
    RealBoxes boxes;
    FunctionYield yield;
    ZukApplication app{AppEnvironment{home.path(), home.filePath(QStringLiteral("bin/zuk"))},
                       [](bool) {}, nullptr, &yield};
    app.Main();
    frmMain& window = app.window();
    named<QRadioButton>(window, "optAll")->click();
    named<QLineEdit>(window, "txtPath")->setText(work.path() + QDir::separator());
    for (const char* name : {"chkSearchOnly", "chkLog", "chkBackUp"})
        named<CheckBox>(window, name)->setValue(0);
    const QString page = work.filePath(QStringLiteral("page.htm"));
    writeBytes(page, "a a");
    const QString list = home.filePath(QStringLiteral("batch.txt"));
    named<QAction>(window, "mnuBatch")->trigger();
    QPointer<frmBatch> batch = app.batchWindows().batchWindow();
    ASSERT_TRUE(batch && QTest::qWaitForWindowActive(batch));
    batch->tBatchPath()->setText(list);
    QList<QWidget*> activeInYields;
    yield.action = [&](int) {
        QCoreApplication::processEvents();
        activeInYields.append(QApplication::activeWindow());
    };

    const struct {
        const char* name;
        QByteArray entries;
        QString delimiter;
        QList<QMessageBox::StandardButton> answers;
        QStringList texts;
    } rows[] = {
        {"a failed test", "a|b\r\n", "#", {}, {kBatchFailedTestText}},
        {"a No", "a|b\r\n", "|", {QMessageBox::No}, {BatchRun::kConfirmText}},
        {"a run's refusal during the batch",
         "|x\r\na|b\r\n",
         "|",
         {QMessageBox::Yes},
         {BatchRun::kConfirmText, kEmptySearch, BatchRun::kDoneText}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.seen.clear();
        boxes.answers = row.answers;
        writeBytes(list, row.entries);
        batch->cboDelin()->setEditText(row.delimiter);
        named<QPushButton>(*batch, "cBatch")->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(boxes.texts(), row.texts);
        for (const RealBoxes::Box& box : boxes.seen)
            EXPECT_EQ(box.owner, batch.data()) << box.text.toStdString();
        EXPECT_EQ(QApplication::activeWindow(), batch.data());
    }
    EXPECT_EQ(readBytes(page), "b b");
    EXPECT_FALSE(activeInYields.isEmpty());
    EXPECT_EQ(activeInYields.count(batch.data()), activeInYields.size());
}

TEST_F(BatchWindowsTest, BrowseUsesTheTextFilterAndKeepsItsLastFileName) {
    chooser.answers = {QString(), QStringLiteral("/data/list.txt"), QString()};
    // A cancel before any choice, a choice, then a cancel that brings the choice back.
    for (const QString& expected :
         {QString(), QStringLiteral("/data/list.txt"), QStringLiteral("/data/list.txt")}) {
        prompter.shown.clear();
        QTest::mouseClick(cmd("cB"), Qt::LeftButton);
        EXPECT_EQ(batch->tBatchPath()->text(), QDir::toNativeSeparators(expected));
        EXPECT_EQ(prompter.texts(), expected.isEmpty()
                                        ? QStringList{QStringLiteral("No File Selected!")}
                                        : QStringList());
    }
    EXPECT_EQ(chooser.fileCalls.value(0).first,
              QStringLiteral("Text Files (*.txt);;All Files (*)"));
}

TEST_F(BatchWindowsTest, ExitClosesTheBatchWindowAndTheTestView) {
    useBatchFile("a|b\r\n");
    QTest::mouseClick(cmd("cTest"), Qt::LeftButton);
    QPointer<frmTestBatch> view = app.batchWindows().testView();
    ASSERT_TRUE(view);
    window().close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(batch);
    EXPECT_FALSE(view);
    EXPECT_EQ(terminations, QList<bool>{false});
}

} // namespace
} // namespace zuk::test

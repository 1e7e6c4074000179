// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main_window_fixture.h"

#include "engine/text/text_buffer.h"
#include "ui/multi_line_box.h"
#include "ui/qt_yield_hook.h"
#include "ui/right_box.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

namespace zuk::test {
namespace {

class RunningTest : public MainWindowTest {
protected:
    void expectIdle() {
        EXPECT_EQ(cmd("cmdStart")->text(), QStringLiteral("Start"));
        EXPECT_EQ(cmd("cmdRollBack")->text(), QStringLiteral("Roll Back"));
        for (const char* name : {"cmdStart", "cmdClear", "cmdRollBack", "cmdExit", "cmdBrowse"})
            EXPECT_TRUE(enabled(name)) << name;
        for (const char* name : {"mnuClear", "mnuRollBack", "mnuStart", "mnuExit", "mnuPaste"})
            EXPECT_TRUE(itemEnabled(name)) << name;
        EXPECT_FALSE(named<MultiLineBox>(window, "txtSearch")->isReadOnly());
        EXPECT_FALSE(named<MultiLineBox>(window, "txtReplace")->isReadOnly());
        EXPECT_FALSE(line("txtPath")->isReadOnly());
    }
    void expectBoxesLocked() {
        EXPECT_TRUE(named<MultiLineBox>(window, "txtSearch")->isReadOnly());
        EXPECT_TRUE(named<MultiLineBox>(window, "txtReplace")->isReadOnly());
        EXPECT_TRUE(line("txtPath")->isReadOnly());
    }
    void expectRunning() {
        EXPECT_TRUE(state.runActive);
        EXPECT_EQ(cmd("cmdStart")->text(), QStringLiteral("Cancel"));
        EXPECT_TRUE(enabled("cmdStart"));
        for (const char* name :
             {"cmdClear", "cmdRollBack", "cmdExit", "cmdBrowse", "cmdViewLog", "cmdHelp"})
            EXPECT_FALSE(enabled(name)) << name;
        for (const char* name : {"mnuClear", "mnuBatch", "mnuViewLog", "mnuRollBack"})
            EXPECT_FALSE(itemEnabled(name)) << name;
        EXPECT_TRUE(itemEnabled("mnuStart"));
        EXPECT_TRUE(itemEnabled("mnuExit"));
        expectBoxesLocked();
        // Options, Expand and the right box's Copy stay available.
        EXPECT_TRUE(enabled("chkCase"));
        EXPECT_TRUE(enabled("optAll"));
        EXPECT_TRUE(enabled("cmdExpand"));
        EXPECT_TRUE(itemEnabled("mnuCopy"));
    }

    // Stands in for the run: the second press of Start only sets the stop flags; the first
    // enters the running state and yields until it is cancelled.
    void installRun(std::function<void()> insideFirstYield) {
        window.setStartCommand([this, insideFirstYield] {
            if (state.runActive) {
                state.cancelFlag = true;
                state.batchCancelFlag = true;
                return;
            }
            enterRun();
            QTimer::singleShot(0, &window, insideFirstYield);
            QElapsedTimer guard;
            guard.start();
            while (!state.cancelFlag && guard.elapsed() < 20000) {
                hook.yield();
                ++yields;
            }
            cancelled = state.cancelFlag;
            state.cancelFlag = false;
            leaveRun();
        });
    }

    QtYieldHook hook{0}; // events at every yield: no wait for the interval
    int yields = 0;
    bool cancelled = false;
};

TEST_F(RunningTest, CancelPressedFromInsideAYield) {
    window.setViewLogCommand([] {});
    window.setBatchCommand([] {});
    window.setHelpCommand([] {});
    window.show();
    bool checkedInside = false;
    installRun([&] {
        expectRunning();
        checkedInside = true;
        QTest::mouseClick(cmd("cmdStart"), Qt::LeftButton);
    });
    QTest::mouseClick(cmd("cmdStart"), Qt::LeftButton);
    EXPECT_TRUE(checkedInside);
    EXPECT_TRUE(cancelled);
    EXPECT_GT(yields, 0);
    EXPECT_FALSE(state.cancelFlag);
    EXPECT_TRUE(state.batchCancelFlag); // only the batch clears its own flag
    expectIdle();
    EXPECT_TRUE(enabled("cmdViewLog"));
    EXPECT_TRUE(itemEnabled("mnuBatch"));
}

TEST_F(RunningTest, StartSearchMenuItemActsAsCancelDuringARun) {
    window.show();
    installRun([&] { named<QAction>(window, "mnuStart")->trigger(); });
    named<QAction>(window, "mnuStart")->trigger();
    EXPECT_TRUE(cancelled);
    expectIdle();
}

TEST_F(RunningTest, RollBackStateAndItsCancel) {
    int presses = 0;
    window.setRollBackCommand([&] {
        ++presses;
        if (state.rollBackActive) {
            state.cancelFlag = true;
            return;
        }
        enterRollBack();
        EXPECT_EQ(cmd("cmdRollBack")->text(), QStringLiteral("Cancel"));
        EXPECT_TRUE(enabled("cmdRollBack"));
        for (const char* name :
             {"cmdStart", "cmdClear", "cmdExit", "cmdBrowse", "cmdViewLog", "cmdHelp"})
            EXPECT_FALSE(enabled(name)) << name;
        for (const char* name : {"mnuClear", "mnuBatch", "mnuViewLog", "mnuStart"})
            EXPECT_FALSE(itemEnabled(name)) << name;
        EXPECT_TRUE(itemEnabled("mnuRollBack"));
        EXPECT_TRUE(itemEnabled("mnuExit"));
        EXPECT_TRUE(itemEnabled("mnuPaste"));
        expectBoxesLocked();
        named<QAction>(window, "mnuRollBack")->trigger(); // the Cancel
        state.cancelFlag = false;
        leaveRollBack();
    });
    cmd("cmdRollBack")->click();
    EXPECT_EQ(presses, 2);
    expectIdle();
}

TEST_F(RunningTest, EnteringTheRunStateZeroesTheCounters) {
    window.adapter().showCounters({5, 4, 3});
    enterRun();
    for (const char* name : {"lblTotFiles", "lblFilesDone", "lblReplaceMade"})
        EXPECT_EQ(named<QLabel>(window, name)->text(), QStringLiteral("0"));
    leaveRun();
}

TEST_F(RunningTest, TextModeRunWorksOnTheBoxAndShowsTheResult) {
    window.show();
    opt("optText")->click();
    RightBox* box = window.rightBox();
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("banana"));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, QStringLiteral("ban"));

    QString seen;
    window.setStartCommand([&] {
        enterRun();
        seen = window.rightBoxText();
        EXPECT_TRUE(box->isReadOnly());
        EXPECT_FALSE(itemEnabled("mnuPaste"));
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
        box->selectAll();
        window.mnuPaste_Click(); // refused: the subject must not change under the run
        EXPECT_EQ(box->toPlainText(), QStringLiteral("banana\nban"));

        window.setRightBoxText(QStringLiteral("bonono\r\nbon"));
        EXPECT_EQ(box->toPlainText(), QStringLiteral("banana\nban")); // not yet: lazily
        QCoreApplication::processEvents();
        EXPECT_EQ(box->toPlainText(), QStringLiteral("bonono\nbon"));
        leaveRun();
    });
    cmd("cmdStart")->click();
    EXPECT_EQ(seen, QStringLiteral("banana\r\nban"));
    EXPECT_FALSE(box->isReadOnly());
    // The text given back is kept as it came; showing it didn't count as an edit of the box.
    EXPECT_EQ(window.rightBoxText(), QStringLiteral("bonono\r\nbon"));
}

TEST_F(RunningTest, BoxOutOfSightIsFilledWhenItComesIntoView) {
    window.show();
    window.showWorkingText(WorkingText(QStringLiteral("file content")));
    QCoreApplication::processEvents();
    EXPECT_EQ(window.rightBox()->toPlainText(), QString()); // narrow: not shown, not filled
    cmd("cmdExpand")->click();
    QCoreApplication::processEvents(); // the wider window is laid out
    window.rightBox()->viewport()->repaint();
    QCoreApplication::processEvents(); // the box asked to be filled when it was painted
    EXPECT_EQ(window.rightBox()->toPlainText(), QStringLiteral("file content"));
}

TEST_F(RunningTest, ClosingDuringARunStopsIt) {
    window.show();
    enterRun();
    bool unloaded = false;
    window.setUnloadCommand([&] { unloaded = true; });
    named<QAction>(window, "mnuExit")->trigger();
    EXPECT_TRUE(state.cancelFlag);
    EXPECT_TRUE(state.batchCancelFlag);
    EXPECT_TRUE(unloaded);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(RunningTest, RunOptionsReadTheControlsAtEachRead) {
    auto* search = named<MultiLineBox>(window, "txtSearch");
    search->setText(QStringLiteral("a\nb"));
    EXPECT_EQ(window.adapter().searchText(), QStringLiteral("a\r\nb"));
    search->setText(QStringLiteral("x") + QChar(0x00A0)); // a non-breaking space stays one
    EXPECT_EQ(window.adapter().searchText(), QStringLiteral("x") + QChar(0x00A0));

    EXPECT_EQ(window.adapter().logChanges(), Checked);
    chk("chkLog")->click();
    EXPECT_EQ(window.adapter().logChanges(), Unchecked);
    chk("chkSearchOnly")->setValue(Greyed);
    EXPECT_EQ(window.adapter().searchOnly(), Greyed);

    line("txtThis")->setText(QStringLiteral(" .inc"));
    EXPECT_EQ(window.adapter().customExtension(), QStringLiteral(" .inc"));
    line("txtPath")->setText(QStringLiteral("/p/"));
    EXPECT_EQ(window.adapter().path(), QStringLiteral("/p/"));

    opt("optAll")->click();
    EXPECT_EQ(window.adapter().mode(), RunMode::AllFiles);
    opt("optText")->click();
    EXPECT_EQ(window.adapter().mode(), RunMode::RightBoxText);

    window.adapter().setMakeBackups(Unchecked);
    EXPECT_EQ(chk("chkBackUp")->value(), Unchecked);
    EXPECT_EQ(window.adapter().makeBackups(), Unchecked);

    const MainWindowAdapter& options = window.adapter();
    const std::pair<const char*, CheckValue (MainWindowAdapter::*)() const> fields[] = {
        {"chkSub", &MainWindowAdapter::subDirectories},
        {"chkAllType", &MainWindowAdapter::allTypes},
        {"chkThis", &MainWindowAdapter::customType},
        {"chkCase", &MainWindowAdapter::caseSensitive},
        {"chkDoAllCRLF", &MainWindowAdapter::doAllCrlf},
        {"chkKeepLeftSpc", &MainWindowAdapter::keepSpaceLeft},
        {"chkKeepRightSpc", &MainWindowAdapter::keepSpaceRight}};
    for (const auto& [name, read] : fields) {
        chk(name)->setValue(Greyed);
        EXPECT_EQ((options.*read)(), Greyed) << name;
        chk(name)->setValue(Unchecked);
        EXPECT_EQ((options.*read)(), Unchecked) << name;
    }
    for (std::size_t i = 0; i < kFileTypes.size(); ++i) {
        CheckBox* box = chk(kFileTypes[i].checkBox);
        box->setValue(Greyed);
        EXPECT_EQ(options.fileTypes()[i], Greyed) << kFileTypes[i].checkBox;
        box->setValue(Unchecked);
        EXPECT_EQ(options.fileTypes()[i], Unchecked) << kFileTypes[i].checkBox;
    }
}

} // namespace
} // namespace zuk::test

// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs and roll backs started from the real window through the application, with the
// message boxes answered from a script.

#include "support/function_yield.h"
#include "support/named_child.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"
#include "ui/check_box.h"
#include "ui/multi_line_box.h"
#include "ui/right_box.h"
#include "ui/zuk_application.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <utility>

namespace zuk::test {
namespace {

const QString kDone = QStringLiteral("ZUK Done");

class RunFromWindowTest : public ::testing::Test {
protected:
    RunFromWindowTest() {
        QStandardPaths::setTestModeEnabled(true);
        app.Main();
    }

    frmMain& window() { return app.window(); }
    QPushButton* cmd(const char* name) { return named<QPushButton>(window(), name); }
    QAction* item(const char* name) { return named<QAction>(window(), name); }
    QString shown(const char* label) { return named<QLabel>(window(), label)->text(); }
    QString counters() {
        return shown("lblTotFiles") + u' ' + shown("lblFilesDone") + u' ' + shown("lblReplaceMade");
    }
    QString tree(const QString& name = {}) { return work.filePath(name); }
    QString treePath() { return QDir::toNativeSeparators(work.path()) + QDir::separator(); }

    void setTexts(const QString& search, const QString& replace, const QString& path) {
        named<MultiLineBox>(window(), "txtSearch")->setText(search);
        named<MultiLineBox>(window(), "txtReplace")->setText(replace);
        named<QLineEdit>(window(), "txtPath")->setText(path);
    }
    void check(const char* name) { named<CheckBox>(window(), name)->setValue(Checked); }
    void pressStart() { QTest::mouseClick(cmd("cmdStart"), Qt::LeftButton); }

    // Runs `action` in the first yield of the command started next, where the window's own
    // hook would handle the user's input.
    void duringFirstYield(std::function<void()> action) { m_duringYield = std::move(action); }

    void expectBoxesLocked(bool locked) {
        EXPECT_EQ(named<MultiLineBox>(window(), "txtSearch")->isReadOnly(), locked);
        EXPECT_EQ(named<MultiLineBox>(window(), "txtReplace")->isReadOnly(), locked);
        EXPECT_EQ(named<QLineEdit>(window(), "txtPath")->isReadOnly(), locked);
    }
    void expectRunning() {
        EXPECT_TRUE(app.state().runActive);
        EXPECT_EQ(cmd("cmdStart")->text(), QStringLiteral("Cancel"));
        EXPECT_TRUE(cmd("cmdStart")->isEnabled());
        for (const char* name :
             {"cmdClear", "cmdExit", "cmdHelp", "cmdBrowse", "cmdViewLog", "cmdRollBack"})
            EXPECT_FALSE(cmd(name)->isEnabled()) << name;
        for (const char* name :
             {"mnuClear", "mnuBatch", "mnuViewLog", "mnuRollBack", "mnuUndoLastRun"})
            EXPECT_FALSE(item(name)->isEnabled()) << name;
        EXPECT_TRUE(item("mnuStart")->isEnabled());
        EXPECT_TRUE(item("mnuExit")->isEnabled());
        expectBoxesLocked(true);
        EXPECT_TRUE(window().rightBox()->isReadOnly());
    }
    void expectIdle() {
        EXPECT_FALSE(app.state().runActive);
        EXPECT_FALSE(app.state().rollBackActive);
        EXPECT_FALSE(app.state().cancelFlag);
        EXPECT_EQ(cmd("cmdStart")->text(), QStringLiteral("Start"));
        EXPECT_EQ(cmd("cmdRollBack")->text(), QStringLiteral("Roll Back"));
        for (const char* name : {"cmdStart", "cmdClear", "cmdExit", "cmdBrowse", "cmdRollBack"})
            EXPECT_TRUE(cmd(name)->isEnabled()) << name;
        for (const char* name :
             {"mnuClear", "mnuStart", "mnuRollBack", "mnuUndoLastRun", "mnuExit"})
            EXPECT_TRUE(item(name)->isEnabled()) << name;
        expectBoxesLocked(false);
        EXPECT_EQ(shown("lblCurPath"), QString());
    }

    // `count` files "f<i>.htm", each holding "x" `finds` times.
    void writeFiles(int count, int finds) {
        for (int i = 0; i < count; ++i)
            writeBytes(tree(QStringLiteral("f%1.htm").arg(i, 3, 10, QLatin1Char('0'))),
                       QByteArray("<p>x</p>\n").repeated(finds));
    }
    // How many of those files were changed, and how many "x" were replaced in all.
    std::pair<int, int> changes(int count, int finds) {
        int files = 0;
        int replaced = 0;
        for (int i = 0; i < count; ++i) {
            const QByteArray bytes =
                readBytes(tree(QStringLiteral("f%1.htm").arg(i, 3, 10, QLatin1Char('0'))));
            const int left = int(bytes.count("<p>x</p>"));
            files += left < finds ? 1 : 0;
            replaced += finds - left;
        }
        return {files, replaced};
    }

    QTemporaryDir home; // AppData
    QTemporaryDir work; // the user's files
    ScriptedPrompter prompter;
    QList<bool> terminations;
    int yieldsObserved = 0;
    std::function<void()> m_duringYield;
    FunctionYield yield{[this](int) {
        if (!m_duringYield)
            return;
        ++yieldsObserved;
        std::exchange(m_duringYield, {})();
    }};
    ZukApplication app{AppEnvironment{home.path(), home.filePath(QStringLiteral("bin/zuk"))},
                       [this](bool workUnderWay) { terminations.append(workUnderWay); }, &prompter,
                       &yield};
};

TEST_F(RunFromWindowTest, TextModeRunFromTheStartButton) {
    named<QRadioButton>(window(), "optText")->click();
    window().rightBox()->setPlainText(QStringLiteral("banana"));
    setTexts(QStringLiteral("a"), QStringLiteral("o"), QString());
    duringFirstYield([&] {
        expectRunning();
        EXPECT_EQ(counters(), QStringLiteral("0 0 0"));
    });
    pressStart();

    EXPECT_EQ(yieldsObserved, 1);
    EXPECT_EQ(counters(), QStringLiteral("1 1 3"));
    QCoreApplication::processEvents(); // the box shows the buffer when it next repaints
    EXPECT_EQ(window().rightBox()->toPlainText(), QStringLiteral("bonono"));
    ASSERT_EQ(prompter.shown.size(), 1); // the confirmation; no closing message in this mode
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Warning"));
    expectIdle();
    EXPECT_FALSE(window().rightBox()->isReadOnly());
}

TEST_F(RunFromWindowTest, LargeTextModeRunShowsItsResultOnTheScreen) {
    named<QRadioButton>(window(), "optText")->click();
    QString text;
    for (int i = 0; i < 20000; ++i)
        text += QStringLiteral("line %1 x\n").arg(i);
    RightBox* box = window().rightBox();
    box->setPlainText(text);
    QCoreApplication::processEvents();
    box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum()); // at the end
    QCoreApplication::processEvents();
    setTexts(QStringLiteral("x"), QStringLiteral("y"), QString());
    pressStart();
    QCoreApplication::processEvents();

    // What the screen shows of the box is what the box now holds.
    QWidget* viewport = box->viewport();
    const QPoint at = viewport->mapTo(&window(), QPoint(0, 0));
    const QImage shown =
        window()
            .screen()
            ->grabWindow(window().winId(), at.x(), at.y(), viewport->width(), viewport->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(shown == viewport->grab().toImage().convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(box->toPlainText().endsWith(QStringLiteral("line 19999 y\n")));
}

TEST_F(RunFromWindowTest, SelectedFileRunFromTheMenu) {
    writeBytes(tree(QStringLiteral("page.txt")), "one two one\r\nthree one");
    named<QRadioButton>(window(), "optFile")->click();
    setTexts(QStringLiteral("one"), QStringLiteral("1"),
             QDir::toNativeSeparators(tree(QStringLiteral("page.txt"))));
    duringFirstYield([&] { expectRunning(); });
    item("mnuStart")->trigger();

    EXPECT_EQ(yieldsObserved, 1);
    EXPECT_EQ(readBytes(tree(QStringLiteral("page.txt"))), "1 two 1\r\nthree 1");
    EXPECT_EQ(counters(), QStringLiteral("1 1 3"));
    EXPECT_EQ(prompter.texts().last(), kDone);
    QCoreApplication::processEvents();
    EXPECT_EQ(window().rightBox()->toPlainText(), QString()); // it held the file
    expectIdle();
    EXPECT_TRUE(window().rightBox()->isReadOnly());
}

// Types `before`, a line break with Shift+Enter and `after` into `box`.
void typeWithShiftEnter(QWidget* box, const char* before, const char* after) {
    box->setFocus();
    QTest::keyClicks(box, QString::fromUtf8(before));
    QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(box, QString::fromUtf8(after));
}

TEST_F(RunFromWindowTest, LineBreaksTypedWithShiftEnterAreLineBreaks) {
    // Searched for and written into a file, they take the form of the file's line break.
    writeBytes(tree(QStringLiteral("page.txt")), "one\ntwo\n");
    setTexts({}, {}, QDir::toNativeSeparators(tree(QStringLiteral("page.txt"))));
    typeWithShiftEnter(named<MultiLineBox>(window(), "txtSearch"), "one", "two");
    typeWithShiftEnter(named<MultiLineBox>(window(), "txtReplace"), "1", "2");
    pressStart();
    EXPECT_EQ(readBytes(tree(QStringLiteral("page.txt"))), "1\n2\n");
    EXPECT_EQ(counters(), QStringLiteral("1 1 1"));

    // In the right-hand box they meet a line break typed with Enter.
    named<QRadioButton>(window(), "optText")->click();
    window().rightBox()->clear();
    typeWithShiftEnter(window().rightBox(), "a", "b");
    setTexts(QStringLiteral("a\r\nb"), QStringLiteral("c"), {});
    pressStart();
    EXPECT_EQ(counters(), QStringLiteral("1 1 1"));
    QCoreApplication::processEvents();
    EXPECT_EQ(window().rightBox()->toPlainText(), QStringLiteral("c"));
}

TEST_F(RunFromWindowTest, DirectoryTreeRunCountsOnlyTheSearchedTypes) {
    ASSERT_TRUE(QDir(work.path()).mkdir(QStringLiteral("sub")));
    writeBytes(tree(QStringLiteral("a.htm")), "cat cat");
    writeBytes(tree(QStringLiteral("b.txt")), "a cat");
    writeBytes(tree(QStringLiteral("c.css")), "cat"); // not a searched type
    writeBytes(tree(QStringLiteral("e.html")), "dog");
    writeBytes(tree(QStringLiteral("sub/d.php")), "cat\ncat\ncat");
    writeBytes(tree(QStringLiteral("sub/f.pl")), QByteArray("cat\0", 4)); // passed over
    check("chkSub");
    setTexts(QStringLiteral("cat"), QStringLiteral("dog"), treePath());
    duringFirstYield([&] { expectRunning(); });
    pressStart();

    EXPECT_EQ(yieldsObserved, 1);
    EXPECT_EQ(counters(), QStringLiteral("4 3 6"));
    EXPECT_TRUE(prompter.texts().contains("Not a valid file format! Quiting...\n" +
                                          QDir::toNativeSeparators(tree("sub/f.pl"))))
        << prompter.texts().join(u'|').toStdString();
    EXPECT_EQ(readBytes(tree(QStringLiteral("a.htm"))), "dog dog");
    EXPECT_EQ(readBytes(tree(QStringLiteral("b.txt"))), "a dog");
    EXPECT_EQ(readBytes(tree(QStringLiteral("c.css"))), "cat");
    EXPECT_EQ(readBytes(tree(QStringLiteral("sub/d.php"))), "dog\ndog\ndog");
    EXPECT_EQ(prompter.texts().last(), kDone);
    expectIdle();
    QCoreApplication::processEvents();
    EXPECT_EQ(window().rightBox()->toPlainText(), QString()); // it held the last file
}

TEST_F(RunFromWindowTest, WideWindowShowsTheFileBeingWorkedOn) {
    writeFiles(3, 2); // each file has finds, so the first yield comes inside a file
    cmd("cmdExpand")->click();
    setTexts(QStringLiteral("x"), QStringLiteral("y"), treePath());
    duringFirstYield([&] {
        QCoreApplication::processEvents(); // the window's next chance to repaint
        const QString current = shown("lblCurPath");
        EXPECT_TRUE(current.startsWith(treePath())) << current.toStdString();
        EXPECT_EQ(window().rightBox()->toPlainText().toUtf8(),
                  readBytes(QDir::fromNativeSeparators(current)));
    });
    pressStart();

    EXPECT_EQ(yieldsObserved, 1);
    EXPECT_EQ(counters(), QStringLiteral("3 3 6"));
    QCoreApplication::processEvents();
    EXPECT_EQ(window().rightBox()->toPlainText(), QString()); // emptied at the end
}

TEST_F(RunFromWindowTest, CancelFromInsideAYieldEndsWithTheWorkDone) {
    writeFiles(40, 3);
    setTexts(QStringLiteral("x"), QStringLiteral("y"), treePath());
    duringFirstYield([&] { QTest::mouseClick(cmd("cmdStart"), Qt::LeftButton); });
    pressStart();

    ASSERT_EQ(yieldsObserved, 1);
    EXPECT_EQ(prompter.texts().last(), kDone);
    expectIdle();
    // The labels show what was done, and that is what the files hold.
    const auto [files, replaced] = changes(40, 3);
    EXPECT_GE(files, 1); // the file under way when the press came is still written
    EXPECT_LT(files, 40);
    EXPECT_EQ(shown("lblFilesDone"), QString::number(files));
    EXPECT_EQ(shown("lblReplaceMade"), QString::number(replaced));

    // The next run starts normally and finishes the rest.
    pressStart();
    EXPECT_EQ(yieldsObserved, 1);
    EXPECT_EQ(changes(40, 3), std::make_pair(40, 120));
    EXPECT_EQ(shown("lblReplaceMade"), QString::number(120 - replaced));
    expectIdle();
}

TEST_F(RunFromWindowTest, StartSearchMenuDuringARunActsAsCancel) {
    writeFiles(40, 3);
    setTexts(QStringLiteral("x"), QStringLiteral("y"), treePath());
    duringFirstYield([&] {
        item("mnuStart")->trigger();
        EXPECT_TRUE(app.state().cancelFlag);
        EXPECT_TRUE(app.state().runActive); // the run notices the flag at its next test
    });
    item("mnuStart")->trigger();

    ASSERT_EQ(yieldsObserved, 1);
    EXPECT_LT(changes(40, 3).first, 40);
    EXPECT_EQ(prompter.texts().last(), kDone);
    EXPECT_EQ(prompter.shown.size(), 2); // the confirmation once, then the closing message
    expectIdle();
}

TEST_F(RunFromWindowTest, RollBackButtonRestoresWhatARunWithBackupsChanged) {
    writeFiles(5, 2);
    check("chkBackUp");
    setTexts(QStringLiteral("x"), QStringLiteral("y"), treePath());
    pressStart();
    ASSERT_EQ(changes(5, 2).first, 5);
    prompter.shown.clear();

    duringFirstYield([&] {
        EXPECT_TRUE(app.state().rollBackActive);
        EXPECT_EQ(cmd("cmdRollBack")->text(), QStringLiteral("Cancel"));
        EXPECT_TRUE(cmd("cmdRollBack")->isEnabled());
        for (const char* name : {"cmdStart", "cmdClear", "cmdExit", "cmdBrowse"})
            EXPECT_FALSE(cmd(name)->isEnabled()) << name;
        EXPECT_FALSE(item("mnuStart")->isEnabled());
        EXPECT_TRUE(item("mnuRollBack")->isEnabled());
        expectBoxesLocked(true);
    });
    QTest::mouseClick(cmd("cmdRollBack"), Qt::LeftButton);

    EXPECT_EQ(yieldsObserved, 1);
    EXPECT_EQ(changes(5, 2).first, 0);
    EXPECT_TRUE(QDir(work.path()).entryList({QStringLiteral("*_BU")}).isEmpty());
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_TRUE(prompter.shown[0].text.contains(QDir::toNativeSeparators(work.path())));
    EXPECT_EQ(prompter.shown[1].text, kDone);
    expectIdle();
}

TEST_F(RunFromWindowTest, RollBackMenuItemDuringARollBackActsAsCancel) {
    for (int i = 0; i < 40; ++i)
        writeBytes(tree(QStringLiteral("f%1.htm_BU").arg(i)), "old");
    setTexts(QString(), QString(), treePath());
    duringFirstYield([&] { item("mnuRollBack")->trigger(); });
    item("mnuRollBack")->trigger();

    ASSERT_EQ(yieldsObserved, 1);
    EXPECT_FALSE(QDir(work.path()).entryList({QStringLiteral("*_BU")}).isEmpty());
    EXPECT_EQ(prompter.texts().last(), kDone);
    expectIdle();
}

TEST_F(RunFromWindowTest, ExitDuringARunSavesTheSettingsAndEndsAtOnce) {
    writeFiles(40, 3);
    setTexts(QStringLiteral("x"), QStringLiteral("y"), treePath());
    duringFirstYield([&] { item("mnuExit")->trigger(); });
    pressStart();

    ASSERT_EQ(yieldsObserved, 1);
    EXPECT_EQ(terminations, QList<bool>{true}); // work was under way
    EXPECT_TRUE(readBytes(app.paths().iniPath).contains(treePath().toUtf8()));
    EXPECT_FALSE(QFile::exists(app.paths().settingsBackupPath()));
}

} // namespace
} // namespace zuk::test

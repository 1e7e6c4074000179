// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and exit run as the real sequence: the window offscreen, AppData in a temporary
// folder, a terminator that records instead of ending the process.

#include "support/named_child.h"
#include "support/scripted_prompter.h"
#include "ui/check_box.h"
#include "ui/frm_main.h"
#include "ui/main_window_fixture.h"
#include "ui/multi_line_box.h"
#include "ui/qt_yield_hook.h"
#include "ui/window_placement.h"
#include "ui/zuk_application.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace zuk::test {
namespace {

const QStringList kOtherChecks = {"chkSub",       "chkThis",        "chkBackUp",
                                  "chkCase",      "chkLog",         "chkSearchOnly",
                                  "chkDoAllCRLF", "chkKeepLeftSpc", "chkKeepRightSpc"};

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

class StartUpExitTest : public ::testing::Test {
protected:
    StartUpExitTest() { QDir().mkpath(appData); }

    ZukApplication& start(const QString& executableName = QStringLiteral("zuk")) {
        m_app = std::make_unique<ZukApplication>(
            AppEnvironment{appData, temp.path() + QStringLiteral("/bin/") + executableName},
            [this](bool workUnderWay) { terminations.append(workUnderWay); }, &prompter, &yield);
        m_app->Main();
        return *m_app;
    }
    // The close box, or the Exit button: every way out ends in the window's unload.
    void exitApp(bool exitButton = false) {
        const qsizetype before = terminations.size();
        if (exitButton)
            named<QPushButton>(window(), "cmdExit")->click();
        else
            window().close();
        ASSERT_EQ(terminations.size(), before + 1);
        m_app.reset();
    }
    void restart() {
        exitApp();
        start();
    }

    frmMain& window() { return m_app->window(); }
    CheckBox* chk(const QString& name) { return named<CheckBox>(window(), name); }
    QRadioButton* opt(const QString& name) { return named<QRadioButton>(window(), name); }
    QLineEdit* line(const QString& name) { return named<QLineEdit>(window(), name); }
    MultiLineBox* box(const QString& name) { return named<MultiLineBox>(window(), name); }
    bool enabled(const QString& name) { return named<QWidget>(window(), name)->isEnabled(); }

    QString folder(const QString& name = QStringLiteral("zuk")) const {
        return appData + QLatin1Char('/') + name;
    }
    QString ini(const QString& name = QStringLiteral("zuk")) const {
        return folder(name) + QLatin1Char('/') + name + QStringLiteral(".ini");
    }
    QString bak(const QString& name = QStringLiteral("zuk")) const {
        return folder(name) + QLatin1Char('/') + name + QStringLiteral(".bak");
    }

    QTemporaryDir temp;
    QString appData = temp.path() + QStringLiteral("/AppData");
    ScriptedPrompter prompter;
    QtYieldHook yield{0}; // every yield handles events, so a timer fires inside a run
    QList<bool> terminations;

private:
    std::unique_ptr<ZukApplication> m_app;
};

TEST_F(StartUpExitTest, FirstStartShowsTheDefaultsAndTheFirstExitWritesTheSettings) {
    ASSERT_FALSE(QFileInfo::exists(folder()));
    start();

    EXPECT_TRUE(QFileInfo(folder()).isDir());
    EXPECT_FALSE(QFileInfo::exists(ini()));
    EXPECT_FALSE(QFileInfo::exists(bak())); // nothing to copy yet
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(prompter.shown.isEmpty());

    EXPECT_TRUE(opt("optAll")->isChecked());
    EXPECT_FALSE(opt("optFile")->isChecked());
    EXPECT_FALSE(opt("optText")->isChecked());
    EXPECT_EQ(chk("chkAllType")->value(), Checked);
    for (const QString& name : kFileTypeBoxes) {
        EXPECT_EQ(chk(name)->value(), Unchecked) << name.toStdString();
        EXPECT_FALSE(enabled(name)) << name.toStdString();
    }
    for (const QString& name : kOtherChecks)
        EXPECT_EQ(chk(name)->value(), Unchecked) << name.toStdString();
    EXPECT_FALSE(enabled("chkThis"));
    EXPECT_FALSE(enabled("txtThis"));
    EXPECT_FALSE(enabled("chkKeepLeftSpc"));
    EXPECT_FALSE(enabled("chkKeepRightSpc"));
    EXPECT_TRUE(enabled("chkSub"));
    EXPECT_EQ(line("txtThis")->text(), "0");
    EXPECT_EQ(line("txtPath")->text(), "");
    EXPECT_EQ(box("txtSearch")->text(), "");
    EXPECT_EQ(box("txtReplace")->text(), "");

    exitApp();
    EXPECT_EQ(terminations, QList<bool>{false});
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(bak()));
    EXPECT_EQ(readBytes(ini()), "[Options]\r\nOptText=0\r\nOptFile=0\r\nOptAll=1\r\nChkSub=0\r\n"
                                "AllType=1\r\nASP=0\r\nPHP=0\r\nCFM=0\r\nHTM=0\r\nHTML=0\r\n"
                                "PL=0\r\nTXT=0\r\nTHS=0\r\nTHST=0\r\nBU=0\r\nCase=0\r\nLOG=0\r\n"
                                "SERONL=0\r\nPath=\r\nSStr=\r\nRStr=\r\nCRLF=0\r\nSPLT=0\r\n"
                                "SPRT=0\r\n");
}

TEST_F(StartUpExitTest, WindowOpensNarrowWithTheLeftEdgeOfTheCentredFullWidth) {
    start();
    const TwipScale& scale = window().scale();
    const QRect screen = window().screen()->availableGeometry();
    const int fullWidth = scale.px(frmMain::kWideTwips);
    EXPECT_EQ(window().width(), scale.px(frmMain::kNarrowTwips));
    EXPECT_FALSE(window().isWide());
    // A full width wider than the screen would put the left edge off it.
    EXPECT_EQ(window().x(),
              std::max(screen.left(), screen.x() + screen.width() / 2 - fullWidth / 2));
    EXPECT_EQ(window().y(), screen.y() + screen.height() / 2 - window().height() / 2);
}

TEST_F(StartUpExitTest, WindowDesignedTallerThanTheScreenOpensOnItAndScrolls) {
    AppFont font(18);
    start();
    const QRect screen = window().screen()->availableGeometry();
    ASSERT_GT(window().screenFit().designedSize().height(), screen.height());
    const QMargins frame = frameMargins(window());
    EXPECT_TRUE(screen.contains(QRect(window().pos(), window().size().grownBy(frame))));
    QCoreApplication::processEvents();
    const QScrollBar* bar = window().screenFit().scrollArea()->verticalScrollBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_GE(window().height() + bar->maximum(), window().screenFit().designedSize().height());
}

TEST_F(StartUpExitTest, LaterStartKeepsTheBackupWhileRunningAndDeletesItAtExit) {
    start();
    chk("chkCase")->setValue(Checked);
    line("txtPath")->setText(QStringLiteral("/srv/site"));
    restart();

    EXPECT_EQ(chk("chkCase")->value(), Checked);
    EXPECT_EQ(line("txtPath")->text(), "/srv/site");
    ASSERT_TRUE(QFileInfo::exists(bak()));
    EXPECT_EQ(readBytes(bak()), readBytes(ini()));

    exitApp(true);
    EXPECT_FALSE(QFileInfo::exists(bak()));
    EXPECT_TRUE(QFileInfo::exists(ini()));
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(StartUpExitTest, SettingsFileLostWhileItsBackupRemainsIsRestoredAndShown) {
    const QByteArray saved = "[Options]\r\nOptText=1\r\nOptAll=0\r\nCase=1\r\nSStr=kept\r\n";
    writeBytes(bak(), saved);
    start();

    EXPECT_EQ(readBytes(ini()), saved);
    EXPECT_EQ(readBytes(bak()), saved);
    EXPECT_TRUE(opt("optText")->isChecked());
    EXPECT_EQ(chk("chkCase")->value(), Checked);
    EXPECT_EQ(box("txtSearch")->text(), "kept");
}

TEST_F(StartUpExitTest, AfterAKilledRunTheSettingsFileWinsOverTheOldBackup) {
    const QByteArray current = "[Options]\r\nSStr=current\r\n";
    writeBytes(ini(), current);
    writeBytes(bak(), "[Options]\r\nSStr=stale\r\n");
    start();

    EXPECT_EQ(box("txtSearch")->text(), "current");
    EXPECT_EQ(readBytes(ini()), current);
    EXPECT_EQ(readBytes(bak()), current);
}

TEST_F(StartUpExitTest, AnotherExecutableNameUsesItsOwnFolderAndFiles) {
    const QByteArray zuks = "[Options]\r\nSStr=zuk's\r\n";
    writeBytes(ini(), zuks);
    start(QStringLiteral("other"));

    EXPECT_TRUE(QFileInfo(folder("other")).isDir());
    EXPECT_EQ(box("txtSearch")->text(), "");
    box("txtSearch")->setText(QStringLiteral("other's"));
    exitApp();

    EXPECT_TRUE(readBytes(ini("other")).contains("\r\nSStr=other's\r\n"));
    EXPECT_FALSE(QFileInfo::exists(bak("other")));
    EXPECT_EQ(readBytes(ini()), zuks);
    EXPECT_FALSE(QFileInfo::exists(bak()));
}

TEST_F(StartUpExitTest, HandEditedLowerCaseKeyIsReadAndUpdatedInPlace) {
    writeBytes(ini(), "; edited by hand\r\n[options]\r\nlog=1\r\n");
    start();
    EXPECT_EQ(chk("chkLog")->value(), Checked);

    chk("chkLog")->setValue(Unchecked);
    exitApp();
    const QByteArray bytes = readBytes(ini());
    EXPECT_TRUE(bytes.startsWith("; edited by hand\r\n[options]\r\nlog=0\r\n"));
    EXPECT_FALSE(bytes.contains("LOG="));
    EXPECT_FALSE(bytes.contains("[Options]"));
}

TEST_F(StartUpExitTest, LongValueComesBackWholeAndOptFileMinusOneCountsAsOn) {
    const QByteArray search = QByteArray(1000, 'a') + QByteArray(4000, 'b');
    writeBytes(ini(), "[Options]\r\nOptFile=-1\r\nSStr=" + search + "\r\n");
    start();

    EXPECT_EQ(box("txtSearch")->text(), QString::fromLatin1(search));
    EXPECT_TRUE(opt("optFile")->isChecked());
    EXPECT_FALSE(opt("optAll")->isChecked());
    // The option's own click reaction still disables the directory choices.
    EXPECT_FALSE(enabled("chkSub"));
    EXPECT_FALSE(enabled("chkAllType"));
}

TEST_F(StartUpExitTest, TextModeIsSavedAndTheWindowOpensWide) {
    start();
    const QPoint narrowStart = window().pos();
    opt("optText")->setChecked(true);
    restart();

    EXPECT_TRUE(opt("optText")->isChecked());
    EXPECT_FALSE(opt("optFile")->isChecked());
    EXPECT_FALSE(opt("optAll")->isChecked());
    EXPECT_TRUE(window().isWide());
    EXPECT_EQ(window().width(), window().scale().px(frmMain::kWideTwips));
    EXPECT_EQ(window().pos(), narrowStart); // widened to the right of the same left edge
}

TEST_F(StartUpExitTest, FileFiltersAreKeptAndTheirNoteShowsAtTheNextStart) {
    start();
    window().optionControls().setText(OptionId::ExcludePatterns, "node_modules\n/dist");
    window().optionControls().setCheck(OptionId::UseGitIgnore, Checked);
    restart();
    EXPECT_EQ(window().fileFilters(),
              (FileFiltersDialog::Filters{"", "node_modules\n/dist", true}));
    EXPECT_TRUE(named<QLabel>(window(), "Label4")->text().endsWith("(Filtered)"));
}

TEST_F(StartUpExitTest, LoadedSettingsEnableWhatTheClicksWould) {
    struct Case {
        QByteArray ini;
        QStringList enabled, disabled;
    };
    const QStringList dirChoices = QStringList{"chkSub", "chkAllType"} + kFileTypeBoxes;
    const Case cases[] = {
        // Text mode with the types chosen one by one: as choosing text mode by hand.
        {"[Options]\r\nOptText=1\r\nOptAll=0\r\nAllType=0\r\nTHS=1\r\n",
         {"chkThis", "txtThis"},
         dirChoices},
        // The single file, already the selected option, and so without a reaction of its own.
        {"[Options]\r\nOptFile=-1\r\nOptAll=0\r\nAllType=0\r\n",
         {"chkThis"},
         dirChoices + QStringList{"txtThis"}},
        {"[Options]\r\nOptAll=1\r\nAllType=0\r\n",
         dirChoices + QStringList{"chkThis"},
         {"txtThis"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini.constData());
        writeBytes(ini(), c.ini);
        start();
        for (const QString& name : c.enabled)
            EXPECT_TRUE(enabled(name)) << name.toStdString();
        for (const QString& name : c.disabled)
            EXPECT_FALSE(enabled(name)) << name.toStdString();
        exitApp();
    }
}

TEST_F(StartUpExitTest, SingleFileModeWithOwnTypesKeepsTheDisabledBoxesStates) {
    start();
    chk("chkAllType")->setValue(Unchecked);
    chk("chkSub")->setValue(Checked);
    chk("chkHTM")->setValue(Checked);
    chk("chkPHP")->setValue(Checked);
    opt("optFile")->setChecked(true);
    restart();

    EXPECT_TRUE(opt("optFile")->isChecked());
    EXPECT_FALSE(opt("optAll")->isChecked());
    EXPECT_FALSE(enabled("chkSub"));
    EXPECT_FALSE(enabled("chkAllType"));
    for (const QString& name : kFileTypeBoxes) {
        EXPECT_FALSE(enabled(name)) << name.toStdString();
        const bool saved = name == "chkHTM" || name == "chkPHP";
        EXPECT_EQ(chk(name)->value(), saved ? Checked : Unchecked) << name.toStdString();
    }
    EXPECT_EQ(chk("chkSub")->value(), Checked);
    EXPECT_EQ(chk("chkAllType")->value(), Unchecked);
}

TEST_F(StartUpExitTest, MultiLineTextsSurviveARestartExactlyAndSingleLinesStayVerbatim) {
    start();
    box("txtSearch")->setText(QStringLiteral("first line\r\n\tsecond \\n {zuk}\r\n\r\nlast "));
    box("txtReplace")->setText(QStringLiteral("a\tb\r\nc\\d"));
    line("txtPath")->setText(QStringLiteral("C:\\web\\new"));
    const QString search = box("txtSearch")->text();
    const QString replace = box("txtReplace")->text();
    ASSERT_TRUE(search.contains(QStringLiteral("\r\n\r\n")));
    exitApp();

    const QByteArray bytes = readBytes(ini());
    EXPECT_EQ(bytes.count("\r\n"), 25); // the section and 24 keys, one line each
    EXPECT_TRUE(bytes.contains("\r\nSStr={zuk}"));
    EXPECT_TRUE(bytes.contains("\r\nPath=C:\\web\\new\r\n"));

    start();
    EXPECT_EQ(box("txtSearch")->text(), search);
    EXPECT_EQ(box("txtReplace")->text(), replace);
    EXPECT_EQ(line("txtPath")->text(), "C:\\web\\new");
}

TEST_F(StartUpExitTest, UnusableValuesAndBinarySettingsFilesGiveTheDefaults) {
    writeBytes(ini(), "[Options]\r\nOptAll=yes\r\noptText=abc\r\nChkSub=7\r\nCase=-1\r\n"
                      "Alltype=x\r\nlog=1.5\r\nSERONL=\r\n");
    start();
    EXPECT_TRUE(opt("optAll")->isChecked());
    EXPECT_EQ(chk("chkAllType")->value(), Checked);
    for (const QString& name : kOtherChecks)
        EXPECT_EQ(chk(name)->value(), Unchecked) << name.toStdString();
    exitApp();

    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 7919 + 13) % 256);
    ASSERT_TRUE(binary.contains('\0'));
    QFile::remove(ini());
    writeBytes(ini(), binary);
    start();
    EXPECT_TRUE(opt("optAll")->isChecked());
    EXPECT_EQ(chk("chkAllType")->value(), Checked);
    EXPECT_EQ(line("txtThis")->text(), "0");
    EXPECT_EQ(box("txtSearch")->text(), "");
    chk("chkCase")->setValue(Checked);
    restart();

    // The foreign bytes are kept; the settings are added after them and read back.
    EXPECT_TRUE(readBytes(ini()).startsWith(binary));
    EXPECT_EQ(chk("chkCase")->value(), Checked);
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(StartUpExitTest, FolderThatCantBeMadeIsReportedOnceAndExitStaysQuiet) {
    const QString blocker = temp.path() + QStringLiteral("/blocker");
    writeBytes(blocker, "a file, not a folder");
    appData = blocker; // the application folder would have to go inside a regular file
    start();

    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].text.contains(blocker + QStringLiteral("/zuk")));
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(opt("optAll")->isChecked());
    EXPECT_EQ(line("txtThis")->text(), "0");
    chk("chkCase")->setValue(Checked);

    exitApp();
    EXPECT_EQ(terminations, QList<bool>{false});
    EXPECT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(readBytes(blocker), "a file, not a folder");
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"AppData", "blocker"}));

    start(); // nothing was kept
    EXPECT_EQ(chk("chkCase")->value(), Unchecked);
}

// A directory run over files with many finds, so that it yields long before it ends; the
// window closes from inside the first yield that handles events.
class ExitDuringRunTest : public StartUpExitTest {
protected:
    ExitDuringRunTest() {
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            writeBytes(work + QLatin1Char('/') + QLatin1String(name), original);
    }
    void prepareRun(ZukApplication& app) {
        frmMain& window = app.window();
        named<QLineEdit>(window, "txtPath")->setText(work);
        named<MultiLineBox>(window, "txtSearch")->setText(QStringLiteral("needle"));
        named<MultiLineBox>(window, "txtReplace")->setText(QStringLiteral("pin"));
        named<CheckBox>(window, "chkLog")->setValue(Checked);
        QTimer::singleShot(0, &window, [&window] { window.close(); });
    }
    QString logPath() const { return folder() + QStringLiteral("/log.txt"); }
    void expectSavedAsTheControlsStood() {
        const QByteArray bytes = readBytes(ini());
        EXPECT_TRUE(bytes.contains("\r\nSStr=needle\r\nRStr=pin\r\n"));
        EXPECT_TRUE(bytes.contains("\r\nPath=" + work.toUtf8() + "\r\n"));
        EXPECT_TRUE(bytes.contains("\r\nLOG=1\r\n"));
        EXPECT_FALSE(QFileInfo::exists(bak()));
    }

    QString work = temp.path() + QStringLiteral("/site");
    QByteArray original = QByteArray("needle and ").repeated(200);
};

TEST_F(ExitDuringRunTest, ClosingTheWindowDuringARunSavesTheSettingsAsTheyStand) {
    prepareRun(start());
    window().cmdStart_Click();

    // The recording terminator returns, so the run goes on here; the real one ends the process.
    EXPECT_EQ(terminations, QList<bool>{true});
    expectSavedAsTheControlsStood();
}

TEST_F(ExitDuringRunTest, ClosingTheWindowDuringARollBackCountsAsWorkUnderWay) {
    writeBytes(work + QStringLiteral("/a.txt_BU"), "before");
    prepareRun(start());
    window().cmdRollBack_Click();

    EXPECT_EQ(terminations, QList<bool>{true});
    expectSavedAsTheControlsStood();
}

// With the real terminator: the process ends inside the run's yield, before the file being
// worked on is written and without the log's closing lines or a closing message.
using ExitDuringRunDeathTest = ExitDuringRunTest;

TEST_F(ExitDuringRunDeathTest, RealExitEndsTheProcessInsideTheRun) {
    GTEST_FLAG_SET(death_test_style, "fast"); // the child keeps this process's window system
    EXPECT_EXIT(
        {
            ZukApplication app(AppEnvironment{appData, temp.path() + QStringLiteral("/bin/zuk")},
                               {}, &prompter, &yield);
            app.Main();
            prepareRun(app);
            app.window().cmdStart_Click();
            std::_Exit(3); // the run came back: the exit did not end it
        },
        ::testing::ExitedWithCode(0), "");

    expectSavedAsTheControlsStood();
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        EXPECT_EQ(readBytes(work + QLatin1Char('/') + QLatin1String(name)), original) << name;
    EXPECT_EQ(QDir(work).entryList(QDir::Files | QDir::Hidden).size(), 3); // no temporary left
    const QByteArray log = readBytes(logPath());
    EXPECT_TRUE(log.startsWith("==> START\r\n"));
    EXPECT_FALSE(log.contains("==> END"));
    EXPECT_FALSE(log.contains("Total Files"));
}

TEST_F(ExitDuringRunDeathTest, RealExitWithoutWorkLeavesTheEventLoop) {
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(
        {
            ZukApplication app(AppEnvironment{appData, temp.path() + QStringLiteral("/bin/zuk")},
                               {}, &prompter, &yield);
            app.Main();
            QTimer::singleShot(0, &app.window(), [&app] { app.window().close(); });
            std::_Exit(QApplication::exec() == 0 ? 5 : 6);
        },
        ::testing::ExitedWithCode(5), "");

    EXPECT_TRUE(QFileInfo::exists(ini()));
    EXPECT_FALSE(QFileInfo::exists(bak()));
}

} // namespace
} // namespace zuk::test

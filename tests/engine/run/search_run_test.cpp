// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/make_backup.h"
#include "engine/run/headless_run_window.h"
#include "engine/run/search_run.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zuk;
using namespace zuk::test;

namespace {

const QString kDone = "ZUK Done";

class Run : public ::testing::Test {
protected:
    Run() {
        options.values.searchText = "a";
        options.values.replaceText = "o";
        options.values.allTypes = 1;
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path(name)).path());
        writeBytes(path(name), bytes);
    }
    QByteArray read(const QString& name) const { return readBytes(path(name)); }
    QStringList logLines() const {
        QString text = QString::fromUtf8(readBytes(logPath));
        if (text.endsWith("\r\n"))
            text.chop(2);
        return text.split("\r\n");
    }
    RunOutcome start() { return run.start(); }
    void directoryMode(const QString& sub = "site") {
        options.values.path = path(sub) + "/";
        QDir().mkpath(path(sub));
    }

    QTemporaryDir dir;
    QString logPath = dir.filePath("log.txt");
    ValueRunOptions options;
    RunState state;
    HeadlessRunWindow window;
    ScriptedPrompter prompter;
    FunctionYield yield;
    ActivityLog log{logPath, [] { return QDateTime(QDate(2026, 12, 8), QTime(9, 30, 5)); },
                    QLocale::c()};
    SearchRun run{options, state, window, prompter, yield, log, MakeBackup};
};

} // namespace

TEST_F(Run, RightHandTextBecomesBononoAndIsLogged) {
    options.values.optText = true;
    options.values.logChanges = 1;
    window.text = "banana";
    EXPECT_EQ(start(), RunOutcome::Completed);
    EXPECT_EQ(window.text, "bonono");
    EXPECT_EQ(window.counters, (RunCounters{1, 1, 3}));
    ASSERT_EQ(prompter.shown.size(), 1); // the confirmation only: no "ZUK Done" in text mode
    const Message& confirm = prompter.shown.front();
    EXPECT_EQ(confirm.text,
              "WARNING! These changes cannot be undone!!\r\n\r\nDo you want to continue?");
    EXPECT_EQ(confirm.title, "Warning");
    EXPECT_EQ(confirm.buttons, MessageButtons::YesNo);
    EXPECT_EQ(confirm.icon, MessageIcon::Critical);
    EXPECT_EQ(confirm.defaultButton, MessageResult::No);
    EXPECT_TRUE(logLines().contains("3  ~  "));
    EXPECT_FALSE(window.running);
    EXPECT_FALSE(state.runActive);
}

TEST_F(Run, ValidationRefusesWithItsMessageBeforeAnythingChanges) {
    const auto refusal = [&]() {
        prompter.shown.clear();
        EXPECT_EQ(start(), RunOutcome::Refused);
        EXPECT_EQ(prompter.shown.size(), 1);
        return prompter.shown.isEmpty() ? QString() : prompter.shown.front().text;
    };
    options.values.searchText.clear();
    EXPECT_EQ(refusal(), "You must enter somthing to search for before continueing");
    options.values.searchText = "a";
    EXPECT_EQ(refusal(), "You must select a Directory or File before continueing");
    options.values.path = "nofolder"; // no separator: would mean the root, never walked
    EXPECT_EQ(refusal(), "You must select a Directory or File before continueing");
    options.values.optText = true;
    options.values.allTypes = 0; // checked in text mode too
    EXPECT_EQ(refusal(), "You must select or enter atleast one file type to search before "
                         "continueing");
    options.values.customType = 1;
    options.values.customExtension = " .inc";
    EXPECT_EQ(refusal(), "You have selected to enter an extension to search but have filled it "
                         "out incorrectly.\r\n\r\nYour extension must start with a . (Dot)   IE:  "
                         ".ext\r\n\r\nFor more help please see the help file.");
    options.values.customExtension.clear();
    EXPECT_TRUE(refusal().startsWith("You have selected to enter an extension"));
    EXPECT_FALSE(QFileInfo::exists(logPath));
    EXPECT_FALSE(window.running);

    // No at the confirmation changes nothing either.
    options.values.customExtension = ".inc";
    options.values.logChanges = 1;
    window.text = "banana";
    prompter.answers = {MessageResult::No};
    EXPECT_EQ(start(), RunOutcome::Declined);
    EXPECT_EQ(window.text, "banana");
    EXPECT_FALSE(QFileInfo::exists(logPath));
}

TEST_F(Run, SelectedFileWithoutOccurrenceIsNeitherWrittenNorBackedUp) {
    write("page.htm", "nothing to see");
    options.values.optFile = true;
    options.values.path = path("page.htm");
    options.values.searchText = "zebra";
    options.values.makeBackups = 1;
    EXPECT_EQ(start(), RunOutcome::Completed);
    EXPECT_EQ(window.counters, (RunCounters{1, 0, 0}));
    EXPECT_FALSE(QFileInfo::exists(path("page.htm_BU")));
    EXPECT_EQ(prompter.texts().last(), kDone);
}

TEST(FileTypes, EachRowsBoxTakesItsExtensionAlone) {
    for (std::size_t chosen = 0; chosen < kFileTypes.size(); ++chosen) {
        ValueRunOptions options;
        const FileTypeFilter filter(options);
        const auto takes = [&](const QString& name) { return filter.takesFile({}, name); };
        options.values.allTypes = 0;
        options.values.fileTypes[chosen] = Checked;
        for (std::size_t i = 0; i < kFileTypes.size(); ++i) {
            const QString name = QStringLiteral("Page") + QLatin1String(kFileTypes[i].extension);
            EXPECT_EQ(takes(name.toUpper()), i == chosen)
                << kFileTypes[chosen].cliName << " " << name.toStdString();
        }
        // A name outside ASCII is lowered whole before it is compared.
        EXPECT_TRUE(takes(QStringLiteral("\u00dcBER") +
                          QString::fromLatin1(kFileTypes[chosen].extension).toUpper()));
        options.values.fileTypes[chosen] = Greyed; // only a checked box counts
        EXPECT_FALSE(takes(QStringLiteral("a") + QLatin1String(kFileTypes[chosen].extension)));
    }
}

TEST_F(Run, DirectoryRunTakesTheFileTypesAsTabled) {
    directoryMode();
    for (const char* name :
         {"site/a.HTM", "site/b.html", "site/c.css", "site/d.php", "site/e.inc", "site/f.INC"})
        write(name, "a");
    options.values.allTypes = 0;
    options.values.fileTypes[*fileTypeNamed(u"htm")] = 1;
    options.values.path = path("site/b.html"); // a file's path means its whole folder
    EXPECT_EQ(start(), RunOutcome::Completed);
    EXPECT_EQ(window.counters.totFiles, 1);
    EXPECT_EQ(read("site/a.HTM"), "o");
    EXPECT_EQ(read("site/b.html"), "a");

    options.values.allTypes = 1;
    options.values.customType = 1;
    options.values.customExtension = ".inc ";
    options.values.searchText = "o";
    options.values.replaceText = "a";
    EXPECT_EQ(start(), RunOutcome::Completed);
    // the seven fixed types and the custom one, which the lowered name matches
    EXPECT_EQ(window.counters.totFiles, 5);
    EXPECT_EQ(read("site/f.INC"), "a");
    options.values.customExtension = ".INC"; // a capital custom ending never matches
    EXPECT_EQ(start(), RunOutcome::Completed);
    EXPECT_EQ(window.counters.totFiles, 3);
    options.values.customExtension = ".inc";
    options.values.customType = 0;
    EXPECT_EQ(start(), RunOutcome::Completed);
    EXPECT_EQ(window.counters.totFiles, 3);
}

TEST_F(Run, ExistingDirectoryWithoutTrailingSeparatorIsThatDirectory) {
    write("site/inner/x.txt", "a");
    write("site/y.txt", "a");
    options.values.path = path("site/inner");
    EXPECT_EQ(start(), RunOutcome::Completed);
    EXPECT_EQ(read("site/inner/x.txt"), "o");
    EXPECT_EQ(read("site/y.txt"), "a");
}

TEST_F(Run, WholeRunLogsItsLinesInOrder) {
    directoryMode();
    write("site/one.htm", "a a a a a a a a a a a a");
    write("site/two.htm", "none");
    options.values.logChanges = 1;
    options.values.replaceText = "e";
    EXPECT_EQ(start(), RunOutcome::Completed);
    const QString stamp = log.stamp();
    EXPECT_EQ(
        logLines(),
        (QStringList{"==> START", "====> " + stamp, "====> Search Criteria - a",
                     "====> Replace Criteria - e", " ", "      12 ~ " + path("site") + "/one.htm",
                     " ", "====> Total Files    = 2", "====> Items Modified = 1",
                     "====> Replacment done= 12", "====> " + stamp, "==> END", QString(56, '=')}));
    EXPECT_TRUE(window.working.text().isEmpty()); // the box is emptied in the file modes
}

TEST_F(Run, SearchOnlyWritesNothingAndOpensTheLog) {
    directoryMode();
    write("site/one.txt", "a b a a");
    write("site/two.txt", "b");
    const QString one = path("site/one.txt");
    struct stat before {};
    ::stat(QFile::encodeName(one).constData(), &before);
    options.values.searchOnly = 1;
    options.values.logChanges = 1;
    options.values.makeBackups = 1;
    EXPECT_EQ(start(), RunOutcome::Completed);
    EXPECT_EQ(window.counters, (RunCounters{2, 1, 3}));
    struct stat after {};
    ::stat(QFile::encodeName(one).constData(), &after);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(read("site/one.txt"), "a b a a");
    EXPECT_FALSE(QFileInfo::exists(one + "_BU"));
    const QStringList lines = logLines();
    EXPECT_FALSE(lines.join('\n').contains("Replace Criteria"));
    EXPECT_TRUE(lines.contains("====> Items Found    = 3"));
    EXPECT_EQ(prompter.texts(), QStringList{kDone}); // no confirmation for search-only
    EXPECT_EQ(window.logViewerOpened, 1);
}

TEST_F(Run, CancelDuringADirectoryRunStillCloses) {
    directoryMode();
    for (int i = 0; i < 5; ++i)
        write(QString("site/f%1.txt").arg(i), "a");
    options.values.logChanges = 1;
    yield.action = [&](int call) {
        EXPECT_TRUE(window.running);
        if (call == 4) { // the yield after the second file's name
            EXPECT_EQ(run.start(), RunOutcome::CancelRequested);
        }
    };
    EXPECT_EQ(start(), RunOutcome::Cancelled);
    EXPECT_EQ(window.counters.filesDone, 2);
    EXPECT_EQ(logLines().at(logLines().size() - 2), "==> END");
    EXPECT_EQ(prompter.texts().last(), kDone);
    EXPECT_FALSE(state.cancelFlag);
    EXPECT_TRUE(state.batchCancelFlag); // the batch clears its own flag

    yield.action = {};
    EXPECT_EQ(start(), RunOutcome::Completed);
    EXPECT_EQ(window.counters.totFiles, 5);
}

TEST_F(Run, LineBreakTolerantModeTurnsBackupsOff) {
    write("page.htm", "old\r\ntext");
    options.values.optFile = true;
    options.values.path = path("page.htm");
    options.values.searchText = "old text";
    options.values.replaceText = "new text";
    options.values.makeBackups = 1;
    options.values.doAllCrlf = 1;
    EXPECT_EQ(start(), RunOutcome::Completed);
    EXPECT_EQ(options.values.makeBackups, 0);
    EXPECT_EQ(read("page.htm"), "new text");
    EXPECT_FALSE(QFileInfo::exists(path("page.htm_BU")));
}

TEST_F(Run, BackupsKeepThePreviousContent) {
    write("page.htm", "a");
    options.values.optFile = true;
    options.values.path = path("page.htm");
    options.values.makeBackups = 1;
    EXPECT_EQ(start(), RunOutcome::Completed);
    options.values.searchText = "o";
    options.values.replaceText = "u";
    EXPECT_EQ(start(), RunOutcome::Completed);
    EXPECT_EQ(read("page.htm"), "u");
    EXPECT_EQ(read("page.htm_BU"), "o");
}

TEST_F(Run, BatchRunAsksNothingAndReportsNothing) {
    directoryMode();
    write("site/a.txt", "a");
    state.isBatch = true;
    EXPECT_EQ(start(), RunOutcome::Completed);
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_EQ(read("site/a.txt"), "o");
}

TEST_F(Run, FailingFilesAndFailingStepsAreHandledApart) {
    directoryMode();
    write("site/1.txt", "a");
    write("site/2.txt", QByteArray("a\0", 2)); // not text: -1, the run goes on
    write("site/3.txt", "a");
    EXPECT_EQ(start(), RunOutcome::Completed);
    EXPECT_EQ(window.counters, (RunCounters{2, 2, 2}));
    EXPECT_TRUE(prompter.texts().contains("Not a valid file format! Quiting...\n" +
                                          QDir::toNativeSeparators(path("site/2.txt"))));

    // A log that can't be written ends the run with its message, and the window is idle.
    prompter.shown.clear();
    QDir().mkpath(logPath + "/blocked");
    options.values.logChanges = 1;
    write("site/1.txt", "a");
    EXPECT_EQ(start(), RunOutcome::Failed);
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_TRUE(prompter.shown.last().text.startsWith("ERROR: "));
    EXPECT_FALSE(state.runActive);
    EXPECT_FALSE(window.running);
    EXPECT_EQ(read("site/1.txt"), "a");
}

TEST_F(Run, ARunThatMayChangeFilesRemovesWhatAKilledWriterLeftWhereverItWorks) {
    // As a kill between naming the new text and the rename leaves it: complete, unlocked.
    const QStringList leftovers{"site/.a.htm.zuk-Ab12Cd", "site/sub/.b.htm.zuk-Xy34Zw"};
    const struct {
        const char* name;
        QString path;
        CheckValue searchOnly;
        QList<bool> removed; // from site, from site/sub
    } cases[] = {
        {"a replacing run, also where it changes nothing", path("site/"), Unchecked, {true, true}},
        {"a search-only run changes nothing", path("site/"), Checked, {false, false}},
        {"one file: its folder", path("site/sub/b.htm"), Unchecked, {false, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write("site/a.htm", "banana");
        write("site/sub/b.htm", "nothing to find");
        for (const QString& leftover : leftovers)
            write(leftover, "the complete new text");
        options.values.path = c.path;
        options.values.optFile = c.path.endsWith(".htm");
        options.values.subDirectories = Checked;
        options.values.searchOnly = c.searchOnly;
        ASSERT_EQ(start(), RunOutcome::Completed);
        for (qsizetype i = 0; i < leftovers.size(); ++i)
            EXPECT_EQ(QFileInfo::exists(path(leftovers[i])), !c.removed[i]) << i;
    }
}

namespace {

// A dry run's sink: keeps what each file's edit found and commits nothing.
class KeepingSink final : public EditSink {
public:
    EditRequest request() const override {
        EditRequest request;
        request.collectFinds = true;
        return request;
    }
    SinkOutcome take(Edit& edit, ItemKind, RunCounters& counters) override {
        counters.totFiles += 1;
        kept.append(QFileInfo(edit.path).fileName() + ":" + QString::number(edit.finds.size()));
        return SinkOutcome::taken();
    }
    QStringList kept;
};

} // namespace

TEST_F(Run, ASinkMayKeepTheEditsAndLeaveEveryFileAsItWas) {
    directoryMode();
    write("site/one.txt", "a b a");
    write("site/two.txt", "b");
    for (const int preparers : {0, 2}) {
        KeepingSink sink;
        run.setSink(sink);
        if (preparers > 0)
            run.prepareInParallel(
                preparers, [this] { return std::make_unique<ValueRunOptions>(options.values); });
        EXPECT_EQ(start(), RunOutcome::Completed);
        sink.kept.sort();
        EXPECT_EQ(sink.kept, (QStringList{"one.txt:2", "two.txt:0"})) << preparers;
        EXPECT_EQ(window.counters, (RunCounters{2, 0, 0}));
        EXPECT_EQ(read("site/one.txt"), "a b a");
    }
}

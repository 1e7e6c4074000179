// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/headless_run_window.h"
#include "engine/run/search_run.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zuk;
using namespace zuk::test;

namespace {

// A directory run over a small web tree with the selection options a test sets; what it
// changed tells which files it took.
class Selection : public ::testing::Test {
protected:
    Selection() {
        options.values.searchText = "a";
        options.values.replaceText = "o";
        options.values.subDirectories = Checked;
        options.values.path = dir.filePath("site") + "/";
    }
    QString file(const QString& name) const { return dir.filePath("site/" + name); }
    void write(const QString& name, const QByteArray& bytes = "a") {
        QDir().mkpath(QFileInfo(file(name)).path());
        writeBytes(file(name), bytes);
    }
    // Each message shown, with what it names.
    QString shown() const {
        QStringList out;
        for (const Message& m : prompter.shown)
            out.append(m.subject.isEmpty() ? m.text : m.text + " @ " + m.subject);
        return out.join(" | ");
    }
    // Starts the run: "OUTCOME FAILED searched N [MESSAGES]".
    QString startAndTell() {
        const RunOutcome outcome = run.start();
        return QStringLiteral("%1 %2 searched %3 [%4]")
            .arg(int(outcome))
            .arg(run.filesFailed())
            .arg(window.counters.totFiles)
            .arg(shown());
    }
    // The files of `names` changed, as "a.php src/c.md".
    QString changed(const QStringList& names) const {
        QStringList out;
        for (const QString& name : names) {
            if (readBytes(file(name)) == "o")
                out.append(name);
        }
        return out.join(u' ');
    }

    QTemporaryDir dir;
    ValueRunOptions options;
    RunState state;
    HeadlessRunWindow window;
    ScriptedPrompter prompter;
    FunctionYield yield;
    ActivityLog log{dir.filePath("log.txt")};
    SearchRun run{
        options, state, window, prompter, yield, log, [](const QString&) {
                      return Status(); }};
};

} // namespace

TEST_F(Selection, PatternsWidenAndNarrowTheFileTypes) {
    const QStringList tree = {"a.php",    "README.md",          "src/b.php",
                              "src/c.md", "node_modules/d.php", "src/vendor/e.php",
                              "f.txt",    "dist/g.php"};
    const struct {
        const char* name;
        bool allTypes;
        QString include, exclude;
        QString changed;
    } cases[] = {
        {"no option: the file types", true, "", "",
         "a.php src/b.php node_modules/d.php src/vendor/e.php f.txt dist/g.php"},
        {"exclude names and folders at any depth", true, "", "node_modules\nvendor/\n*.txt",
         "a.php src/b.php dist/g.php"},
        {"an anchored exclude", true, "", "/dist\n/vendor",
         "a.php src/b.php node_modules/d.php "
         "src/vendor/e.php f.txt"},
        {"an exclude re-included", true, "", "*.php\n!src/**/*.php",
         "src/b.php src/vendor/e.php f.txt"},
        {"include alone: only what it names", false, "*.md", "", "README.md src/c.md"},
        {"include beside the types", true, "*.md", "node_modules/",
         "a.php README.md src/b.php src/c.md src/vendor/e.php f.txt dist/g.php"},
        {"include of folders", false, "src/\n!vendor", "", "src/b.php src/c.md"},
        {"include of '!' patterns alone narrows the types", true, "!dist\n!node_modules", "",
         "a.php src/b.php src/vendor/e.php f.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& name : tree)
            write(name);
        options.values.allTypes = c.allTypes ? Checked : Unchecked;
        options.values.includePatterns = c.include;
        options.values.excludePatterns = c.exclude;
        EXPECT_EQ(run.start(), RunOutcome::Completed) << prompter.texts().join(" | ").toStdString();
        EXPECT_EQ(changed(tree).toStdString(), c.changed.toStdString());
        prompter.shown.clear();
    }
}

// Search-only runs, as another user, of a tree with a folder it may not open.
TEST_F(Selection, AFolderLeftOutIsNeverOpened) {
    options.values.searchOnly = Checked;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    write("a.txt");
    write("build/b.txt");
    write("locked/c.txt");
    write(".gitignore", "/locked/\nbuild\n");
    const QByteArray locked = QFile::encodeName(file("locked"));
    ::chmod(locked.constData(), 0);
    const struct {
        const char* name;
        QString exclude;
        CheckValue gitIgnore;
    } cases[] = {{"an exclude", "locked\nbuild/", Unchecked},
                 {"the tree's .gitignore", "", Checked}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        options.values.excludePatterns = c.exclude;
        options.values.useGitIgnore = c.gitIgnore;
        const QString result = runUnprivileged([&] { return startAndTell(); });
        EXPECT_EQ(result.toStdString(), QStringLiteral("%1 0 searched 1 [ZUK Done]")
                                            .arg(int(RunOutcome::Completed))
                                            .toStdString());
    }
    ::chmod(locked.constData(), 0755);
}

TEST_F(Selection, AnIgnoreFileThatCantBeReadIsNamedAndTheRunGoesOn) {
    options.values.searchOnly = Checked;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    write("a.txt");
    write("sub/b.txt");
    write("sub/.gitignore", "b.txt\n");
    const QByteArray ignore = QFile::encodeName(file("sub/.gitignore"));
    ::chmod(ignore.constData(), 0);
    options.values.useGitIgnore = Checked;
    const QString result = runUnprivileged([&] { return startAndTell(); });
    ::chmod(ignore.constData(), 0644);
    // Passed over as git does: its patterns don't count, so b.txt is searched.
    EXPECT_TRUE(
        result.startsWith(QStringLiteral("%1 1 searched 2 [").arg(int(RunOutcome::Completed))))
        << result.toStdString();
    EXPECT_TRUE(result.contains(".gitignore")) << result.toStdString();
}

TEST_F(Selection, APatternThatCanMatchNothingRefusesTheRun) {
    write("a.txt");
    options.values.excludePatterns = "*.css\n[abc";
    EXPECT_EQ(run.start(), RunOutcome::Refused);
    EXPECT_EQ(readBytes(file("a.txt")), "a");
}

TEST_F(Selection, TheLogsRunHeaderNamesTheSelectionOfADirectoryRunOnly) {
    write("a.txt");
    options.values.logChanges = Checked;
    options.values.includePatterns = "*.md\n\n  \nsrc/";
    options.values.excludePatterns = "vendor";
    options.values.useGitIgnore = Checked;
    const auto header = [&] {
        QFile::remove(dir.filePath("log.txt"));
        EXPECT_EQ(run.start(), RunOutcome::Completed);
        QString text = QString::fromUtf8(readBytes(dir.filePath("log.txt")));
        return text.left(text.indexOf("\r\n \r\n")).section("\r\n", 4).split("\r\n");
    };
    EXPECT_EQ(header(), QStringList({"====> Include Pattern - *.md", "====> Include Pattern - src/",
                                     "====> Exclude Pattern - vendor",
                                     "====> Skip what .gitignore files exclude"}));
    // A file run takes no selection; nor does a run without one.
    options.values.optAll = false;
    options.values.optFile = true;
    options.values.path = file("a.txt");
    EXPECT_EQ(header(), QStringList({""}));
}

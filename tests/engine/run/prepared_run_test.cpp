// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/make_backup.h"
#include "engine/run/headless_run_window.h"
#include "engine/run/search_run.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace zuk;
using namespace zuk::test;

namespace {

struct Outcome {
    RunCounters counters;
    QStringList messages;
    QString log;
    QMap<QString, QByteArray> files; // every file of the tree afterwards, backups included
    QSet<QString> links;             // those of them that are symbolic links
};

// A tree with changed files, files without a find, one that is not text, links beside their
// targets and a sub-folder, run by one thread or with the files prepared by a pool.
Outcome runTree(int preparers, CheckValue searchOnly, CheckValue backups, CheckValue lineBreaks,
                std::function<void(int, RunState&, const HeadlessRunWindow&)> atYield = {}) {
    QTemporaryDir dir;
    const QString site = dir.filePath("site");
    QDir().mkpath(site + "/sub");
    for (int i = 0; i < 12; ++i)
        writeBytes(site + QString("/f%1.txt").arg(i, 2, 10, QChar('0')),
                   i % 3 == 0 ? QByteArray("nothing here\n") : QByteArray(i, 'x') + "a b a\r\n");
    writeBytes(site + "/sub/deep.htm", "a\nb");
    writeBytes(site + "/f05.txt", QByteArray("a\0b", 3));
    ::symlink("f01.txt", (site + "/f01b.txt").toLocal8Bit().constData());
    // Second names of a file that fails (told apart without the routine's help) and of a link.
    ::symlink("f05.txt", (site + "/f05b.txt").toLocal8Bit().constData());
    ::symlink("f01b.txt", (site + "/f01c.txt").toLocal8Bit().constData());

    ValueRunOptions options;
    options.values.searchText = "a b";
    options.values.replaceText = "o";
    options.values.allTypes = 1;
    options.values.subDirectories = 1;
    options.values.path = site + "/";
    options.values.searchOnly = searchOnly;
    options.values.makeBackups = backups;
    options.values.doAllCrlf = lineBreaks;
    options.values.logChanges = 1;
    RunState state;
    HeadlessRunWindow window;
    ScriptedPrompter prompter;
    FunctionYield yield([&](int call) {
        if (atYield)
            atYield(call, state, window);
    });
    const QString logPath = dir.filePath("log.txt");
    ActivityLog log{logPath, [] { return QDateTime(QDate(2026, 12, 8), QTime(9, 30, 5)); },
                    QLocale::c()};
    SearchRun run{options, state, window, prompter, yield, log, MakeBackup};
    if (preparers > 0)
        run.prepareInParallel(preparers,
                              [&] { return std::make_unique<ValueRunOptions>(options); });
    run.start();

    // Paths are compared from the tree's folder on.
    Outcome outcome{
        window.counters, {}, QString::fromUtf8(readBytes(logPath)).remove(site), {}, {}};
    for (const Message& m : prompter.shown)
        outcome.messages.append(QString(m.text + "|" + m.subject).remove(site));
    QDirIterator it(site, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        outcome.files[QString(file).remove(site)] = readBytes(file);
        if (it.fileInfo().isSymLink())
            outcome.links.insert(QString(file).remove(site));
    }
    return outcome;
}

} // namespace

// Messages, counters, log and files are those of the run on one thread.
TEST(PreparedRun, DoesWhatTheSingleThreadedRunDoes) {
    const struct {
        CheckValue searchOnly, backups, lineBreaks;
    } cases[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (const auto& c : cases) {
        const Outcome one = runTree(0, c.searchOnly, c.backups, c.lineBreaks);
        const Outcome pool = runTree(2, c.searchOnly, c.backups, c.lineBreaks);
        EXPECT_EQ(pool.counters, one.counters) << c.searchOnly << c.backups << c.lineBreaks;
        EXPECT_EQ(pool.messages.join("\n").toStdString(), one.messages.join("\n").toStdString());
        EXPECT_EQ(pool.log.toStdString(), one.log.toStdString());
        EXPECT_EQ(pool.files, one.files);
        EXPECT_GT(one.counters.filesDone, 4);
    }
}

// A Cancel after the second commit leaves the files prepared after it as they were, and no
// temporary file behind.
TEST(PreparedRun, CancelDropsWhatWasPreparedButNotCommitted) {
    const Outcome untouched = runTree(0, 1, 0, 0);
    const Outcome cancelled = runTree(3, 0, 0, 0, [](int, RunState& state, const auto& window) {
        if (window.counters.filesDone == 2)
            state.cancelFlag = true;
    });
    EXPECT_EQ(cancelled.counters.filesDone, 2);
    int changed = 0;
    for (auto it = cancelled.files.cbegin(); it != cancelled.files.cend(); ++it)
        changed +=
            !cancelled.links.contains(it.key()) && untouched.files.value(it.key()) != it.value();
    EXPECT_EQ(changed, 2);
    EXPECT_EQ(cancelled.files.keys(), untouched.files.keys());
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The batch in one run against its entries run one after another: random trees and random
// batch files, the same files, counters, messages and log.
#include "batch/batch_run.h"
#include "cli/cli_batch_window.h"
#include "cli/cli_run_window.h"
#include "cli/progress_line.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>
#include <sstream>

using namespace zuk;
using namespace zuk::test;

namespace {

// What a batch left and said, its folder's path written <root>.
struct BatchResult {
    BatchOutcome outcome = BatchOutcome::Refused;
    QMap<QString, QByteArray> files;
    QStringList messages;
    QString log;
    RunCounters shown;
    qint64 failed = 0;
    QStringList entries; // each entry's counters, as the search-only lines show them
};

struct Trial {
    QMap<QString, QByteArray> tree;
    QByteArray batch;
    RunOptionValues options;
    bool pool = false;
    bool readOnlyFolder = false; // sub/deeper: its files can't be written
};

template <typename T> const T& pick(std::mt19937& random, std::initializer_list<T> items) {
    return items.begin()[std::uniform_int_distribution<size_t>(0, items.size() - 1)(random)];
}

// Few letters, so that entries find what earlier ones left, and line breaks of both forms.
QByteArray someText(std::mt19937& random) {
    QByteArray text;
    for (int n = std::uniform_int_distribution(0, 30)(random); n > 0; --n)
        text +=
            pick<QByteArray>(random, {"a", "b", "c", " ", "ab", "a b", "\r\n", "\n", "\xc3\xa9"});
    return text;
}

Trial makeTrial(unsigned seed) {
    std::mt19937 random(seed);
    Trial trial;
    for (const char* name : {"one.txt", "two.htm", "sub/three.txt", "sub/deeper/four.php"})
        trial.tree[name] = someText(random);
    if (seed % 5 == 0)
        trial.tree["sub/binary.txt"] = QByteArray("ab\0\0cd", 6); // refused by every entry
    for (int n = std::uniform_int_distribution(1, 6)(random); n > 0; --n) {
        const QByteArray search =
            seed % 7 == unsigned(n)
                ? QByteArray() // an entry that is refused
                : pick<QByteArray>(random, {"a", "b", "c", "ab", "a b", "b c", "\xc3\xa9"});
        const QByteArray replace =
            pick<QByteArray>(random, {"", "b", "ba", "a\r\nb", "c a", "A", "\xc3\xa9", "ab"});
        trial.batch += '"' + search + "\"|\"" + replace + "\"\r\n";
    }
    RunOptionValues& options = trial.options;
    options.optAll = true;
    options.subDirectories = 1;
    options.allTypes = 1;
    options.logChanges = 1;
    options.caseSensitive = pick(random, {0, 1});
    options.doAllCrlf = pick(random, {0, 0, 1});
    options.keepSpaceLeft = pick(random, {0, 1});
    options.searchOnly = seed % 4 == 1;
    trial.pool = seed % 2 == 0;
    trial.readOnlyFolder = seed % 3 == 2;
    return trial;
}

QString withRoot(QString text, const QString& root) {
    return text.replace(root, "<root>");
}

BatchResult runBatch(const Trial& trial, bool together) {
    QTemporaryDir dir;
    const QString root = dir.path();
    for (auto it = trial.tree.begin(); it != trial.tree.end(); ++it) {
        QDir().mkpath(QFileInfo(root + "/tree/" + it.key()).path());
        writeBytes(root + "/tree/" + it.key(), it.value());
    }
    writeBytes(root + "/batch.txt", trial.batch);
    if (trial.readOnlyFolder)
        QFile::setPermissions(root + "/tree/sub/deeper", QFile::ReadOwner | QFile::ExeOwner);

    ValueRunOptions options(trial.options);
    options.values.path = root + "/tree";
    RunState state;
    ProgressLine progress(false, 80, {});
    CliRunWindow window(progress);
    ScriptedPrompter prompter;
    FunctionYield yield;
    const ActivityLog log(root + "/log.txt",
                          [] { return QDateTime(QDate(2026, 1, 2), QTime(3, 4)); });
    SearchRun run(options, state, window, prompter, yield, log, {});
    if (trial.pool)
        run.prepareInParallel(1, [&] { return std::make_unique<ValueRunOptions>(options.values); });
    CliBatchWindow batchWindow(root + "/batch.txt", BatchFormat{"|", true}, options, run, window);
    batchWindow.setTogether(together);
    BatchRun batch(batchWindow, batchWindow, state, prompter, yield);

    BatchResult result;
    result.outcome = batch.start();
    for (QDirIterator it(root + "/tree", QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        result.files[withRoot(path, root)] = readBytes(path);
    }
    for (const QString& text : prompter.texts())
        result.messages.append(withRoot(text, root));
    for (const Message& message : std::as_const(prompter.shown))
        result.messages.append(withRoot(message.subject, root));
    if (QFileInfo::exists(root + "/log.txt"))
        result.log = withRoot(QString::fromUtf8(readBytes(root + "/log.txt")), root);
    result.shown = window.counters;
    result.failed = batchWindow.filesFailed();
    for (const CliBatchWindow::EntryCount& entry : batchWindow.entryCounts())
        result.entries.append(QString("%1 %2 %3 %4 %5")
                                  .arg(entry.search)
                                  .arg(entry.refused)
                                  .arg(entry.counters.totFiles)
                                  .arg(entry.counters.filesDone)
                                  .arg(entry.counters.replaceMade));
    if (trial.readOnlyFolder)
        QFile::setPermissions(root + "/tree/sub/deeper",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return result;
}

void describe(const BatchResult& r, std::ostream* os) {
    *os << "outcome " << int(r.outcome) << " shown " << r.shown.totFiles << '/' << r.shown.filesDone
        << '/' << r.shown.replaceMade << " failed " << r.failed
        << "\nentries: " << r.entries.join(" | ").toStdString()
        << "\nmessages: " << r.messages.join(" | ").toStdString() << "\nlog:\n"
        << r.log.toStdString() << "files:\n";
    for (auto it = r.files.begin(); it != r.files.end(); ++it)
        *os << "  " << it.key().toStdString() << ": " << it.value().toStdString() << '\n';
}

// The batch's result as text, made where a folder's permissions hold.
QString runTrial(const Trial& trial, bool together) {
    const auto described = [&] {
        std::ostringstream text;
        describe(runBatch(trial, together), &text);
        return QString::fromStdString(text.str());
    };
    return trial.readOnlyFolder ? runUnprivileged(described) : described();
}

} // namespace

TEST(BatchOnePass, GivesWhatTheEntriesOneAfterAnotherGive) {
    for (unsigned seed = 0; seed < 48; ++seed) {
        SCOPED_TRACE(seed);
        const Trial trial = makeTrial(seed);
        ASSERT_EQ(runTrial(trial, true), runTrial(trial, false)) << trial.batch.toStdString();
    }
}

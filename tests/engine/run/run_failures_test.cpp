// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/headless_run_window.h"
#include "engine/run/search_run.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <new>
#include <sys/stat.h>

using namespace zuk;
using namespace zuk::test;

namespace {

// A directory run over a.txt, b.txt and c.txt in which b.txt fails, at a moment a test
// chooses: while it is being replaced (the yield of its first find) or when its backup is made.
class RunFailures : public ::testing::Test {
protected:
    RunFailures() {
        options.values.searchText = "a";
        options.values.replaceText = "o";
        options.values.allTypes = 1;
        options.values.logChanges = 1;
        options.values.makeBackups = 1;
        options.values.path = dir.filePath("site") + "/";
        QDir().mkpath(dir.filePath("site"));
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            writeBytes(file(name), "banana");
        yield.action = [this](int) {
            if (duringB && window.currentPath == file("b.txt"))
                std::exchange(duringB, {})();
        };
    }
    QString file(const QString& name) const { return dir.filePath("site/" + name); }
    QString logText() const { return QString::fromUtf8(readBytes(dir.filePath("log.txt"))); }

    QTemporaryDir dir;
    ValueRunOptions options;
    RunState state;
    HeadlessRunWindow window;
    ScriptedPrompter prompter;
    FunctionYield yield;
    ActivityLog log{dir.filePath("log.txt")};
    std::function<void()> duringB;
    std::function<Status()> backupOfB;
    SearchRun run{options, state, window, prompter, yield, log, [this](const QString& path) {
                      return path == file("b.txt") && backupOfB ? backupOfB() : Status();
                  }};
};

} // namespace

TEST_F(RunFailures, AFileThatFailsOnItsOwnIsNamedAndTheRunGoesOn) {
    const struct {
        const char* name;
        QByteArray b;
        std::function<void(const QString& b)> duringB;
        std::function<Status()> backupOfB;
        QString message;
        std::optional<QByteArray> bAfter;
    } cases[] = {
        {"changed on disk",
         "banana",
         [](const QString& b) {
             QFile f(b);
             ASSERT_TRUE(f.open(QIODevice::Append));
             f.write("!");
         },
         {},
         "ERROR: 75 ",
         "banana!"},
        {"vanished",
         "banana",
         [](const QString& b) { QFile::remove(b); },
         {},
         "ERROR: 53 File not found",
         std::nullopt},
        {"out of memory while replacing",
         "banana",
         [](const QString&) { throw std::bad_alloc(); },
         {},
         "ERROR: 7 Out of memory",
         "banana"},
        {"out of memory while saving",
         "banana",
         {},
         []() -> Status { throw std::bad_alloc(); },
         "ERROR: 7 Out of memory",
         "banana"},
        {"not text",
         QByteArray("ban\0ana", 7),
         {},
         {},
         "Not a valid file format! Quiting...",
         QByteArray("ban\0ana", 7)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(file("a.txt"), "banana");
        writeBytes(file("b.txt"), c.b);
        writeBytes(file("c.txt"), "banana");
        QFile::remove(dir.filePath("log.txt"));
        prompter.shown.clear();
        duringB = c.duringB ? std::function<void()>([&] { c.duringB(file("b.txt")); })
                            : std::function<void()>();
        backupOfB = c.backupOfB;

        EXPECT_EQ(run.start(), RunOutcome::Completed);
        ASSERT_EQ(prompter.shown.size(), 3); // the confirmation, the failure, the end
        EXPECT_TRUE(prompter.shown[1].text.startsWith(c.message))
            << prompter.shown[1].text.toStdString();
        EXPECT_EQ(prompter.shown[1].subject, file("b.txt"));
        EXPECT_EQ(prompter.shown[2].text, "ZUK Done");
        EXPECT_EQ(run.filesFailed(), 1);
        EXPECT_EQ(readBytes(file("a.txt")), "bonono");
        EXPECT_EQ(readBytes(file("c.txt")), "bonono");
        EXPECT_EQ(QFileInfo::exists(file("b.txt")), c.bAfter.has_value());
        if (c.bAfter) {
            EXPECT_EQ(readBytes(file("b.txt")), *c.bAfter);
        }
        EXPECT_EQ(window.counters.filesDone, 2);
        EXPECT_EQ(window.counters.replaceMade, 6);
        // The log lists the files written, and only those.
        const QString logged = logText();
        EXPECT_TRUE(logged.contains(file("a.txt")) && logged.contains(file("c.txt")));
        EXPECT_FALSE(logged.contains(file("b.txt")));
        EXPECT_TRUE(logged.contains("====> Items Modified = 2\r\n"));
    }
}

TEST_F(RunFailures, DiskFullOrAnIoErrorEndsTheRun) {
    for (int number : {ErrorNumber::DiskFull, ErrorNumber::DeviceIo}) {
        writeBytes(file("b.txt"), "banana");
        prompter.shown.clear();
        backupOfB = [number] { return Status(makeError(number)); };
        EXPECT_EQ(run.start(), RunOutcome::Failed);
        EXPECT_EQ(prompter.shown.last().text, makeError(number).message());
        EXPECT_EQ(prompter.shown.last().subject, file("b.txt"));
        EXPECT_FALSE(prompter.texts().contains("ZUK Done"));
        EXPECT_FALSE(logText().contains("==> END"));
        EXPECT_FALSE(window.running);
        EXPECT_EQ(readBytes(file("b.txt")), "banana");
    }
}

TEST_F(RunFailures, AFolderThatCantBeReadIsNamedPassedOverAndCounted) {
    QDir().mkpath(file("locked/below"));
    QDir().mkpath(file("open"));
    writeBytes(file("locked/b.txt"), "banana");
    writeBytes(file("open/d.txt"), "banana");
    // Open to the user nobody, but the folder "locked", which they may not read.
    for (const QString& path : {dir.path(), file(""), file("open")})
        ::chmod(QFile::encodeName(path).constData(), 0777);
    for (const char* name : {"a.txt", "b.txt", "c.txt", "open/d.txt"})
        ::chmod(QFile::encodeName(file(name)).constData(), 0666);
    ::chmod(QFile::encodeName(file("locked")).constData(), 0300);
    options.values.logChanges = 0;
    options.values.makeBackups = 0;

    const struct {
        const char* name;
        QString path;
        CheckValue subDirectories;
        int preparers;
        QByteArray changed; // the files outside "locked" afterwards
    } cases[] = {
        {"the walk, one thread", file(""), Checked, 0, "bonono"},
        {"the walk, prepared ahead", file(""), Checked, 2, "bonono"},
        {"the folder itself", file("locked/"), Unchecked, 0, "banana"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* name : {"a.txt", "b.txt", "c.txt", "open/d.txt"})
            writeBytes(file(name), "banana");
        options.values.path = c.path;
        options.values.subDirectories = c.subDirectories;
        const QString result = runUnprivileged([&] {
            if (c.preparers > 0)
                run.prepareInParallel(c.preparers, [this] {
                    return std::make_unique<ValueRunOptions>(options.values);
                });
            const RunOutcome outcome = run.start();
            QStringList shown{QString::number(int(outcome)), QString::number(run.filesFailed())};
            for (const Message& message : prompter.shown.mid(1))
                shown.append(message.text + " @ " + message.subject);
            return shown.join("|");
        });
        EXPECT_EQ(result.toStdString(),
                  (QString::number(int(RunOutcome::Completed)) + "|1|" +
                   "ERROR: 70 Permission denied @ " + file("locked") + "|ZUK Done @ ")
                      .toStdString());
        for (const char* name : {"a.txt", "b.txt", "c.txt", "open/d.txt"})
            EXPECT_EQ(readBytes(file(name)), c.changed) << name;
        EXPECT_EQ(readBytes(file("locked/b.txt")), "banana");
    }
}

// More finds than a 32-bit count holds are counted and logged as they are.
TEST(RunCounters, CountBeyondTwoToTheThirtyOne) {
    const qint64 many = 3'000'000'000;
    const ActivityLog log(
        QString(), [] { return QDateTime(); }, QLocale::c());
    EXPECT_EQ(ActivityLog::itemLine(many, "f"), "3000000000  ~  f");
    EXPECT_EQ(ActivityLog::directoryItemLine(many, "f"), "      3000000000 ~ f");
    EXPECT_TRUE(log.runTrailer(RunCounters{many, many, many}, 0)
                    .contains("====> Replacment done= 3000000000"));
}

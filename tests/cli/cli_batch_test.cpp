// SPDX-License-Identifier: GPL-3.0-or-later
// zuk-cli --batch and --batch-test, run as a script would run them on real temporary trees.
#include "support/temp_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace zuk::test;

namespace {

const QByteArray kDone = "ZUK is done with the Batch Processing\n";
const QByteArray kNoSearch = "You must enter somthing to search for before continueing\n";
const QByteArray kNoFile = "You must select file with batch item entries\n";
const QByteArray kFailedTest =
    "Batch File Failed Test, Either wrong delineation or quote select wrong, Quiting...\n";
// Chained entries, a line without the delimiter and one with an empty search text.
const QByteArray kEntries = "apple|pear\r\n|nothing\r\nno entry\r\nbanana|kiwi\r\npear|plum";

QByteArray counters(qint64 searched, qint64 changed, qint64 replaced) {
    return QString("Items Searched : %1\nItems Changed : %2\nReplaced Items : %3\n")
        .arg(searched)
        .arg(changed)
        .arg(replaced)
        .toUtf8();
}

struct Ran {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

class CliBatch : public ::testing::Test {
protected:
    CliBatch() {
        write("e.txt", kEntries);
        write("site/a.htm", "apple banana apple");
        write("site/sub/b.txt", "banana");
        QDir().mkpath(path("appdata"));
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path(name)).path());
        writeBytes(path(name), bytes);
    }

    // Its own session: no terminal to confirm on, and the log in AppData here.
    void start(QProcess& process, const QStringList& arguments) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("AppData", path("appdata"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir.path());
        process.setChildProcessModifier([] { ::setsid(); });
        process.start(QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../zuk-cli"),
                      arguments);
        EXPECT_TRUE(process.waitForStarted());
    }
    static Ran finished(QProcess& process) {
        EXPECT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        return Ran{process.exitCode(), process.readAllStandardOutput(),
                   process.readAllStandardError()};
    }
    Ran run(const QStringList& arguments, const QByteArray& input = {}) const {
        QProcess process;
        start(process, arguments);
        process.write(input);
        process.closeWriteChannel();
        return finished(process);
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(CliBatch, AppliesEachEntryInTurnInEveryMode) {
    const struct {
        const char* name;
        QStringList arguments;
        QByteArray input, out, err, a, b;
    } cases[] = {
        {"directory, with the other options",
         {"--batch", "e.txt", "--subdirs", "site"},
         {},
         counters(2, 4, 6),
         kNoSearch + kDone,
         "plum kiwi plum",
         "kiwi"},
        {"file",
         {"--batch", "e.txt", "-m", "file", "site/a.htm"},
         {},
         counters(1, 3, 5),
         kNoSearch + kDone,
         "plum kiwi plum",
         "banana"},
        {"directory, its patterns in every entry",
         {"--batch", "e.txt", "--subdirs", "--exclude", "sub/", "site"},
         {},
         counters(1, 3, 5),
         kNoSearch + kDone,
         "plum kiwi plum",
         "banana"},
        {"several files, one given twice",
         {"--batch", "e.txt", "-m", "file", "site/a.htm", "site/sub/b.txt", "site/a.htm"},
         {},
         counters(2, 4, 6),
         kNoSearch + kDone,
         "plum kiwi plum",
         "kiwi"},
        {"text: one text out at the end",
         {"--batch", "e.txt", "-m", "text"},
         "apple banana apple",
         "plum kiwi plum",
         kNoSearch + kDone + counters(1, 3, 5),
         "apple banana apple",
         "banana"},
        {"search only: a line per entry before the totals",
         {"--batch", "e.txt", "--subdirs", "--search-only", "site"},
         {},
         "Entry 1 \"apple\": 2 finds in 1 files\nEntry 2 \"\": refused\n"
         "Entry 3 \"banana\": 2 finds in 2 files\nEntry 4 \"pear\": 0 finds in 0 files\n" +
             counters(2, 3, 4),
         kNoSearch + kDone,
         "apple banana apple",
         "banana"},
        {"search only in text mode: the lines go to standard error",
         {"--batch", "e.txt", "-m", "text", "--search-only"},
         "apple\tbanana",
         "apple\tbanana",
         kNoSearch + kDone +
             "Entry 1 \"apple\": 1 finds in 1 files\nEntry 2 \"\": refused\n"
             "Entry 3 \"banana\": 1 finds in 1 files\nEntry 4 \"pear\": 0 finds in 0 files\n" +
             counters(1, 2, 2),
         "apple banana apple",
         "banana"},
        {"text, quoted with a two-character delimiter",
         {"-m", "text", "--quoted", "--delimiter", "::", "--batch", "quoted.txt"},
         "apple\r\npie",
         "tart",
         kDone + counters(1, 2, 2),
         "apple banana apple",
         "banana"},
    };
    write("quoted.txt", "\"apple\"::\"pear\"\r\n\"pear\npie\"::\"tart\"\n");
    for (const auto& c : cases) {
        write("site/a.htm", "apple banana apple");
        write("site/sub/b.txt", "banana");
        const Ran ran = run(QStringList{"-y"} + c.arguments, c.input);
        EXPECT_EQ(ran.status, 0) << c.name;
        EXPECT_EQ(ran.out, c.out) << c.name;
        EXPECT_EQ(ran.err, c.err) << c.name;
        EXPECT_EQ(readBytes(path("site/a.htm")), c.a) << c.name;
        EXPECT_EQ(readBytes(path("site/sub/b.txt")), c.b) << c.name;
    }
}

TEST_F(CliBatch, TestPrintsTheListingAsTheViewHoldsIt) {
    write("e.txt", "caf\xe9|tea,milk\r\n|x\r\n"); // not UTF-8: one byte per character
    const QByteArray rule = QByteArray(68, '_') + "\r\n\r\n";
    const Ran ran = run({"--batch-test", "e.txt"});
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, "- SEARCH FOR 1: -\r\ncaf\xc3\xa9\r\n\r\n- REPLACE WITH 1: -\r\ntea\r\n" +
                           rule + "- SEARCH FOR 2: -\r\n\r\n\r\n- REPLACE WITH 2: -\r\nx\r\n" +
                           rule);
    EXPECT_TRUE(ran.err.isEmpty());
}

TEST_F(CliBatch, RefusalsChangeNothing) {
    const struct {
        QStringList arguments;
        int status;
        QByteArray err;
    } cases[] = {
        {{"-y", "--batch", "missing.txt", "site"}, 1, kNoFile},
        {{"-y", "--batch", "site", "site"}, 1, kNoFile},
        {{"--batch-test", ""}, 1, kNoFile},
        {{"-y", "--batch", "e.txt", "--delimiter", "#", "site"}, 1, kFailedTest},
        {{"--batch-test", "e.txt", "--delimiter", "#"}, 1, kFailedTest},
        {{"-y", "--batch", "e.txt", "--delimiter", "", "site"}, 1, "You must enter a delineation"},
        {{"--batch", "e.txt", "site"}, 1, "zuk-cli: no answer from a terminal"},
        {{"-y", "--batch", "e.txt", "-s", "a", "site"}, 2, "zuk-cli: --search can't be used"},
        {{"--batch-test", "e.txt", "--subdirs"}, 2, "zuk-cli: --subdirs can't be used"},
        {{"-y", "-s", "a", "--delimiter", "#", "site"}, 2, "zuk-cli: --delimiter needs --batch"},
        // Read before anything is asked: no terminal is needed to refuse it.
        {{"--regex", "--batch", "bad.txt", "site"},
         2,
         "Entry 2 of the batch file: Invalid regular expression at character 2: missing )"},
    };
    write("bad.txt", "apple|pear\r\na(|b\r\n");
    for (const auto& c : cases) {
        const Ran ran = run(c.arguments);
        const std::string name = c.arguments.join(' ').toStdString();
        EXPECT_EQ(ran.status, c.status) << name;
        EXPECT_TRUE(ran.err.startsWith(c.err)) << name << ": " << ran.err.data();
        EXPECT_TRUE(ran.out.isEmpty()) << name;
    }
    EXPECT_EQ(readBytes(path("site/a.htm")), "apple banana apple");
}

TEST_F(CliBatch, FilesThatFailedInAnyEntryGiveStatusFour) {
    write("site/bad.htm", QByteArray("apple\0", 6)); // not text: each entry's run passes it over
    const Ran ran = run({"-y", "--batch", "e.txt", "site"});
    EXPECT_EQ(ran.status, 4);
    EXPECT_EQ(ran.out, counters(1, 3, 5));
    EXPECT_TRUE(ran.err.endsWith(kDone + "zuk-cli: 3 files failed\n")) << ran.err.data();
}

TEST_F(CliBatch, CtrlCStopsBetweenTwoFilesEachWithEveryEntryOrNone) {
    // Each entry changes every file, in a chain; enough files that the batch is early on when
    // the signal comes. What is asserted holds whichever file the signal reaches.
    const QStringList words{"apple", "pear", "plum", "fig", "kiwi", "lime", "date"};
    QByteArray batch;
    for (qsizetype i = 0; i + 1 < words.size(); ++i)
        batch += (words[i] + '|' + words[i + 1] + "\r\n").toUtf8();
    write("e.txt", batch);
    const int files = 1000;
    for (int i = 0; i < files; ++i)
        writeBytes(path(QString("site/f%1.txt").arg(i)), QByteArray("apple ").repeated(50));

    QProcess process;
    start(process, {"-y", "--log", "--batch", "e.txt", "site"});
    process.closeWriteChannel();
    // The first entry's header is logged before its first file: the batch is under way.
    const QString logPath = path("appdata/zuk/log.txt");
    for (int waited = 0; !QFileInfo(logPath).size() && waited < 60000; ++waited)
        ASSERT_FALSE(process.waitForFinished(1)) << process.readAllStandardError().data();
    ASSERT_EQ(::kill(pid_t(process.processId()), SIGINT), 0);
    const Ran ran = finished(process);
    EXPECT_EQ(ran.status, 130);
    EXPECT_TRUE(ran.err.endsWith(kDone)) << ran.err.data();

    qint64 done = 0;
    for (int i = 0; i < files; ++i) {
        const QByteArray bytes = readBytes(path(QString("site/f%1.txt").arg(i)));
        done += bytes == QByteArray("date ").repeated(50);
        EXPECT_TRUE(bytes == QByteArray("date ").repeated(50) ||
                    bytes == QByteArray("apple ").repeated(50))
            << i << bytes.data();
    }
    ASSERT_LT(done, files);

    // Every entry closed its log, each counting the files done; the totals are their sums.
    const QStringList log = QString::fromUtf8(readBytes(logPath)).split("\r\n");
    const auto values = [&](const QString& label) {
        QList<qint64> found;
        for (const QString& line : log.filter("====> " + label))
            found.append(line.mid(line.indexOf("= ") + 2).toLongLong());
        return found;
    };
    const qsizetype entries = words.size() - 1;
    EXPECT_EQ(log.filter("==> START").size(), entries);
    EXPECT_EQ(values("Total Files"), QList<qint64>(entries, done));
    EXPECT_EQ(values("Items Modified"), QList<qint64>(entries, done));
    EXPECT_EQ(values("Replacment done"), QList<qint64>(entries, 50 * done));
    EXPECT_EQ(ran.out, counters(done, entries * done, entries * 50 * done));
}

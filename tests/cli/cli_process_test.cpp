// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built zuk-cli as a user's script would, on real temporary trees.
#include "support/temp_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace zuk::test;

namespace {

const QByteArray kCounters111 = "Items Searched : 1\nItems Changed : 1\nReplaced Items : 3\n";

struct Ran {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

class Cli : public ::testing::Test {
protected:
    Cli() {
        QDir().mkpath(appData);
        QDir().mkpath(site);
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path(name)).path());
        writeBytes(path(name), bytes);
    }
    QByteArray read(const QString& name) const { return readBytes(path(name)); }
    QString log() const { return QString::fromUtf8(readBytes(appData + "/zuk/log.txt")); }

    // Every run has its own session: no controlling terminal, as under cron or CI.
    void prepare(QProcess& process) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("AppData", appData);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir.path());
        process.setChildProcessModifier([] { ::setsid(); });
    }
    static QString program() {
        return QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../zuk-cli");
    }

    Ran run(const QStringList& arguments, const QByteArray& input = {}) const {
        QProcess process;
        prepare(process);
        process.start(program(), arguments);
        EXPECT_TRUE(process.waitForStarted()) << program().toStdString();
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        return Ran{process.exitCode(), process.readAllStandardOutput(),
                   process.readAllStandardError()};
    }

    QTemporaryDir dir;
    QString appData = dir.filePath("appdata");
    QString site = dir.filePath("site");
};

} // namespace

TEST_F(Cli, DirectoryRunChangesMatchingFilesAndPrintsTheCounters) {
    write("site/a.htm", "banana");
    write("site/b.css", "banana");
    write("site/sub/c.txt", "a a");
    Ran ran = run({"--yes", "--search", "a", "--replace", "o", "site"});
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, kCounters111);
    EXPECT_EQ(ran.err, "ZUK Done\n");
    EXPECT_EQ(read("site/a.htm"), "bonono");
    EXPECT_EQ(read("site/b.css"), "banana");
    EXPECT_EQ(read("site/sub/c.txt"), "a a");
    // No log asked for, none made (the folder holds the undo journal).
    EXPECT_FALSE(QFileInfo::exists(appData + "/zuk/log.txt"));

    // A file's path means its directory; --type narrows the types, --subdirs goes down.
    ran = run({"-y", "-s", "A", "-r", "e", "--subdirs", "--type", "txt", path("site/a.htm")});
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, "Items Searched : 1\nItems Changed : 1\nReplaced Items : 2\n");
    EXPECT_EQ(read("site/sub/c.txt"), "e e");

    // --case, and nothing found is still a completed run.
    ran = run({"-y", "-s", "E", "-r", "x", "--case", "--subdirs", "site"});
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, "Items Searched : 2\nItems Changed : 0\nReplaced Items : 0\n");
}

TEST_F(Cli, FileModeWorksOnTheOneFileAndKeepsABackup) {
    write("site/a.htm", "banana");
    write("site/b.htm", "banana");
    const Ran ran = run({"-y", "-m", "file", "-s", "a", "-r", "o", "--backup", "site/a.htm"});
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, kCounters111);
    EXPECT_EQ(read("site/a.htm"), "bonono");
    EXPECT_EQ(read("site/a.htm_BU"), "banana");
    EXPECT_EQ(read("site/b.htm"), "banana");
}

TEST_F(Cli, SearchOnlyCountsWithoutAskingAndWritesNothing) {
    write("site/a.htm", "banana");
    const QDateTime before = QFileInfo(path("site/a.htm")).lastModified();
    const Ran ran = run({"--search-only", "-s", "a", "-r", "o", "site"}); // no --yes needed
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, kCounters111);
    EXPECT_EQ(read("site/a.htm"), "banana");
    EXPECT_EQ(QFileInfo(path("site/a.htm")).lastModified(), before);
}

TEST_F(Cli, TextModeFiltersStandardInputLosslessly) {
    Ran ran = run({"-y", "-m", "text", "-s", "a", "-r", "o"}, "banana");
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, "bonono");
    EXPECT_EQ(ran.err, kCounters111); // no "ZUK Done" in text mode

    // UTF-16 with its mark and CR LF breaks comes back in the same form.
    const auto utf16le = [](const QString& text) {
        QByteArray bytes("\xff\xfe");
        for (QChar c : text)
            bytes.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
        return bytes;
    };
    ran = run({"-y", "-m", "text", "-s", "x", "-r", "\u00e9\n\u0100"}, utf16le("1 x\r\n2 x\r\n"));
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, utf16le("1 \u00e9\r\n\u0100\r\n2 \u00e9\r\n\u0100\r\n"));

    // Not UTF-8: one byte per character, every other byte kept.
    ran = run({"-y", "-m", "text", "-s", "caf", "-r", "th\u00e9"}, "caf\xe9 \x81\x9d caf");
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, "th\xe9\xe9 \x81\x9d th\xe9");

    // Nothing found: the very bytes that came in.
    const QByteArray odd("\xef\xbb\xbfmark\r\rlone CR");
    ran = run({"-y", "-m", "text", "-s", "zzz"}, odd);
    EXPECT_EQ(ran.out, odd);
}

TEST_F(Cli, TextModeNeverSwallowsItsInput) {
    // A failure of the text leaves it as it was, as a failed file is left: it goes out unchanged,
    // named on standard error, and counted.
    const QByteArray nul("a\0b", 3);
    const QByteArray failed = "<standard input>: ";
    const struct {
        QStringList arguments;
        QByteArray input;
        int status;
        QByteArray err;
    } cases[] = {
        {{"-y", "-m", "text", "-s", "x", "-r", "\u0109"},
         "caf\xe9 x\n",
         4,
         failed + "ERROR: 5 The replacement text holds characters that the input's encoding "
                  "cannot store\nItems Searched : 1\nItems Changed : 0\nReplaced Items : 0\n"
                  "zuk-cli: 1 file failed\n"},
        {{"-y", "-m", "text", "-s", "a"},
         nul,
         4,
         failed + "ERROR: 75 Path/File access error (not text)\nItems Searched : 0\n"
                  "Items Changed : 0\nReplaced Items : 0\nzuk-cli: 1 file failed\n"},
        // Refused or declined: nothing was done to it.
        {{"-y", "-m", "text", "-s", ""}, "a b", 1, "You must enter somthing"},
        {{"-m", "text", "-s", "a", "-r", "o"}, "a b", 1, "zuk-cli: no answer from a terminal"},
    };
    for (const auto& c : cases) {
        const Ran ran = run(c.arguments, c.input);
        const std::string name = c.arguments.join(' ').toStdString();
        EXPECT_EQ(ran.status, c.status) << name;
        EXPECT_EQ(ran.out, c.input) << name;
        EXPECT_TRUE(ran.err.startsWith(c.err)) << name << ": " << ran.err.data();
    }
}

TEST_F(Cli, MultiLineTextsComeFromFilesExactly) {
    write("site/a.txt", "keep\r\nold one\r\nold two\r\nkeep\r\n");
    write("search.txt", "old one\nold two"); // LF matches the file's CR LF
    write("replace.txt", "new\n\tindented");
    const Ran ran = run({"-y", "--search-file", "search.txt", "--replace-file", "replace.txt", "-m",
                         "file", "site/a.txt"});
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, "Items Searched : 1\nItems Changed : 1\nReplaced Items : 1\n");
    EXPECT_EQ(read("site/a.txt"), "keep\r\nnew\r\n\tindented\r\nkeep\r\n");
}

TEST_F(Cli, TheLogGoesToTheWindowsApplicationFolder) {
    write("site/a.htm", "banana");
    const Ran ran = run({"-y", "--log", "-s", "a", "-r", "o", "site"});
    EXPECT_EQ(ran.status, 0);
    const QString text = log();
    EXPECT_TRUE(text.startsWith("==> START\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("====> Search Criteria - a\r\n"));
    EXPECT_TRUE(text.contains("      3 ~ " + path("site/a.htm") + "\r\n"));
    EXPECT_TRUE(text.contains("====> Replacment done= 3\r\n"));
    EXPECT_TRUE(text.endsWith("==> END\r\n" + QString(56, '=') + "\r\n"));

    // A search-only run with logging names the log, where the window opens its viewer.
    const Ran search = run({"--search-only", "--log", "-s", "o", "site"});
    EXPECT_TRUE(search.err.contains("Log: " + (appData + "/zuk/log.txt").toUtf8()));
}

TEST_F(Cli, RefusalsEndWithStatusOneAndChangeNothing) {
    write("site/a.htm", "banana");
    Ran ran = run({"-s", "a", "-r", "o", "site"}); // no --yes and no terminal
    EXPECT_EQ(ran.status, 1);
    EXPECT_TRUE(ran.err.contains("--yes"));
    EXPECT_TRUE(ran.out.isEmpty());

    ran = run({"-y", "-r", "o", "site"});
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.err, "You must enter somthing to search for before continueing\n");

    ran = run({"-y", "-s", "a"});
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.err, "You must select a Directory or File before continueing\n");

    ran = run({"-y", "-s", "a", "--ext", "inc", "site"});
    EXPECT_EQ(ran.status, 1);
    EXPECT_TRUE(ran.err.startsWith("You have selected to enter an extension"));
    EXPECT_TRUE(ran.err.contains(".ext\n\nFor more help"));
    EXPECT_EQ(read("site/a.htm"), "banana");
}

TEST_F(Cli, BadUsageHelpAndVersion) {
    for (const QStringList& arguments : {QStringList{"--frobnicate"},
                                         {"-s", "a", "--mode", "tree", "site"},
                                         {"-s", "a", "--type", "css", "site"},
                                         {"--search-file", "missing.txt", "site"}}) {
        const Ran ran = run(arguments);
        EXPECT_EQ(ran.status, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(ran.err.contains("zuk-cli --help"));
        EXPECT_TRUE(ran.out.isEmpty());
    }
    Ran ran = run({"--help"});
    EXPECT_EQ(ran.status, 0);
    EXPECT_TRUE(ran.out.startsWith("Usage: zuk-cli"));
    ran = run({"--version"});
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, "zuk-cli " ZUK_VERSION "\nLicence: GPL-3.0-or-later\n");
}

TEST_F(Cli, AnErrorEndsTheRunWithStatusThree) {
    // The file can't be moved to its backup name: a directory stands there. That is a
    // failure of the file alone; the run goes on.
    write("site/a.htm", "banana");
    write("site/a.htm_BU/keep", "x");
    Ran ran = run({"-y", "--backup", "-s", "a", "-r", "o", "site"});
    EXPECT_EQ(ran.status, 4);
    EXPECT_TRUE(ran.err.startsWith(path("site/a.htm").toUtf8() + ": ERROR: ")) << ran.err.data();
    EXPECT_EQ(ran.out, "Items Searched : 1\nItems Changed : 0\nReplaced Items : 0\n");
    EXPECT_EQ(read("site/a.htm"), "banana");

    // A log that can't be written: the application folder's parent is missing.
    appData = dir.filePath("missing/appdata");
    ran = run({"-y", "--log", "-s", "zzz", "site"});
    EXPECT_EQ(ran.status, 3);
    EXPECT_TRUE(ran.err.contains("ERROR: 76"));
}

TEST_F(Cli, CtrlCEndsARunThroughItsClosingSteps) {
    // Whenever the signal comes during the run, the run ends through its closing steps:
    // cancelled (130) with the files done so far, or done (0) if it had just finished. Enough
    // files make the first the likely one; stopping at an exact file is the engine's test.
    const int files = 6000;
    const QByteArray content = QByteArray("a ").repeated(100);
    for (int i = 0; i < files; ++i)
        writeBytes(site + QString("/f%1.txt").arg(i), content);

    QProcess process;
    prepare(process);
    process.start(program(), {"-y", "--log", "-s", "a", "-r", "b", site});
    ASSERT_TRUE(process.waitForStarted());
    process.closeWriteChannel();
    // The header is logged before the first file: the run is under way.
    const QString logPath = appData + "/zuk/log.txt";
    for (int waited = 0; !QFileInfo(logPath).size() && waited < 60000; ++waited) {
        ASSERT_EQ(process.state(), QProcess::Running);
        QThread::msleep(1);
    }
    ASSERT_EQ(::kill(pid_t(process.processId()), SIGINT), 0);
    ASSERT_TRUE(process.waitForFinished(120000));
    ASSERT_EQ(process.exitStatus(), QProcess::NormalExit);
    const int status = process.exitCode();
    ASSERT_TRUE(status == 130 || status == 0) << status;

    const QString text = log();
    EXPECT_TRUE(text.endsWith("==> END\r\n" + QString(56, '=') + "\r\n"));
    const QStringList lines = text.split("\r\n");
    const QString total = lines.filter("====> Total Files    = ").value(0);
    ASSERT_FALSE(total.isEmpty());
    const int searched = total.mid(total.indexOf('=', 6) + 2).toInt();
    if (status == 0) {
        EXPECT_EQ(searched, files);
    }
    EXPECT_LE(searched, files);
    // What the counters say is what the files hold; the file under way may be cut short.
    qint64 changed = 0;
    qint64 replaced = 0;
    for (int i = 0; i < files; ++i) {
        const qint64 made = readBytes(site + QString("/f%1.txt").arg(i)).count('b');
        changed += made > 0 ? 1 : 0;
        replaced += made;
    }
    EXPECT_EQ(process.readAllStandardOutput(),
              "Items Searched : " + QByteArray::number(searched) +
                  "\nItems Changed : " + QByteArray::number(changed) +
                  "\nReplaced Items : " + QByteArray::number(replaced) + "\n");
    EXPECT_EQ(process.readAllStandardError(), "ZUK Done\n");
}

TEST_F(Cli, RollBackRestoresTheBackups) {
    write("site/a.htm", "banana");
    write("site/sub/b.htm", "banana");
    ASSERT_EQ(run({"-y", "--backup", "--subdirs", "-s", "a", "-r", "o", "site"}).status, 0);
    ASSERT_EQ(read("site/sub/b.htm"), "bonono");

    Ran ran = run({"--rollback", "site", "--subdirs", "--log"}); // no terminal to confirm on
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(read("site/a.htm"), "bonono");

    ran = run({"--rollback", "site", "--subdirs", "--log", "--yes"});
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, "Roll Backs Done : 2\n");
    EXPECT_EQ(ran.err, "ZUK Done\n");
    EXPECT_EQ(read("site/a.htm"), "banana");
    EXPECT_EQ(read("site/sub/b.htm"), "banana");
    EXPECT_FALSE(QFileInfo::exists(path("site/a.htm_BU")));
    EXPECT_TRUE(log().contains("RB  ~  " + path("site/sub/b.htm") + "\r\n"));
    EXPECT_TRUE(log().contains("====> Roll Backs Done= 2\r\n"));

    // Files a run may not write keep their backups, named; the others are restored.
    write("site/c.htm_BU", "old");
    write("site/c.htm/inside", "x");
    write("site/d.htm_BU", "old");
    write("site/d.htm", "edited");
    ::chmod(QFile::encodeName(path("site/d.htm")).constData(), 0444);
    write("site/e.htm_BU", "old");
    write("site/e.htm", "edited");
    ran = run({"--rollback", path("site/"), "-y"});
    EXPECT_EQ(ran.status, 4);
    EXPECT_EQ(ran.out, "Roll Backs Done : 3\n");
    EXPECT_TRUE(ran.err.contains((path("site/c.htm") + ": ERROR: 75 ").toUtf8()));
    EXPECT_TRUE(
        ran.err.contains((path("site/d.htm") + ": ERROR: 70 Permission denied\n").toUtf8()));
    EXPECT_TRUE(ran.err.endsWith("ZUK Done\nzuk-cli: 2 files failed\n")) << ran.err.data();
    EXPECT_EQ(read("site/c.htm_BU"), "old");
    EXPECT_EQ(read("site/d.htm"), "edited");
    EXPECT_EQ(read("site/e.htm"), "old");

    ran = run({"--rollback", "", "-y"});
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.err, "You must select a Directory to \"Roll Back\"\n");
}

TEST_F(Cli, DryRunAndReportsWriteNothingButWhatTheyPrint) {
    write("site/a.htm", "banana\n");
    write("site/b.htm", "xyz\n");
    // A dry run asks nothing, writes no file, backup or log, and counts as the run would.
    const QByteArray counters = "Items Searched : 2\nItems Changed : 1\nReplaced Items : 3\n";
    Ran ran = run({"--dry-run", "--backup", "--log", "-s", "a", "-r", "o", "site"});
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, counters);
    EXPECT_EQ(read("site/a.htm"), "banana\n");
    EXPECT_FALSE(QFileInfo::exists(path("site/a.htm_BU")));
    EXPECT_FALSE(QFileInfo::exists(appData + "/zuk/log.txt"));

    ran = run({"--dry-run", "--list", "-s", "an", "-r", "o", "site"});
    EXPECT_EQ(ran.out, path("site/a.htm").toUtf8() + ":1:2:banana\n" + path("site/a.htm").toUtf8() +
                           ":1:4:banana\n");
    EXPECT_TRUE(ran.err.contains("Items Searched : 2\nItems Changed : 1\nReplaced Items : 2\n"));

    // A batch's dry run asks nothing either (there is no terminal to ask on here).
    write("e.txt", "an|o\n");
    ran = run({"--dry-run", "--list", "--batch", path("e.txt"), "site"});
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out.count('\n'), 2);
    ran = run({"--dry-run", "--json", "-s", "a", "-r", "o", "site"});
    EXPECT_TRUE(ran.out.endsWith(R"({"type":"summary","searched":2,"changed":1,"replaced":3,)"
                                 R"("failed":0,"cancelled":false})"
                                 "\n"));

    // The diff of a replacing run is what it wrote, for patch -p1 in the current directory.
    ran = run({"-y", "--diff", "-s", "a", "-r", "o", "site"});
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, "--- a/site/a.htm\n+++ b/site/a.htm\n@@ -1,1 +1,1 @@\n-banana\n+bonono\n");
    EXPECT_EQ(read("site/a.htm"), "bonono\n");

    // In text mode the report takes standard output in the text's place.
    ran = run({"-y", "--list", "--mode", "text", "-s", "an", "-r", "o"}, "banana\n");
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, "(standard input):1:2:banana\n(standard input):1:4:banana\n");
    EXPECT_EQ(ran.err, "Items Searched : 1\nItems Changed : 1\nReplaced Items : 2\n");
}

// SPDX-License-Identifier: GPL-3.0-or-later
// zuk-cli given names that are not UTF-8, paths that name nothing, and trees too big to walk.
#include "support/byte_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zuk::test;

extern char** environ;

namespace {

struct Ran {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

class CliNames : public ::testing::Test {
protected:
    CliNames() {
        makeDirectoryAt(root + "/appdata");
        makeDirectoryAt(site);
    }
    ~CliNames() override { removeTreeAt(site); }

    // Runs zuk-cli with arguments as raw bytes, in its own session (no terminal), from `cwd`.
    Ran run(const QList<QByteArray>& arguments, const QByteArray& cwd = {}) const {
        const QByteArray program = QFile::encodeName(
            QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../zuk-cli"));
        const QByteArray out = root + "/out", err = root + "/err";
        QList<QByteArray> environment{"AppData=" + root + "/appdata"};
        for (char** e = environ; *e; ++e) {
            if (qstrncmp(*e, "AppData=", 8) != 0)
                environment.append(*e);
        }
        std::vector<char*> argv{const_cast<char*>(program.constData())};
        for (const QByteArray& argument : arguments)
            argv.push_back(const_cast<char*>(argument.constData()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const QByteArray& entry : environment)
            envp.push_back(const_cast<char*>(entry.constData()));
        envp.push_back(nullptr);

        const pid_t child = ::fork();
        if (child == 0) {
            ::setsid();
            const int in = ::open("/dev/null", O_RDONLY);
            const int o = ::open(out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int e = ::open(err.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (in < 0 || o < 0 || e < 0 || ::dup2(in, 0) < 0 || ::dup2(o, 1) < 0 ||
                ::dup2(e, 2) < 0 || ::chdir((cwd.isEmpty() ? root : cwd).constData()) != 0)
                ::_exit(125);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(126);
        }
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status));
        return Ran{WEXITSTATUS(status), readAt(out), readAt(err)};
    }
    QByteArray at(const QByteArray& name) const { return site + '/' + name; }
    bool logged() const { return existsAt(root + "/appdata/zuk/log.txt"); }

    QTemporaryDir dir;
    QByteArray root = QFile::encodeName(dir.path());
    QByteArray site = root + "/site\xff";
};

const QByteArray kCounters111 = "Items Searched : 1\nItems Changed : 1\nReplaced Items : 1\n";

} // namespace

TEST_F(CliNames, APathGivenAsBytesReachesThatFileOnly) {
    writeAt(at("caf\xe9.htm"), "a");
    writeAt(at("caf\xef\xbf\xbd.htm"), "a");
    Ran ran = run({"-y", "--mode", "file", "-s", "a", "-r", "ab", at("caf\xe9.htm")});
    EXPECT_EQ(ran.status, 0) << ran.err.constData();
    EXPECT_EQ(ran.out, kCounters111);
    EXPECT_EQ(readAt(at("caf\xe9.htm")), "ab");
    EXPECT_EQ(readAt(at("caf\xef\xbf\xbd.htm")), "a");

    // Relative to a working directory whose name isn't UTF-8 either.
    ran = run({"-y", "--mode", "file", "-s", "a", "-r", "ab", "caf\xe9.htm"}, site);
    EXPECT_EQ(ran.status, 0) << ran.err.constData();
    EXPECT_EQ(readAt(at("caf\xe9.htm")), "abb");
    EXPECT_EQ(readAt(at("caf\xef\xbf\xbd.htm")), "a");
}

TEST_F(CliNames, AListOfFilesTakesItsNamesAsBytes) {
    for (const char* name : {"caf\xe9.htm", "two\nlines.htm", "plain.htm"})
        writeAt(at(name), "a");
    writeAt(at("caf\xef\xbf\xbd.htm"), "a");
    // Relative names, one given twice, one missing; a name with a line break needs -0.
    const QByteArray list = QList<QByteArray>{"caf\xe9.htm",         "two\nlines.htm", "gone.htm",
                                              site + "/caf\xe9.htm", "./plain.htm",    ""}
                                .join('\0');
    writeAt(root + "/list", list);
    Ran ran = run({"-y", "-s", "a", "-r", "ab", "--files-from", root + "/list", "-0"}, site);
    EXPECT_EQ(ran.status, 4) << ran.err.constData();
    EXPECT_EQ(ran.out, "Items Searched : 3\nItems Changed : 3\nReplaced Items : 3\n");
    EXPECT_EQ(ran.err, root + "/site\\xFF/gone.htm: ERROR: 53 File not found\nZUK Done\n"
                              "zuk-cli: 1 file failed\n");
    for (const char* name : {"caf\xe9.htm", "two\nlines.htm", "plain.htm"})
        EXPECT_EQ(readAt(at(name)), "ab") << name;
    EXPECT_EQ(readAt(at("caf\xef\xbf\xbd.htm")), "a");
}

TEST_F(CliNames, RefusalsOfPathsEndWithStatusOneAndChangeNothing) {
    writeAt(at("page.htm"), "a");
    const QByteArray missing = "Path not found: \"" + root +
                               "/site\\xFF/typo\" does not exist. "
                               "Nothing was changed; check the path.\n";
    const QByteArray rootRollBack = "Root folder: \"//\" would work in the root of the file "
                                    "system. Nothing was changed; choose a folder below it.\n";
    const struct {
        QList<QByteArray> arguments;
        QByteArray err;
    } cases[] = {
        {{"-y", "--log", "-s", "a", at("typo")}, missing},
        {{"--rollback", at("typo"), "-y", "--log"}, missing},
        {{"--rollback", "//", "-y", "--log", "--subdirs"}, rootRollBack},
    };
    for (const auto& c : cases) {
        const Ran ran = run(c.arguments);
        EXPECT_EQ(ran.status, 1) << c.arguments.join(' ').constData();
        EXPECT_EQ(ran.err, c.err);
        EXPECT_TRUE(ran.out.isEmpty());
    }
    EXPECT_EQ(readAt(at("page.htm")), "a");
    EXPECT_FALSE(logged());
}

TEST_F(CliNames, ATreeTooBigIsRefusedWithStatusOneBeforeTheLogHeader) {
    // Thirty thousand folders are made much faster in memory, where there is such a place.
    QTemporaryDir big(QFileInfo("/dev/shm").isWritable() ? "/dev/shm/zuk-test-XXXXXX"
                                                         : QDir::tempPath() + "/zuk-test-XXXXXX");
    const QByteArray start = QFile::encodeName(big.path());
    writeAt(start + "/a.htm", "a");
    writeAt(start + "/b.htm_BU", "b");
    for (int i = 0; i <= 32767; ++i) // with the start: one more than a walk holds
        makeDirectoryAt(start + '/' + QByteArray::number(i));
    const QByteArray refused = "Too many directories: there are more than 32767 directories in "
                               "and below \"" +
                               start + "\". Nothing was changed; choose a smaller directory.\n";
    // A dry run starts on files while its walk goes on, and is refused when the walk finds it.
    for (const QList<QByteArray>& arguments :
         {QList<QByteArray>{"-y", "--log", "--subdirs", "-s", "a", "-r", "o", start},
          QList<QByteArray>{"--dry-run", "--subdirs", "-s", "a", "-r", "o", start},
          QList<QByteArray>{"--rollback", start, "--subdirs", "--log", "-y"}}) {
        const Ran ran = run(arguments);
        EXPECT_EQ(ran.status, 1) << arguments.join(' ').constData();
        EXPECT_EQ(ran.err, refused);
    }
    EXPECT_EQ(readAt(start + "/a.htm"), "a");
    EXPECT_TRUE(existsAt(start + "/b.htm_BU"));
    EXPECT_FALSE(logged());
}

TEST_F(CliNames, UndoAndHistoryKeepNamesAsBytesAndShowThemEscaped) {
    writeAt(at("caf\xe9.htm"), "a");
    writeAt(at("b\xfe.htm"), "a");
    ASSERT_EQ(run({"-y", "-s", "a", "-r", "b", site}).status, 0);
    writeAt(at("b\xfe.htm"), "by hand");

    Ran ran = run({"--undo", "-y"});
    EXPECT_EQ(ran.status, 4) << ran.err.constData();
    EXPECT_TRUE(
        ran.err.contains("zuk-cli: left " + root + "/site\\xFF/b\\xFE.htm: edited since the run\n"))
        << ran.err.constData();
    EXPECT_EQ(readAt(at("caf\xe9.htm")), "a");
    EXPECT_EQ(readAt(at("b\xfe.htm")), "by hand");

    ran = run({"--history"});
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out.count('\n'), 2);
    EXPECT_TRUE(ran.out.contains("/site\\xFF  undo of run 1")) << ran.out.constData();
    EXPECT_TRUE(ran.out.contains("/site\\xFF  \"a\"  undone")) << ran.out.constData();
    EXPECT_EQ(run({"--undo", "2", "-y"}).status, 0);
    EXPECT_EQ(readAt(at("caf\xe9.htm")), "b");
}

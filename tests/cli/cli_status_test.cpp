// SPDX-License-Identifier: GPL-3.0-or-later
// The exit statuses and warnings of zuk-cli that concern failures, on real temporary trees.
#include "support/cli_process.h"
#include "support/temp_files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zuk::test;

namespace {

class CliStatus : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path(name)).path());
        writeBytes(path(name), bytes);
    }

    // No terminal and no log folder of the user's: --yes answers, AppData points here.
    Ran run(const QStringList& arguments) const {
        Ran ran = runZukCli(dir, arguments);
        EXPECT_TRUE(ran.normalExit);
        return ran;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(CliStatus, FilesThatFailedWhileTheRunWentOnGiveStatusFourAndACount) {
    write("site/a.htm", "banana");
    write("site/b.htm", QByteArray("ban\0ana", 7)); // not text
    write("site/c.htm", "banana");                  // a folder stands at its backup's name
    write("site/c.htm_BU/keep", "x");
    Ran ran = run({"-y", "--backup", "-s", "a", "-r", "o", "site"});
    EXPECT_EQ(ran.status, 4);
    EXPECT_EQ(ran.out, "Items Searched : 2\nItems Changed : 1\nReplaced Items : 3\n");
    EXPECT_TRUE(ran.err.endsWith("ZUK Done\nzuk-cli: 2 files failed\n")) << ran.err.data();
    EXPECT_EQ(readBytes(path("site/a.htm")), "bonono");
    EXPECT_EQ(readBytes(path("site/c.htm")), "banana");

    // One file: the singular; a file given alone is counted the same way.
    ran = run({"-y", "-m", "file", "-s", "a", "site/b.htm"});
    EXPECT_EQ(ran.status, 4);
    EXPECT_TRUE(ran.err.endsWith("\nzuk-cli: 1 file failed\n")) << ran.err.data();
}

TEST_F(CliStatus, ARollBackNamesAFolderItCantReadAndCountsIt) {
    write("site/a.htm", "edited");
    write("site/a.htm_BU", "original");
    const QString tooLong = makePathTooLong(path("site"));
    const Ran ran = run({"-y", "--subdirs", "--rollback", "site"});
    removeTree(path("site/" + QString(255, u'n')));
    EXPECT_EQ(ran.status, 4);
    EXPECT_EQ(ran.out, "Roll Backs Done : 1\n");
    EXPECT_EQ(ran.err, tooLong.toUtf8() + ": ERROR: 75 Path/File access error (name too long)\n"
                                          "ZUK Done\nzuk-cli: 1 file failed\n");
    EXPECT_EQ(readBytes(path("site/a.htm")), "original");
}

TEST_F(CliStatus, TextsAreTakenOnlyFromRegularFiles) {
    write("site/a.htm", "banana");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    for (const QString& source : {QStringLiteral("/dev/zero"), path("fifo"), path("site")}) {
        for (const char* option : {"--search-file", "--replace-file"}) {
            const QStringList arguments =
                option == QByteArray("--search-file")
                    ? QStringList{"-y", option, source, "site"}
                    : QStringList{"-y", "-s", "a", option, source, "site"};
            const Ran ran = run(arguments);
            EXPECT_EQ(ran.status, 2) << option << " " << source.toStdString();
            EXPECT_TRUE(ran.err.contains(source == path("site") ? "(is a directory)"
                                                                : "(not a regular file)"))
                << ran.err.data();
        }
    }
    EXPECT_EQ(readBytes(path("site/a.htm")), "banana");
}

TEST_F(CliStatus, LineBreakModeWithBackupsWarnsThatItMakesNone) {
    write("site/a.htm", "old\r\ntext");
    const Ran ran = run({"-y", "--crlf", "--backup", "-s", "old text", "-r", "new", "site"});
    EXPECT_EQ(ran.status, 0);
    EXPECT_TRUE(ran.err.startsWith("zuk-cli: warning: --crlf makes no backups; --backup is "
                                   "ignored\n"))
        << ran.err.data();
    EXPECT_EQ(readBytes(path("site/a.htm")), "new");
    EXPECT_FALSE(QFileInfo::exists(path("site/a.htm_BU")));
}

TEST_F(CliStatus, ABadExpressionIsRefusedBeforeAnythingIsRead) {
    write("site/a.htm", "banana");
    for (const QStringList& texts : {QStringList{"-s", "(a"}, QStringList{"-s", "a", "-r", "$1"}}) {
        const Ran ran = run(QStringList{"-y", "--regex"} + texts + QStringList{"site"});
        EXPECT_EQ(ran.status, 2);
        EXPECT_TRUE(ran.err.startsWith("zuk-cli: Invalid ")) << ran.err.data();
    }
    EXPECT_EQ(run({"-y", "--regex", "-s", "(a)n", "-r", "<$1>", "site"}).status, 0);
    EXPECT_EQ(readBytes(path("site/a.htm")), "b<a><a>a");
}

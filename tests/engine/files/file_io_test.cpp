// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_io.h"

#include "support/temp_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zuk;

namespace {

TEST(FileIo, WholeReadsAndWritesGoPastTheFirstBuffer) {
    QTemporaryDir dir;
    const QByteArray name = QFile::encodeName(dir.filePath("big"));
    QByteArray bytes(200 * 1024 + 7, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 31);

    const int out = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(out, 0);
    EXPECT_TRUE(writeAll(out, bytes).ok());
    ::close(out);

    for (const qsizetype expected : {qsizetype(0), qsizetype(1), bytes.size() + 1}) {
        const int in = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(in, 0);
        const Result<QByteArray> read = readAll(in, expected);
        ::close(in);
        ASSERT_TRUE(read.ok()) << expected;
        EXPECT_EQ(read.value(), bytes) << expected;
    }
}

TEST(FileIo, RemoveTakesFilesAndLinksOnlyAndMissingIsDone) {
    QTemporaryDir dir;
    test::writeBytes(dir.filePath("file"), "x");
    ASSERT_TRUE(QFile::link(dir.filePath("gone"), dir.filePath("dangling")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    const struct {
        const char* name;
        int error; // 0: removed or nothing there
    } rows[] = {
        {"file", 0}, {"dangling", 0}, {"missing", 0}, {"folder", ErrorNumber::PathFileAccess}};
    for (const auto& row : rows) {
        const Status removed = removeFile(dir.filePath(row.name));
        EXPECT_EQ(removed.ok() ? 0 : removed.error().number, row.error) << row.name;
        struct stat st;
        const bool left = ::lstat(QFile::encodeName(dir.filePath(row.name)).constData(), &st) == 0;
        EXPECT_EQ(left, row.error != 0) << row.name;
    }
}

TEST(FileIo, ARenameThatFailsSaysWhy) {
    QTemporaryDir dir;
    const Status renamed = renameFile(dir.filePath("missing"), dir.filePath("to"));
    ASSERT_FALSE(renamed.ok());
    EXPECT_EQ(renamed.error().number, ErrorNumber::FileNotFound);
}

TEST(FileIo, BackupNames) {
    EXPECT_EQ(backupPathOf(QString("/s/a.htm")), QString("/s/a.htm_BU"));
    EXPECT_EQ(backupPathOf(QByteArray("/s/caf\xe9")), QByteArray("/s/caf\xe9_BU"));
    EXPECT_EQ(backedUpPathOf("/s/a.htm_BU"), QString("/s/a.htm"));
    const std::pair<const char*, bool> names[] = {{"a.htm_BU", true},
                                                  {"a_BU_BU", true},
                                                  {"_BU", false},
                                                  {"a.htm_bu", false},
                                                  {"a.htm", false}};
    for (const auto& [name, isBackup] : names)
        EXPECT_EQ(isBackupName(name), isBackup) << name;
}

} // namespace

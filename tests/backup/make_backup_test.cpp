// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/make_backup.h"

#include "engine/files/text_buffer.h"
#include "support/temp_files.h"
#include "support/unprivileged.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace zuk;

namespace {

class MakeBackupTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.path() + "/" + name; }
    static QByteArray native(const QString& p) { return QFile::encodeName(p); }
    QTemporaryDir m_dir;
};

TEST_F(MakeBackupTest, LinksTheFileAndReplacesAnEarlierBackup) {
    test::writeBytes(path("page.htm"), "second");
    ASSERT_TRUE(MakeBackup(path("page.htm")).ok()); // no earlier backup: no failure
    struct stat file;
    struct stat backup;
    ASSERT_EQ(::stat(native(path("page.htm")).constData(), &file), 0);
    ASSERT_EQ(::stat(native(path("page.htm_BU")).constData(), &backup), 0);
    EXPECT_EQ(file.st_ino, backup.st_ino); // the file never left its name

    ASSERT_EQ(::unlink(native(path("page.htm")).constData()), 0);
    test::writeBytes(path("page.htm"), "third");
    ASSERT_TRUE(MakeBackup(path("page.htm")).ok());
    EXPECT_EQ(test::readBytes(path("page.htm_BU")), QByteArray("third"));
}

TEST_F(MakeBackupTest, ALinkIsBackedUpItselfAndItsDestinationIsLeftAlone) {
    test::writeBytes(path("target.txt"), "content");
    ASSERT_EQ(
        ::symlink(native(path("target.txt")).constData(), native(path("link.txt")).constData()), 0);
    ASSERT_TRUE(MakeBackup(path("link.txt")).ok());
    EXPECT_TRUE(QFileInfo(path("link.txt")).isSymLink());
    EXPECT_TRUE(QFileInfo(path("link.txt_BU")).isSymLink());
    EXPECT_EQ(test::readBytes(path("target.txt")), QByteArray("content"));
}

TEST_F(MakeBackupTest, AFolderTheUserMayNotChangeFailsAndLeavesTheFile) {
    test::writeBytes(path("page.htm"), "content");
    ASSERT_EQ(::chmod(native(m_dir.path()).constData(), 0555), 0);
    const QString result = test::runUnprivileged([&] {
        const Status status = MakeBackup(path("page.htm"));
        return status.ok() ? QString("made") : status.error().message();
    });
    ::chmod(native(m_dir.path()).constData(), 0700);
    EXPECT_EQ(result, QString("ERROR: 70 Permission denied"));
    EXPECT_EQ(test::readBytes(path("page.htm")), QByteArray("content"));
    EXPECT_FALSE(QFileInfo::exists(path("page.htm_BU")));
}

// The writer makes the backup right before its rename: the new file has the original's
// permissions, and afterwards the two names hold one inode each.
TEST_F(MakeBackupTest, TheFileWrittenAfterwardsKeepsTheOriginalsPermissions) {
    test::writeBytes(path("page.htm"), "old text");
    ASSERT_EQ(::chmod(native(path("page.htm")).constData(), 0640), 0);
    TextBuffer buffer;
    ASSERT_TRUE(buffer.load(path("page.htm")).ok());
    ASSERT_TRUE(buffer.save(path("page.htm"), nullptr, MakeBackup).ok());

    struct stat file;
    struct stat backup;
    ASSERT_EQ(::stat(native(path("page.htm")).constData(), &file), 0);
    ASSERT_EQ(::stat(native(path("page.htm_BU")).constData(), &backup), 0);
    EXPECT_EQ(file.st_mode & 07777, 0640u);
    EXPECT_NE(file.st_ino, backup.st_ino);
    EXPECT_EQ(file.st_nlink, 1u);
    EXPECT_EQ(backup.st_nlink, 1u);
    EXPECT_EQ(test::readBytes(path("page.htm")), QByteArray("old text"));
    EXPECT_EQ(test::readBytes(path("page.htm_BU")), QByteArray("old text"));
}

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/start_up.h"
#include "support/temp_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using zuk::test::readBytes;
using zuk::test::writeBytes;

namespace {

class StartUpTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    QString m_ini = m_dir.filePath("zuk.ini");
    QString m_bak = m_dir.filePath("zuk.bak");
};

TEST_F(StartUpTest, MissingSettingsFileIsRestoredFromItsBackupOnly) {
    EXPECT_TRUE(restoreSettingsIfMissing(m_ini, m_bak).ok()); // first start: nothing there
    EXPECT_FALSE(QFile::exists(m_ini));

    writeBytes(m_bak, "[Options]\r\nOptText=1\r\n");
    ASSERT_TRUE(restoreSettingsIfMissing(m_ini, m_bak).ok());
    EXPECT_EQ(readBytes(m_ini), "[Options]\r\nOptText=1\r\n");

    writeBytes(m_ini, "current");
    ASSERT_TRUE(restoreSettingsIfMissing(m_ini, m_bak).ok()); // killed run: both present
    EXPECT_EQ(readBytes(m_ini), "current");
}

TEST_F(StartUpTest, BackupIsReplacedByAFreshCopyAndDeletedAtExit) {
    EXPECT_TRUE(makeSettingsBackup(m_ini, m_bak).ok()); // no settings file: no backup
    EXPECT_FALSE(QFile::exists(m_bak));

    writeBytes(m_ini, "new");
    writeBytes(m_bak, "stale and longer");
    ASSERT_TRUE(makeSettingsBackup(m_ini, m_bak).ok());
    EXPECT_EQ(readBytes(m_bak), "new");
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    ASSERT_TRUE(deleteSettingsBackup(m_bak).ok());
    EXPECT_FALSE(QFile::exists(m_bak));
    EXPECT_TRUE(deleteSettingsBackup(m_bak).ok()); // already gone
    EXPECT_EQ(readBytes(m_ini), "new");
}

TEST_F(StartUpTest, FailuresAreReportedWithoutHarm) {
    writeBytes(m_ini, "settings");
    writeBytes(m_dir.filePath("file"), "x");
    EXPECT_FALSE(makeSettingsBackup(m_ini, m_dir.filePath("file/zuk.bak")).ok());
    EXPECT_FALSE(restoreSettingsIfMissing(m_dir.filePath("file/zuk.ini"), m_ini).ok());

    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.bak"));
    EXPECT_FALSE(deleteSettingsBackup(m_dir.filePath("folder.bak")).ok());
    EXPECT_TRUE(QDir(m_dir.filePath("folder.bak")).exists());
    EXPECT_EQ(readBytes(m_ini), "settings");
}

} // namespace

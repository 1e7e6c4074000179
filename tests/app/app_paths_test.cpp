// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_paths.h"

#include "support/temp_files.h"
#include "support/unprivileged.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zuk;

namespace {

class AppPathsTest : public ::testing::Test {
protected:
    AppEnvironment environment(const QString& appData, const QString& exe = "/opt/zuk/bin/zuk") {
        return AppEnvironment{appData, exe};
    }
    QTemporaryDir m_dir;
};

TEST_F(AppPathsTest, FirstStartCreatesTheFolderAndDerivesEveryPath) {
    const QString appData = m_dir.path() + "/Roaming";
    ASSERT_TRUE(QDir().mkdir(appData));

    const AppPathsSetup setup = SetAppPaths(environment(appData));

    ASSERT_TRUE(setup.folder.ok());
    EXPECT_TRUE(setup.problemText().isEmpty());
    EXPECT_TRUE(QFileInfo(appData + "/zuk").isDir());
    EXPECT_EQ(setup.paths.appFolder, appData + "/zuk");
    EXPECT_EQ(setup.paths.iniPath, appData + "/zuk/zuk.ini");
    EXPECT_EQ(setup.paths.settingsBackupPath(), appData + "/zuk/zuk.bak");
    EXPECT_EQ(setup.paths.logPath(), appData + "/zuk/log.txt");
    EXPECT_EQ(setup.paths.helpPath(), QString("/opt/zuk/bin/help.txt"));
}

TEST_F(AppPathsTest, ExistingFolderIsUsedAsItIs) {
    const QString folder = m_dir.path() + "/zuk";
    ASSERT_TRUE(QDir().mkdir(folder));
    test::writeBytes(folder + "/zuk.ini", "[Options]\r\n");
    // A trailing separator on AppData doesn't double the separator.
    const AppPathsSetup setup = SetAppPaths(environment(m_dir.path() + "/"));
    ASSERT_TRUE(setup.folder.ok());
    EXPECT_EQ(setup.paths.appFolder, folder);
    EXPECT_EQ(test::readBytes(setup.paths.iniPath), QByteArray("[Options]\r\n"));
}

TEST_F(AppPathsTest, AnotherExecutableNameGivesItsOwnFolderAndFiles) {
    const AppPathsSetup setup = SetAppPaths(environment(m_dir.path(), "/usr/bin/other.exe"));
    ASSERT_TRUE(setup.folder.ok());
    EXPECT_EQ(setup.paths.applicationName, QString("other"));
    EXPECT_EQ(setup.paths.iniPath, m_dir.path() + "/other/other.ini");
    EXPECT_EQ(setup.paths.settingsBackupPath(), m_dir.path() + "/other/other.bak");
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + "/zuk"));
}

TEST_F(AppPathsTest, WithoutAppDataTheConfigurationFolderStandsIn) {
    const QString name = "zuk-paths-test-" + QString::number(QCoreApplication::applicationPid());
    const AppPathsSetup setup = SetAppPaths(environment({}, "/opt/" + name));
    const QString expected =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/" + name;
    ASSERT_TRUE(setup.folder.ok());
    EXPECT_EQ(setup.paths.appFolder, expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
    QDir(expected).removeRecursively();
}

TEST_F(AppPathsTest, AFolderThatCantBeMadeLeavesNoSettingsOrLogButAMessage) {
    test::writeBytes(m_dir.path() + "/plain-file", "x");
    struct Case {
        QString appData;
        int number;
    };
    const Case cases[] = {
        {m_dir.path() + "/missing", ErrorNumber::PathNotFound},    // AppData folder is missing
        {m_dir.path() + "/plain-file", ErrorNumber::PathNotFound}, // AppData is a file
    };
    for (const Case& c : cases) {
        const AppPathsSetup setup = SetAppPaths(environment(c.appData));
        ASSERT_FALSE(setup.folder.ok()) << c.appData.toStdString();
        EXPECT_EQ(setup.folder.error().number, c.number);
        EXPECT_FALSE(setup.paths.hasAppFolder());
        EXPECT_TRUE(setup.paths.iniPath.isEmpty());
        EXPECT_TRUE(setup.paths.logPath().isEmpty());
        EXPECT_EQ(setup.paths.helpPath(), QString("/opt/zuk/bin/help.txt"));
        EXPECT_TRUE(setup.problemText().contains(c.appData + "/zuk"));
        EXPECT_TRUE(setup.problemText().contains(setup.folder.error().message()));
    }
    // A file where the folder should be is not taken for the folder.
    test::writeBytes(m_dir.path() + "/zuk", "x");
    const AppPathsSetup setup = SetAppPaths(environment(m_dir.path()));
    ASSERT_FALSE(setup.folder.ok());
    EXPECT_EQ(setup.folder.error().number, ErrorNumber::FileAlreadyExists);
}

TEST_F(AppPathsTest, AFolderTheUserMayNotWriteInIsReported) {
    const QString appData = m_dir.path() + "/locked";
    ASSERT_TRUE(QDir().mkdir(appData));
    ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
    ::chmod(QFile::encodeName(appData).constData(), 0555);
    const QString result = test::runUnprivileged([&] {
        const AppPathsSetup setup = SetAppPaths(environment(appData));
        return setup.folder.ok() ? QString("made") : setup.folder.error().message();
    });
    EXPECT_EQ(result, QString("ERROR: 70 Permission denied"));
    EXPECT_FALSE(QFileInfo::exists(appData + "/zuk"));
}

} // namespace

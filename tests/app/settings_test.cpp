// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ini_file.h"
#include "app/settings.h"
#include "engine/run/run_option_table.h"
#include "support/temp_files.h"

#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using zuk::test::readBytes;
using zuk::test::writeBytes;

namespace {

MainSettings defaults() {
    MainSettings s;
    s.optAll = true;
    s.allTypes = Checked;
    s.customExtension = "0";
    return s;
}

class SettingsTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    QString m_ini = m_dir.filePath("zuk.ini");
};

TEST_F(SettingsTest, NoFileAndCorruptFilesGiveTheDefaults) {
    EXPECT_EQ(LoadSettings(m_ini), defaults());
    writeBytes(m_ini, QByteArray("\x00\xFF\xFE[Options\n\x01=\x02\r\xC3", 14));
    EXPECT_EQ(LoadSettings(m_ini), defaults());
    writeBytes(m_ini, "[Options]\nOptAll=abc\nchkSub=5\nCRLF=-1\nBU=1.0\nAlltype=x\n"
                      "OptFile= 1x\noptText=\nTHST=\n");
    EXPECT_EQ(LoadSettings(m_ini), defaults());
}

TEST_F(SettingsTest, SavesAll24KeysInOrderWithTheirSpellings) {
    MainSettings s;
    s.optText = s.optFile = true;
    s.subDirectories = 1;
    s.allTypes = 2;
    s.logChanges = 1;
    s.keepSpaceRight = 1;
    s.customExtension = "inc";
    s.path = "/p";
    s.searchText = "a\r\nb";
    ASSERT_TRUE(SaveSettings(m_ini, s).ok());
    EXPECT_EQ(readBytes(m_ini),
              "[Options]\r\nOptText=1\r\nOptFile=0\r\nOptAll=0\r\nChkSub=1\r\n"
              "AllType=2\r\nASP=0\r\nPHP=0\r\nCFM=0\r\nHTM=0\r\nHTML=0\r\nPL=0\r\n"
              "TXT=0\r\nTHS=0\r\nTHST=inc\r\nBU=0\r\nCase=0\r\nLOG=1\r\n"
              "SERONL=0\r\nPath=/p\r\nSStr={zuk}a\\r\\nb\r\nRStr=\r\nCRLF=0\r\n"
              "SPLT=0\r\nSPRT=1\r\n");

    const auto options = [&] {
        return ReadIni(m_ini, "Options", "OptText", "") + ReadIni(m_ini, "Options", "OptFile", "") +
               ReadIni(m_ini, "Options", "OptAll", "");
    };
    s.optText = false;
    ASSERT_TRUE(SaveSettings(m_ini, s).ok());
    EXPECT_EQ(options(), "010");
    s.optFile = false;
    ASSERT_TRUE(SaveSettings(m_ini, s).ok());
    EXPECT_EQ(options(), "001");
}

TEST_F(SettingsTest, EveryKeyReadsBackWhatWasSaved) {
    // Each key in turn holds a value other than its default; the rest keep theirs.
    QSet<QString> keys;
    for (const RunOptionRow& row : runOptionTable()) {
        const QString key = QString::fromLatin1(row.settingsKey);
        EXPECT_FALSE(keys.contains(key.toLower())) << row.settingsKey;
        keys.insert(key.toLower());
        MainSettings saved = defaults();
        switch (row.kind) {
        case OptionKind::OptionButton:
            saved.optAll = false;
            saved.*row.option = true;
            break;
        case OptionKind::Check:
            row.checkIn(saved) = row.checkIn(saved) == Greyed ? Unchecked : Greyed;
            break;
        case OptionKind::Text:
            saved.*row.text = "  <p>\r\n\tline\nlone\rcr  ";
            break;
        }
        ASSERT_TRUE(SaveSettings(m_ini, saved).ok());
        EXPECT_EQ(LoadSettings(m_ini), saved) << row.settingsKey;
    }
    // The described ones, the Options menu's, the file selection's, the undo journal's.
    EXPECT_EQ(keys.size(), 24 + 3 + 3 + 2);
    // An empty custom extension comes back as "0".
    MainSettings saved = defaults();
    saved.customExtension.clear();
    ASSERT_TRUE(SaveSettings(m_ini, saved).ok());
    EXPECT_EQ(LoadSettings(m_ini).customExtension, "0");
}

TEST_F(SettingsTest, HandEditedLowerCaseKeyIsReadAndUpdatedInPlace) {
    writeBytes(m_ini, "; kept\n[OPTIONS]\nlog=1\n[Mine]\nx=y\n");
    MainSettings loaded = LoadSettings(m_ini);
    EXPECT_EQ(loaded.logChanges, 1);
    loaded.logChanges = 0;
    ASSERT_TRUE(SaveSettings(m_ini, loaded).ok());
    const QByteArray saved = readBytes(m_ini);
    EXPECT_TRUE(saved.startsWith("; kept\n[OPTIONS]\nlog=0\nOptText=0\n")) << saved.constData();
    EXPECT_FALSE(saved.contains("LOG="));
    EXPECT_TRUE(saved.endsWith("SPRT=0\n[Mine]\nx=y\n"));
}

TEST_F(SettingsTest, AnyNumberButZeroTurnsAnOptionOn) {
    writeBytes(m_ini,
               "[Options]\r\nOptFile=-1\r\nOptAll=0\r\nSStr=" + QByteArray(3000, 'q') + "\r\n");
    const MainSettings loaded = LoadSettings(m_ini);
    EXPECT_TRUE(loaded.optFile);
    EXPECT_FALSE(loaded.optAll);
    EXPECT_EQ(loaded.searchText, QString(3000, u'q'));
}

TEST_F(SettingsTest, UnwritableLocationFailsQuietly) {
    writeBytes(m_dir.filePath("file"), "x");
    EXPECT_FALSE(SaveSettings(m_dir.filePath("file/zuk.ini"), defaults()).ok());
    EXPECT_FALSE(SaveSettings(m_dir.filePath("gone/zuk.ini"), defaults()).ok());
}

} // namespace

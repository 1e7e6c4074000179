#include "app/ini_file.h"
#include "app/settings.h"
#include "support/temp_files.h"

#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using zuk::test::readBytes;
using zuk::test::writeBytes;

namespace {

// Keeps the controls' values and records every change made through it, in order.
class FakeControls final : public SettingsControls {
public:
    bool optionValue(const QString& name) const override { return options.value(name); }
    void setOptionValue(const QString& name, bool on) override {
        calls << QStringLiteral("%1=%2").arg(name).arg(on);
        options[name] = on;
    }
    CheckValue checkValue(const QString& name) const override { return checks.value(name); }
    void setCheckValue(const QString& name, CheckValue value) override {
        calls << QStringLiteral("%1=%2").arg(name).arg(value);
        checks[name] = value;
    }
    QString text(const QString& name) const override { return texts.value(name); }
    void setText(const QString& name, const QString& text) override {
        calls << QStringLiteral("%1=%2").arg(name, text);
        texts[name] = text;
    }
    void DisableControls(const QString& WhatControls, bool OnOff) override {
        calls << QStringLiteral("DisableControls %1 %2").arg(WhatControls).arg(OnOff);
    }

    QMap<QString, bool> options;
    QMap<QString, CheckValue> checks;
    QMap<QString, QString> texts;
    QStringList calls;
};

const QStringList DefaultLoad = {"optAll=1",          "optText=0",      "chkSub=0",
                                 "chkASP=0",          "chkPHP=0",       "chkCFM=0",
                                 "chkHTM=0",          "chkHTML=0",      "chkPL=0",
                                 "chkTXT=0",          "chkThis=0",      "txtThis=0",
                                 "chkBackUp=0",       "chkCase=0",      "chkLog=0",
                                 "chkSearchOnly=0",   "chkDoAllCRLF=0", "chkKeepLeftSpc=0",
                                 "chkKeepRightSpc=0", "chkAllType=1",   "DisableControls AllType 0",
                                 "optFile=0",         "txtPath=",       "txtSearch=",
                                 "txtReplace="};

class SettingsTest : public ::testing::Test {
protected:
    QStringList load() {
        FakeControls controls;
        LoadSettings(m_ini, controls);
        m_loaded = controls;
        return controls.calls;
    }

    QTemporaryDir m_dir;
    QString m_ini = m_dir.filePath("zuk.ini");
    FakeControls m_loaded;
};

TEST_F(SettingsTest, NoFileAndCorruptFilesGiveTheDefaults) {
    EXPECT_EQ(load(), DefaultLoad);
    writeBytes(m_ini, QByteArray("\x00\xFF\xFE[Options\n\x01=\x02\r\xC3", 14));
    EXPECT_EQ(load(), DefaultLoad);
    writeBytes(m_ini, "[Options]\nOptAll=abc\nchkSub=5\nCRLF=-1\nBU=1.0\nAlltype=x\n"
                      "OptFile= 1x\noptText=\nTHST=\n");
    EXPECT_EQ(load(), DefaultLoad);
}

TEST_F(SettingsTest, SavesAll24KeysInOrderWithTheirSpellings) {
    FakeControls controls;
    controls.options = {{"optText", true}, {"optFile", true}};
    controls.checks = {{"chkSub", 1}, {"chkAllType", 2}, {"chkLog", 1}, {"chkKeepRightSpc", 1}};
    controls.texts = {{"txtThis", "inc"}, {"txtPath", "/p"}, {"txtSearch", "a\r\nb"}};
    ASSERT_TRUE(SaveSettings(m_ini, controls).ok());
    EXPECT_EQ(readBytes(m_ini),
              "[Options]\r\nOptText=1\r\nOptFile=0\r\nOptAll=0\r\nChkSub=1\r\n"
              "AllType=2\r\nASP=0\r\nPHP=0\r\nCFM=0\r\nHTM=0\r\nHTML=0\r\nPL=0\r\n"
              "TXT=0\r\nTHS=0\r\nTHST=inc\r\nBU=0\r\nCase=0\r\nLOG=1\r\n"
              "SERONL=0\r\nPath=/p\r\nSStr={zuk}a\\r\\nb\r\nRStr=\r\nCRLF=0\r\n"
              "SPLT=0\r\nSPRT=1\r\n");

    controls.options = {{"optFile", true}};
    ASSERT_TRUE(SaveSettings(m_ini, controls).ok());
    EXPECT_EQ(ReadIni(m_ini, "Options", "OptText", "") + ReadIni(m_ini, "Options", "OptFile", "") +
                  ReadIni(m_ini, "Options", "OptAll", ""),
              "010");
    controls.options = {};
    ASSERT_TRUE(SaveSettings(m_ini, controls).ok());
    EXPECT_EQ(ReadIni(m_ini, "Options", "OptText", "") + ReadIni(m_ini, "Options", "OptFile", "") +
                  ReadIni(m_ini, "Options", "OptAll", ""),
              "001");
}

TEST_F(SettingsTest, SaveThenLoadGivesTheSameControls) {
    FakeControls saved;
    saved.options = {{"optFile", true}};
    saved.checks = {{"chkSub", 1}, {"chkASP", 2}, {"chkDoAllCRLF", 1}, {"chkCase", 1}};
    saved.texts = {{"txtPath", "/srv/www"},
                   {"txtSearch", "  <p>\r\n\tline\nlone\rcr  "},
                   {"txtReplace", "x\r\n"}};
    ASSERT_TRUE(SaveSettings(m_ini, saved).ok());
    const QStringList calls = load();
    for (const QString& name : saved.texts.keys())
        EXPECT_EQ(m_loaded.texts[name], saved.texts[name]) << name.toStdString();
    EXPECT_EQ(m_loaded.texts["txtThis"], "0"); // an empty custom extension comes back as "0"
    EXPECT_EQ(m_loaded.checks["chkAllType"], 0);
    EXPECT_EQ(m_loaded.checks["chkASP"], 2);
    EXPECT_TRUE(m_loaded.options["optFile"]);
    EXPECT_FALSE(m_loaded.options["optAll"]);
    EXPECT_TRUE(calls.contains("DisableControls OptFile 0"));
    EXPECT_FALSE(calls.contains("DisableControls AllType 0"));
}

TEST_F(SettingsTest, HandEditedLowerCaseKeyIsReadAndUpdatedInPlace) {
    writeBytes(m_ini, "; kept\n[OPTIONS]\nlog=1\n[Mine]\nx=y\n");
    load();
    EXPECT_EQ(m_loaded.checks["chkLog"], 1);
    m_loaded.checks["chkLog"] = 0;
    ASSERT_TRUE(SaveSettings(m_ini, m_loaded).ok());
    const QByteArray saved = readBytes(m_ini);
    EXPECT_TRUE(saved.startsWith("; kept\n[OPTIONS]\nlog=0\nOptText=0\n")) << saved.constData();
    EXPECT_FALSE(saved.contains("LOG="));
    EXPECT_TRUE(saved.endsWith("SPRT=0\n[Mine]\nx=y\n"));
}

TEST_F(SettingsTest, OptFileMinusOneTurnsTheOptionOnWithoutTheExplicitDisable) {
    writeBytes(m_ini,
               "[Options]\r\nOptFile=-1\r\nOptAll=0\r\nSStr=" + QByteArray(3000, 'q') + "\r\n");
    const QStringList calls = load();
    EXPECT_TRUE(calls.contains("optFile=1"));
    EXPECT_TRUE(calls.contains("optAll=0"));
    EXPECT_FALSE(calls.contains("DisableControls OptFile 0"));
    EXPECT_EQ(m_loaded.texts["txtSearch"], QString(3000, u'q'));
}

TEST_F(SettingsTest, UnwritableLocationFailsQuietly) {
    writeBytes(m_dir.filePath("file"), "x");
    FakeControls controls;
    EXPECT_FALSE(SaveSettings(m_dir.filePath("file/zuk.ini"), controls).ok());
    EXPECT_FALSE(SaveSettings(m_dir.filePath("gone/zuk.ini"), controls).ok());
}

} // namespace

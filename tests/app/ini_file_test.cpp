// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ini_document.h"
#include "app/ini_file.h"
#include "support/temp_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using zuk::test::readBytes;
using zuk::test::writeBytes;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("zuk.ini")) const {
        return m_dir.filePath(name);
    }
    QTemporaryDir m_dir;
};

TEST_F(IniFileTest, MissingFileGivesDefaultAndWriteCreatesItWithCrLf) {
    EXPECT_EQ(ReadIni(path(), "Options", "Path", "dflt"), "dflt");
    EXPECT_TRUE(WriteIni(path(), "Options", "Path", "/home/a b"));
    EXPECT_TRUE(WriteIni(path(), "options", "SStr", ""));
    EXPECT_EQ(readBytes(path()), "[Options]\r\nPath=/home/a b\r\nSStr=\r\n");
    EXPECT_EQ(ReadIni(path(), "OPTIONS", "path", "x"), "/home/a b");
    EXPECT_EQ(ReadIni(path(), "Options", "SStr", "empty"), "empty");
}

TEST_F(IniFileTest, UpdatesInPlaceAndKeepsEverythingElse) {
    writeBytes(path(), "; my settings\n[Other]\nlog=7\n\n[ options ]\n  log = 1  \n# note\n"
                       "Path=x\n\n[Last]\nk=v");
    EXPECT_EQ(ReadIni(path(), "Options", "LOG", "0"), "1");
    EXPECT_TRUE(WriteIni(path(), "Options", "LOG", "0"));
    EXPECT_TRUE(WriteIni(path(), "Options", "SStr", "new"));
    EXPECT_TRUE(WriteIni(path(), "Extra", "a", "b"));
    EXPECT_EQ(readBytes(path()), "; my settings\n[Other]\nlog=7\n\n[ options ]\n  log = 0\n# note\n"
                                 "Path=x\nSStr=new\n\n[Last]\nk=v\n[Extra]\na=b\n");
    EXPECT_EQ(ReadIni(path(), "Other", "LOG", ""), "7");
}

TEST_F(IniFileTest, LongValuesComeBackWholeUpToOneMebibyte) {
    const qsizetype mebibyte = 1024 * 1024;
    for (const qsizetype length : {qsizetype(5000), mebibyte, mebibyte + 10}) {
        const QString longValue = QString(length, u'x');
        ASSERT_TRUE(WriteIni(path(), "Options", "SStr", longValue));
        EXPECT_EQ(ReadIni(path(), "Options", "SStr", ""), longValue.left(mebibyte));
    }
}

TEST_F(IniFileTest, TextsThatWouldNotReadBackVerbatimSurviveExactly) {
    const QStringList values = {"a\r\nb\r\n",
                                "a\nb",
                                "a\rb",
                                "\tx\ty\t",
                                "  lead and trail  ",
                                "{zuk}literal",
                                "c:\\x\\n\r\n",
                                QString("nul") + QChar(0) + "x",
                                QString(QChar(0xD800)) + "z"};
    for (const QString& value : values) {
        ASSERT_TRUE(WriteIni(path(), "Options", "SStr", value));
        EXPECT_EQ(ReadIni(path(), "Options", "SStr", ""), value);
    }
    EXPECT_EQ(readBytes(path()).count('\n'), 2); // one line for the header, one for the key

    // Single-line texts are stored as they are, so files written before read the same.
    const QString plain = "C:\\dir\\n a\t=;\"q\" {zuk}";
    ASSERT_TRUE(WriteIni(path(), "Options", "SStr", plain));
    EXPECT_EQ(readBytes(path()), "[Options]\r\nSStr=" + plain.toUtf8() + "\r\n");
    writeBytes(path(), "[Options]\r\nSStr={zuk}bad \\q and \\u12\r\n");
    EXPECT_EQ(ReadIni(path(), "Options", "SStr", ""), "bad \\q and \\u12");
}

TEST_F(IniFileTest, OddEncodingsAndBinaryFilesAreReadSafelyAndKeptByteForByte) {
    const QByteArray eightBit = "\xEF\xBB\xBF[Options]\r\nPath=caf\xE9\r\n";
    writeBytes(path(), eightBit);
    EXPECT_EQ(ReadIni(path(), "Options", "Path", ""), QString::fromUtf8("caf\u00E9"));
    ASSERT_TRUE(WriteIni(path(), "Options", "SStr", QString::fromUtf8("\u20AC")));
    EXPECT_EQ(readBytes(path()), eightBit + "SStr=\xE2\x82\xAC\r\n");

    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 7919) % 256);
    writeBytes(path(), binary);
    EXPECT_EQ(ReadIni(path(), "Options", "Path", "dflt"), "dflt");
    ASSERT_TRUE(WriteIni(path(), "Options", "Path", "p"));
    EXPECT_TRUE(readBytes(path()).startsWith(binary));
    EXPECT_EQ(ReadIni(path(), "Options", "Path", ""), "p");

    const QString utf16 = "[Options]\r\nPath=\u00E9\r\n";
    QByteArray utf16Bytes("\xFF\xFE");
    for (QChar c : utf16)
        utf16Bytes += char(c.unicode() & 0xFF), utf16Bytes += char(c.unicode() >> 8);
    writeBytes(path(), utf16Bytes);
    ASSERT_TRUE(WriteIni(path(), "Options", "Path", "x"));
    EXPECT_EQ(ReadIni(path(), "Options", "Path", ""), "x");
    EXPECT_TRUE(readBytes(path()).startsWith("\xFF\xFE[\0O\0"));
}

TEST_F(IniFileTest, ABrokenFileWithAUtf16MarkKeepsAValueWrittenToIt) {
    // An odd number of bytes after the mark: whatever its length after the save, the file
    // must be read the same way again.
    for (const QByteArray& broken : {QByteArray("\xFE\xFF\x41\x42\x0A"), QByteArray("\xFF\xFEx")}) {
        writeBytes(path(), broken);
        ASSERT_TRUE(WriteIni(path(), "Options", "Path", "kept"));
        EXPECT_EQ(ReadIni(path(), "Options", "Path", ""), "kept") << broken.toHex().data();
        const QByteArray saved = readBytes(path());
        EXPECT_TRUE(saved.startsWith(broken.chopped(1)));
        EXPECT_TRUE(saved.endsWith(broken.right(1)));
    }
}

TEST_F(IniFileTest, UnwritableOrUnreadableLocationsFailWithoutHarm) {
    writeBytes(path("plain"), "not a folder");
    EXPECT_FALSE(WriteIni(path("plain/zuk.ini"), "Options", "A", "1"));
    EXPECT_FALSE(WriteIni(path("missing/zuk.ini"), "Options", "A", "1"));
    EXPECT_FALSE(QDir(path("missing")).exists());
    EXPECT_EQ(ReadIni(path("plain/zuk.ini"), "Options", "A", "d"), "d");

    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.ini"));
    EXPECT_FALSE(WriteIni(path("folder.ini"), "Options", "A", "1"));
    EXPECT_EQ(ReadIni(path("folder.ini"), "Options", "A", "d"), "d");
    EXPECT_EQ(readBytes(path("plain")), "not a folder");
}

TEST(IniDocumentTest, NewLinesFollowTheFileAndEndAnUnterminatedLastLine) {
    IniDocument document = IniDocument::fromBytes("[Options]\rA=1");
    document.setValue("Options", "B", "2");
    EXPECT_EQ(document.toBytes(), "[Options]\rA=1\rB=2\r");
}

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/text/text_buffer.h"
#include "support/temp_files.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zuk;
using namespace zuk::test;

TEST(TextBuffer, ReplacingKeepsEveryOtherByteOfEachEncoding) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QByteArray before;
        QByteArray after;
    };
    const QList<Case> cases = {
        {"utf8-mark", "\xEF\xBB\xBFx \xC3\xA9\r\nx\n", "\xEF\xBB\xBFyy \xC3\xA9\r\nyy\n"},
        {"utf16le", QByteArray("\xFF\xFEx\0\r\0\n\0x\0", 10),
         QByteArray("\xFF\xFEy\0y\0\r\0\n\0y\0y\0", 14)},
        {"utf16be", QByteArray("\xFE\xFF\0x\0\xE9", 6), QByteArray("\xFE\xFF\0y\0y\0\xE9", 8)},
        {"invalid-utf8", "x\xC3(x\xFF", "yy\xC3(yy\xFF"},
        {"mark-then-invalid", "\xEF\xBB\xBFx\xFF", "\xEF\xBB\xBFyy\xFF"},
        {"mixed-breaks", "x\r\nx\nx\rx", "yy\r\nyy\nyy\ryy"},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(c.name);
        writeBytes(path, c.before);
        TextBuffer buffer;
        ASSERT_TRUE(buffer.load(path)) << c.name;
        // Positions count bytes while the buffer holds them.
        const auto next = [&](qsizetype from) {
            return buffer.holdsBytes() ? buffer.bytes().indexOf(QByteArrayView("x"), from)
                                       : buffer.text().indexOf(u'x', from);
        };
        TextBuffer::Rewrite rewrite(buffer);
        for (qsizetype at = next(0); at >= 0; at = next(at + 1))
            rewrite.replace(at, 1, u"yy");
        rewrite.finish();
        ASSERT_TRUE(buffer.save(path)) << c.name;
        EXPECT_EQ(readBytes(path), c.after) << c.name;
    }
}

TEST(TextBuffer, LineBreakIsTheFirstOneOfTheText) {
    TextBuffer buffer;
    buffer.setText("a\rb\r\nc");
    EXPECT_EQ(buffer.lineBreak(), "\r");
    buffer.setText("a\r\nb\nc");
    EXPECT_EQ(buffer.lineBreak(), "\r\n");
    buffer.setText("no break");
    EXPECT_EQ(buffer.lineBreak(), "\n");
}

TEST(TextBuffer, RefusesToOverwriteAFileChangedSinceItWasRead) {
    QTemporaryDir dir;
    const QString path = dir.filePath("page.htm");
    writeBytes(path, "first");
    TextBuffer buffer;
    ASSERT_TRUE(buffer.load(path));
    writeBytes(path, "changed meanwhile");
    EXPECT_FALSE(buffer.save(path));
    EXPECT_EQ(readBytes(path), "changed meanwhile");
}

TEST(TextBuffer, AFileRemovedSinceItWasLoadedIsNotWrittenAgain) {
    QTemporaryDir dir;
    const QString path = dir.filePath("script.pl");
    writeBytes(path, "#!/usr/bin/perl\n");
    TextBuffer buffer;
    ASSERT_TRUE(buffer.load(path));
    ASSERT_TRUE(QFile::rename(path, path + "_gone"));
    const Status saved = buffer.save(path);
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().number, ErrorNumber::FileNotFound);
    EXPECT_FALSE(QFileInfo::exists(path));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_place.h"
#include "support/temp_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

TEST(WindowPlace, ReadsWhatWasSavedAndNothingUnusable) {
    struct Case {
        QByteArray file;
        std::optional<QRect> read;
    };
    const QList<Case> cases = {
        {"[Preview]\r\nPlace=10 -20 800 600\r\n", QRect(10, -20, 800, 600)},
        {"", std::nullopt},
        {"[Preview]\r\nPlace=10 20 800\r\n", std::nullopt},
        {"[Preview]\r\nPlace=10 20 x 600\r\n", std::nullopt},
        {"[Preview]\r\nPlace=10 20 0 600\r\n", std::nullopt},
        {"[Options]\r\nPlace=10 20 800 600\r\n", std::nullopt},
    };
    QTemporaryDir dir;
    const QString ini = dir.filePath("zuk.ini");
    for (const Case& c : cases) {
        writeBytes(ini, c.file);
        EXPECT_EQ(loadWindowPlace(ini, "Preview"), c.read) << c.file.toStdString();
    }
}

TEST(WindowPlace, SavingLeavesTheOtherSectionsAsTheyWere) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("zuk.ini");
    writeBytes(ini, "[Options]\r\nSEARCH=a b\r\n");
    ASSERT_TRUE(saveWindowPlace(ini, "Preview", QRect(1, 2, 300, 400)));
    EXPECT_EQ(readBytes(ini), "[Options]\r\nSEARCH=a b\r\n[Preview]\r\nPlace=1 2 300 400\r\n");
    EXPECT_EQ(loadWindowPlace(ini, "Preview"), QRect(1, 2, 300, 400));
    // A settings folder that can't be written: refused, nothing lost.
    EXPECT_FALSE(
        saveWindowPlace(dir.filePath("missing/zuk.ini"), "Preview", QRect(1, 2, 300, 400)));
}

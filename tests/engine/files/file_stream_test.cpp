// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_stream.h"

#include "support/temp_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;

// A file that fits the buffer is shown by sharing the buffer; reading the file again into the
// buffer afterwards must leave the shown bytes alone and still read the whole file.
TEST(FileStream, AWholeFileSharedForShowingIsReadAgainWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("page.htm");
    const QByteArray text = "<p>caf\xc3\xa9 widget</p>\n";
    test::writeBytes(path, text);

    Result<std::unique_ptr<FileStream>> opened = FileStream::open(path, 1 << 20);
    ASSERT_TRUE(opened.ok());
    FileStream& in = *opened.value();
    ASSERT_TRUE(in.atEnd());
    const QByteArray shown = in.beginning();
    EXPECT_EQ(shown, text);

    // The file grew meanwhile: the second reading takes more than the shared bytes held.
    test::writeBytes(path, text + "more");
    ASSERT_TRUE(in.grow().ok());
    EXPECT_TRUE((text + "more").startsWith(in.window().toByteArray()));
    EXPECT_GT(in.window().size(), text.size());
    EXPECT_EQ(shown, text);
}

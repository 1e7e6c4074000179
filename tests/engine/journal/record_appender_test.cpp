// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/journal/record_appender.h"

#include "engine/journal/journal_record.h"
#include "support/temp_files.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace zuk {
namespace {

// Lines go into the record, mapped or written: until close the file may hold zeros after them
// (what a kill leaves), which a reader passes over; after it, exactly the lines, and a write
// goes right after them.
TEST(RecordAppenderTest, TheRecordHoldsItsLinesThenZerosUntilClosedThenOnlyItsLines) {
    using namespace journal_record;
    FileEntry entry;
    entry.name = QByteArray(3 << 20, 'n');        // one line longer than the room set aside
    for (const int access : {O_RDWR, O_WRONLY}) { // mapped, or refused the mapping
        SCOPED_TRACE(access == O_RDWR ? "mapped" : "written");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("record"));
        const int fd =
            ::open(QFile::encodeName(path).constData(), access | O_CREAT | O_APPEND, 0600);
        ASSERT_GE(fd, 0);
        QByteArray lines = headerLine({1, RunKind::Run, 1, 0, "/", "x"});
        ASSERT_TRUE(::write(fd, lines.constData(), size_t(lines.size())) == lines.size());
        {
            RecordAppender appender(fd);
            for (const qint64 number : {1, 2, 3}) {
                entry.number = number;
                entry.name.resize(number == 2 ? entry.name.size() : 5);
                const QByteArray line = entryLine(entry);
                ASSERT_TRUE(appender.append(line).ok());
                lines += line;
                entry.name.resize(3 << 20, 'n');
            }
            const QByteArray cut = test::readBytes(path);
            ASSERT_TRUE(cut.startsWith(lines));
            EXPECT_EQ(cut.sliced(lines.size()).count('\0'), cut.size() - lines.size());
            const Result<RunRecord> read = parse(cut);
            ASSERT_TRUE(read.ok());
            EXPECT_EQ(read.value().entries.size(), 3);
            ASSERT_TRUE(appender.close().ok());
        }
        const QByteArray end = endLine({2, 3, 0});
        ASSERT_TRUE(::write(fd, end.constData(), size_t(end.size())) == end.size());
        ::close(fd);
        EXPECT_EQ(test::readBytes(path), lines + end);
    }
}

} // namespace
} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/journal/journal_record.h"

#include "engine/files/path_bytes.h"

#include <gtest/gtest.h>

namespace zuk {
namespace {

using namespace journal_record;

ContentHash hashOf(const QByteArray& bytes) {
    ContentHasher hasher;
    hasher.add(bytes);
    return hasher.result();
}

TEST(JournalRecordTest, ReadsBackWhatItWrote) {
    RunHeader header{7,
                     RunKind::Undo,
                     1700000000123,
                     5,
                     decodePath("/tmp/caf\xe9 \n dir"),
                     QStringLiteral("two\nlines \u00e9")};
    FileEntry entry;
    entry.number = 3;
    entry.name = "/tmp/caf\xe9/a b\nc";
    entry.old = {1, 2, 3, -4, 0100644, 1000, 1000};
    entry.oldHash = hashOf("old");
    entry.newHash = hashOf("new");
    entry.kept = KeptAs::Copy;
    entry.keptName = "3";
    FileEntry notKept = entry;
    notKept.number = 4;
    notKept.oldHash = {};
    notKept.kept = KeptAs::OverLimit;
    notKept.keptName = "";
    const FileIdentity written{9, 8, 7, 6, 0100600, 0, 0};

    const Result<RunRecord> read =
        parse(headerLine(header) + entryLine(entry) + entryLine(notKept) + writtenLine(3, written) +
              abandonedLine(4) + endLine({1700000000999, 1, 3}));
    ASSERT_TRUE(read.ok());
    const RunRecord& record = read.value();
    EXPECT_EQ(record.header.id, 7);
    EXPECT_EQ(record.header.kind, RunKind::Undo);
    EXPECT_EQ(record.header.undoes, 5);
    EXPECT_EQ(encodePath(record.header.path), "/tmp/caf\xe9 \n dir");
    EXPECT_EQ(record.header.searchText, header.searchText);
    ASSERT_EQ(record.entries.size(), 2);
    const FileEntry& first = record.entries[0];
    EXPECT_EQ(first.name, entry.name);
    EXPECT_EQ(first.old.mtimeNs, -4);
    EXPECT_EQ(first.old.mode, 0100644u);
    EXPECT_EQ(first.oldHash, entry.oldHash);
    EXPECT_EQ(first.newHash, entry.newHash);
    EXPECT_EQ(first.kept, KeptAs::Copy);
    EXPECT_EQ(first.keptName, "3");
    ASSERT_TRUE(first.written.has_value());
    EXPECT_EQ(first.written->inode, 8u);
    EXPECT_FALSE(record.entries[1].oldHash.isKnown());
    EXPECT_EQ(record.entries[1].kept, KeptAs::OverLimit);
    EXPECT_TRUE(record.entries[1].abandoned);
    ASSERT_TRUE(record.end.has_value());
    EXPECT_EQ(record.end->copiedBytes, 3);
}

// Names of every length a field's last group can take, and every byte, read back the same;
// lines formed after others held for the same write read as the lines formed alone.
TEST(JournalRecordTest, NamesOfAnyBytesReadBackAndLinesHeldTogetherReadAsAlone) {
    QByteArray every(256, Qt::Uninitialized);
    for (int byte = 0; byte < 256; ++byte)
        every[byte] = char(byte);
    QByteArray held = headerLine({1, RunKind::Run, 1, 0, "/", "x"});
    QByteArray alone = held;
    FileEntry entry;
    entry.newHash = hashOf("new");
    for (qsizetype size = 0; size <= 8; ++size) {
        entry.number = size + 1;
        entry.name = size == 8 ? every : every.sliced(250 - size, size);
        entry.keptName = every.sliced(0, size);
        appendEntryLine(held, entry);
        appendWrittenLine(held, entry.number, {1, 2, 3, 4, 5, 6, 7});
        alone += entryLine(entry) + writtenLine(entry.number, {1, 2, 3, 4, 5, 6, 7});
    }
    EXPECT_EQ(held, alone);
    const Result<RunRecord> read = parse(held);
    ASSERT_TRUE(read.ok());
    ASSERT_EQ(read.value().entries.size(), 9);
    for (qsizetype size = 0; size <= 8; ++size) {
        const FileEntry& back = read.value().entries[size];
        EXPECT_EQ(back.name, size == 8 ? every : every.sliced(250 - size, size)) << size;
        EXPECT_EQ(back.keptName, every.sliced(0, size)) << size;
        EXPECT_TRUE(back.written.has_value());
    }
}

// A kill (or a power cut) may leave any prefix of the record, or spoil its last bytes: what is
// read is every whole line before that point and nothing after it.
TEST(JournalRecordTest, ReadsARecordCutShortAsFarAsItsLinesAreWhole) {
    FileEntry entry;
    entry.name = "/a";
    entry.newHash = hashOf("new");
    QList<QByteArray> lines = {headerLine({1, RunKind::Run, 1, 0, "/", "x"})};
    for (qint64 number = 1; number <= 3; ++number) {
        entry.number = number;
        lines.append(entryLine(entry));
    }
    lines.append(endLine({2, 1, 0}));
    const QByteArray whole = lines.join();
    QList<qsizetype> ends; // where each line ends
    for (const QByteArray& line : std::as_const(lines))
        ends.append((ends.isEmpty() ? 0 : ends.last()) + line.size());
    for (qsizetype cut = 1; cut <= whole.size(); ++cut) {
        for (const bool spoiled : {false, true}) {
            QByteArray bytes = whole.left(cut);
            if (spoiled)
                bytes[cut - 1] = bytes[cut - 1] == '0' ? '1' : '0';
            qsizetype expected = 0; // whole lines
            while (expected < ends.size() && ends[expected] <= cut)
                ++expected;
            if (spoiled && ends.contains(cut))
                --expected;
            const Result<RunRecord> read = parse(bytes);
            ASSERT_EQ(read.ok(), expected > 0) << cut;
            if (!read)
                continue;
            EXPECT_EQ(read.value().entries.size(), std::min<qsizetype>(expected - 1, 3)) << cut;
            EXPECT_EQ(read.value().end.has_value(), expected == lines.size()) << cut;
            EXPECT_EQ(read.value().wholeLength, ends[expected - 1]) << cut;
        }
    }
}

} // namespace
} // namespace zuk

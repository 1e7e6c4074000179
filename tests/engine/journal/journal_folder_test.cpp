// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/journal/journal_folder.h"
#include "engine/journal/journal_history.h"
#include "engine/journal/journal_undo.h"
#include "engine/journal/run_journal.h"

#include "engine/files/file_identity.h"
#include "engine/files/file_io.h"
#include "engine/files/path_bytes.h"
#include "journaled_write.h"
#include "support/temp_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk {
namespace {

using test::journaledWrite;
using test::readBytes;
using test::writeBytes;

class JournalFolderTest : public ::testing::Test {
protected:
    QString file(const QString& name) const { return m_files.filePath(name); }
    QString journalPath() const { return m_settings.filePath(QStringLiteral("journal")); }

    // A run over `names` in the files' folder, each given `bytes`; gives the run's journal.
    std::unique_ptr<RunJournal> run(JournalFolder& folder, const QStringList& names,
                                    const QByteArray& bytes) {
        auto journal = std::make_unique<RunJournal>(
            folder, RunInfo{RunKind::Run, m_files.path(), QStringLiteral("x"), 0});
        for (const QString& name : names)
            EXPECT_TRUE(journaledWrite(*journal, file(name), bytes).ok());
        EXPECT_TRUE(journal->finish().ok());
        return journal;
    }

    QList<qint64> runIds(JournalFolder& folder) {
        QList<qint64> ids;
        const Result<QList<RunSummary>> history = journalHistory(folder);
        EXPECT_TRUE(history.ok());
        for (const RunSummary& run : history.value())
            ids.append(run.id);
        return ids;
    }

    // The links every run kept holds.
    qsizetype objectCount() const {
        qsizetype count = 0;
        const QDir runs(journalPath() + QStringLiteral("/runs"));
        for (const QString& run : runs.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            count +=
                QDir(runs.filePath(run) + QStringLiteral("/links")).entryList(QDir::Files).size();
        return count;
    }

    QTemporaryDir m_files;
    QTemporaryDir m_settings;
};

TEST_F(JournalFolderTest, ARunThatChangesNothingLeavesNothing) {
    JournalFolder folder(journalPath());
    RunJournal journal(folder, {RunKind::Run, m_files.path(), QStringLiteral("x"), 0});
    EXPECT_TRUE(journal.finish().ok());
    EXPECT_EQ(journal.id(), 0);
    EXPECT_FALSE(QFileInfo::exists(journalPath()));

    // A place asked for a new file starts the record; a write that never comes leaves nothing.
    ASSERT_TRUE(folder.open(true).ok());
    writeBytes(file("a"), "old");
    RunJournal placed(folder, {RunKind::Run, m_files.path(), QStringLiteral("x"), 0});
    ASSERT_TRUE(placed.placeFor(identifyFile(file("a")).value()).has_value());
    EXPECT_NE(placed.id(), 0);
    EXPECT_TRUE(placed.finish().ok());
    EXPECT_EQ(runIds(folder), QList<qint64>{});
    EXPECT_EQ(QDir(journalPath() + QStringLiteral("/runs"))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                  .size(),
              0);
}

TEST_F(JournalFolderTest, KeepsTheNewestRunsAndTheirObjectsOnly) {
    JournalFolder folder(journalPath(), {2, qint64(1) << 30});
    for (int i = 0; i < 3; ++i)
        writeBytes(file(QStringLiteral("f%1").arg(i)), "before");
    for (int i = 0; i < 3; ++i)
        run(folder, {QStringLiteral("f%1").arg(i)}, "after");
    EXPECT_EQ(runIds(folder), (QList<qint64>{3, 2}));
    EXPECT_EQ(objectCount(), 2);
    // The first run's old file is gone with its run; the others' are still kept.
    EXPECT_EQ(readBytes(file(QStringLiteral("f0"))), "after");
}

TEST_F(JournalFolderTest, CopiesStayWithinTheLimitOldestRunsFirst) {
    JournalFolder folder(journalPath(), {20, 250});
    folder.setForceCopies(true);
    const QByteArray before(100, 'o');
    for (const char* name : {"a", "b", "c", "d", "e", "f", "g"})
        writeBytes(file(QString::fromLatin1(name)), before);

    EXPECT_TRUE(run(folder, {"a", "b"}, "1")->notKept().isEmpty());
    // The second run makes room by dropping the first.
    EXPECT_TRUE(run(folder, {"c", "d"}, "2")->notKept().isEmpty());
    EXPECT_EQ(runIds(folder), (QList<qint64>{2}));
    // The third drops the second, then keeps what fits and names the rest.
    const auto third = run(folder, {"e", "f", "g"}, "3");
    EXPECT_EQ(third->notKept(), QStringList{file(QStringLiteral("g"))});
    EXPECT_EQ(runIds(folder), (QList<qint64>{3}));
    EXPECT_EQ(folder.copiedBytes(0), 200);

    const Result<UndoReport> undone = JournalUndo(folder).undo(third->id());
    ASSERT_TRUE(undone.ok());
    EXPECT_EQ(undone.value().count(UndoVerdict::PutBack), 2);
    EXPECT_EQ(undone.value().count(UndoVerdict::NotKept), 1);
    EXPECT_EQ(readBytes(file(QStringLiteral("e"))), before);
    EXPECT_EQ(readBytes(file(QStringLiteral("g"))), "3");
}

// A roll back puts a kept old file back under its name; a later run keeps that same file.
TEST_F(JournalFolderTest, AFileKeptByTwoRunsStaysUntilNeitherNamesIt) {
    JournalFolder folder(journalPath(), {1, qint64(1) << 30});
    const QString a = file(QStringLiteral("a"));
    const QString backup = file(QStringLiteral("a_BU"));
    writeBytes(a, "before");
    ASSERT_EQ(::link(encodePath(a).constData(), encodePath(backup).constData()), 0);
    const Result<FileIdentity> kept = identifyFile(a);
    ASSERT_TRUE(kept.ok());
    run(folder, {QStringLiteral("a")}, "first");
    EXPECT_TRUE(folder.keepsFile(kept.value().device, kept.value().inode));
    ASSERT_TRUE(renameFile(backup, a).ok()); // the roll back

    // The writer takes the journal's link for another name of the file, so this run renames
    // by itself.
    RunJournal second(folder, {RunKind::Run, m_files.path(), QStringLiteral("x"), 0});
    ContentHasher hasher;
    hasher.add("second");
    const Result<qint64> entry = second.beforeCommit(a, kept.value(), hasher.result());
    ASSERT_TRUE(entry.ok());
    writeBytes(file(QStringLiteral("new")), "second");
    ASSERT_TRUE(renameFile(file(QStringLiteral("new")), a).ok());
    second.committed(entry.value(), std::nullopt);
    ASSERT_TRUE(second.finish().ok());
    EXPECT_EQ(runIds(folder), QList<qint64>{2});
    EXPECT_TRUE(folder.keepsFile(kept.value().device, kept.value().inode));

    ASSERT_TRUE(JournalUndo(folder).undo(second.id()).ok());
    EXPECT_EQ(readBytes(a), "before");
    // The undo is the one run kept now, and it names no old file of the first two.
    EXPECT_FALSE(folder.keepsFile(kept.value().device, kept.value().inode));
}

// The kernel refuses to link a file marked append-only, as it does for a file of another user
// where links are protected.
TEST_F(JournalFolderTest, AFileTheKernelWontLinkIsCopied) {
    const QString a = file(QStringLiteral("a"));
    writeBytes(a, "before");
    const int fd = ::open(encodePath(a).constData(), O_RDONLY);
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0 ||
        (flags |= FS_APPEND_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags)) != 0) {
        ::close(fd);
        GTEST_SKIP() << "no append-only files here";
    }
    JournalFolder folder(journalPath());
    RunJournal journal(folder, {RunKind::Run, m_files.path(), QStringLiteral("x"), 0});
    const Result<FileIdentity> old = identifyFile(a);
    ASSERT_TRUE(old.ok());
    const Result<qint64> entry = journal.beforeCommit(a, old.value(), {});
    flags &= ~FS_APPEND_FL;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);
    ASSERT_TRUE(entry.ok()) << entry.error().message().toStdString();
    journal.committed(entry.value(), std::nullopt);
    ASSERT_TRUE(journal.finish().ok());

    const Result<RunRecord> record = folder.readRecord(journal.id());
    ASSERT_TRUE(record.ok());
    ASSERT_EQ(record.value().entries.size(), 2);
    EXPECT_TRUE(record.value().entries[0].abandoned);
    EXPECT_EQ(record.value().entries[1].kept, KeptAs::Copy);
    EXPECT_EQ(record.value().entries[1].number, entry.value());
    const Result<int> kept = folder.openKept(journal.id(), KeptAs::Copy, "2");
    ASSERT_TRUE(kept.ok());
    ::close(kept.value());
}

// A journal whose runs kept their links in one folder that every run shared.
TEST_F(JournalFolderTest, LinksInTheSharedFolderAreTakenBackAndPrunedStill) {
    const QString a = file(QStringLiteral("a"));
    writeBytes(a, "before");
    const Result<FileIdentity> old = identifyFile(a);
    ASSERT_TRUE(old.ok());
    const QByteArray object = JournalFolder::linkName(old.value().device, old.value().inode);
    for (const char* folder : {"", "/objects", "/runs", "/runs/1"})
        ASSERT_EQ(::mkdir(encodePath(journalPath() + folder).constData(), 0700), 0);
    ASSERT_EQ(::link(encodePath(a).constData(),
                     encodePath(journalPath() + "/objects/").append(object).constData()),
              0);
    FileEntry entry;
    entry.number = 1;
    entry.name = encodePath(a);
    entry.old = old.value();
    ContentHasher hasher;
    hasher.add("after");
    entry.newHash = hasher.result();
    entry.kept = KeptAs::Link;
    entry.keptName = object;
    writeBytes(journalPath() + "/runs/1/record",
               journal_record::headerLine({1, RunKind::Run, 1, 0, m_files.path(), "x"}) +
                   journal_record::entryLine(entry) + journal_record::endLine({2, 1, 0}));
    writeBytes(file(QStringLiteral("new")), "after");
    ASSERT_TRUE(renameFile(file(QStringLiteral("new")), a).ok());

    JournalFolder folder(journalPath(), {1, qint64(1) << 30});
    ASSERT_TRUE(folder.open(false).ok());
    EXPECT_TRUE(folder.keepsFile(old.value().device, old.value().inode));
    ASSERT_TRUE(JournalUndo(folder).undo(1).ok());
    EXPECT_EQ(readBytes(a), "before");
    // The undo is the one run kept, and the shared folder went with the last link in it.
    EXPECT_EQ(runIds(folder), QList<qint64>{2});
    EXPECT_FALSE(QFileInfo::exists(journalPath() + "/objects"));
}

TEST_F(JournalFolderTest, TheFolderIsPrivateAndNoLinkIsFollowed) {
    const QString elsewhere = m_settings.filePath(QStringLiteral("elsewhere"));
    QDir().mkpath(elsewhere + QStringLiteral("/runs"));
    struct Case {
        const char* what;
        std::function<void()> make;
        bool opens;
    };
    const QList<Case> cases = {
        {"an open folder is made private",
         [&] {
             QDir().mkdir(journalPath());
             ::chmod(encodePath(journalPath()).constData(), 0755);
         },
         true},
        {"the folder is a link", [&] { QFile::link(elsewhere, journalPath()); }, false},
        {"a folder in it is a link",
         [&] {
             QDir().mkdir(journalPath());
             QFile::link(elsewhere + QStringLiteral("/runs"), journalPath() + "/runs");
         },
         false},
    };
    for (const Case& c : cases) {
        QFile::remove(journalPath()); // a link
        QDir(journalPath()).removeRecursively();
        c.make();
        JournalFolder folder(journalPath());
        const Status opened = folder.open(true);
        EXPECT_EQ(opened.ok(), c.opens) << c.what;
        if (!opened.ok())
            EXPECT_EQ(opened.error().number, ErrorNumber::PathFileAccess) << c.what;
        else
            EXPECT_EQ(QFileInfo(journalPath()).permissions() & 0x0077, 0) << c.what;
        EXPECT_EQ(QDir(elsewhere).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                  QStringList{"runs"})
            << c.what;
    }
}

TEST(JournalHistoryTest, ShowsSearchTextsShortAndSafe) {
    const struct {
        QString text;
        QString shown;
    } cases[] = {
        {QStringLiteral("widget"), QStringLiteral("widget")},
        {QStringLiteral("two\nlines\x1b[2J"), QStringLiteral("two\\nlines\\x1B[2J")},
        {decodePath("caf\xe9"), QStringLiteral("caf\\xE9")},
        {QString(50, u'a'), QString(40, u'a') + QStringLiteral("...")},
        {QString(39, u'a') + QStringLiteral("\U0001F600b"),
         QString(39, u'a') + QStringLiteral("...")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(safeShortText(c.text, 40), c.shown) << c.text.toStdString();
}

TEST(JournalLimitsTest, SettingsValuesGiveTheLimitsAndTheDefaultsOtherwise) {
    const qint64 gib = qint64(1) << 30;
    const struct {
        const char* runs;
        const char* size;
        JournalLimits limits;
    } cases[] = {
        {"", "", {20, gib}},           {"5", "300", {5, 300}},
        {" 7 ", "64K", {7, 64 << 10}}, {"1", "2m", {1, 2 << 20}},
        {"3", "4G", {3, 4 * gib}},     {"0", "-1", {20, gib}},
        {"x", "1T", {20, gib}},        {"2.5", "99999999999G", {20, gib}},
    };
    for (const auto& c : cases) {
        const JournalLimits limits =
            journalLimitsOf(QString::fromLatin1(c.runs), QString::fromLatin1(c.size));
        EXPECT_EQ(limits.maxRuns, c.limits.maxRuns) << c.runs;
        EXPECT_EQ(limits.maxCopiedBytes, c.limits.maxCopiedBytes) << c.size;
    }
}

} // namespace
} // namespace zuk

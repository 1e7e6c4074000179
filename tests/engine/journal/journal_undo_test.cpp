// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/journal/journal_history.h"
#include "engine/journal/journal_undo.h"
#include "engine/journal/run_journal.h"

#include "engine/files/path_bytes.h"
#include "journaled_write.h"
#include "support/byte_paths.h"
#include "support/temp_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zuk {
namespace {

using test::journaledWrite;
using test::readBytes;
using test::writeBytes;

// Where the journal keeps old bytes: hard links beside the files, or copies from another file
// system (a RAM disk when there is one, else copies forced).
enum class Keeping { Links, Copies };

struct stat statOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(encodePath(path).constData(), &st), 0) << path.toStdString();
    return st;
}

qsizetype entriesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size();
}

class JournalUndoTest : public ::testing::TestWithParam<Keeping> {
protected:
    void SetUp() override {
        QString root = m_journalRoot.path();
        if (GetParam() == Keeping::Copies) {
            struct stat shm;
            if (::stat("/dev/shm", &shm) == 0 && shm.st_dev != statOf(m_files.path()).st_dev) {
                m_otherSystem.emplace(QStringLiteral("/dev/shm/zuk-journal-XXXXXX"));
                root = m_otherSystem->path();
            } else {
                m_forceCopies = true;
            }
        }
        m_folder = std::make_unique<JournalFolder>(root + QStringLiteral("/settings/journal"));
        m_folder->setForceCopies(m_forceCopies);
    }

    QString file(const QString& name) const { return m_files.filePath(name); }

    // One run writing `changes` (path, new bytes) and ended; gives its id.
    qint64 run(const QList<std::pair<QString, QByteArray>>& changes) {
        RunJournal journal(*m_folder, {RunKind::Run, m_files.path(), QStringLiteral("old"), 0});
        for (const auto& [path, bytes] : changes)
            EXPECT_TRUE(journaledWrite(journal, path, bytes).ok()) << path.toStdString();
        EXPECT_TRUE(journal.finish().ok());
        return journal.id();
    }

    UndoReport undo(qint64 id) {
        const Result<UndoReport> report = JournalUndo(*m_folder).undo(id);
        EXPECT_TRUE(report.ok()) << report.error().message().toStdString();
        return report ? report.value() : UndoReport{};
    }

    QTemporaryDir m_files;
    QTemporaryDir m_journalRoot;
    std::optional<QTemporaryDir> m_otherSystem;
    bool m_forceCopies = false;
    std::unique_ptr<JournalFolder> m_folder;
};

INSTANTIATE_TEST_SUITE_P(Keeping, JournalUndoTest,
                         ::testing::Values(Keeping::Links, Keeping::Copies), [](const auto& info) {
                             return info.param == Keeping::Links ? "Links" : "Copies";
                         });

TEST_P(JournalUndoTest, PutsBackWhatHoldsTheRunsBytesAndNamesTheRest) {
    // What happens to one file after the run, and what the undo must say of it.
    struct Case {
        const char* name;
        std::function<void(const QString&)> after;
        UndoVerdict verdict;
    };
    const QList<Case> cases = {
        {"kept.txt", {}, UndoVerdict::PutBack},
        {"edited.txt", [](const QString& p) { writeBytes(p, "by hand"); },
         UndoVerdict::EditedSince},
        {"removed.txt", [](const QString& p) { QFile::remove(p); }, UndoVerdict::Removed},
        {"linked.txt",
         [](const QString& p) {
             QFile::remove(p);
             QFile::link(QStringLiteral("kept.txt"), p);
         },
         UndoVerdict::Replaced},
    };
    QDir(m_files.path()).mkdir(QStringLiteral("sub"));
    const QString notUtf8 = decodePath(encodePath(file(QStringLiteral("sub/"))) + "caf\xe9.txt");
    const QString readOnly = file(QStringLiteral("mode.txt"));
    QList<std::pair<QString, QByteArray>> changes;
    for (const Case& c : cases)
        changes.append({file(QString::fromLatin1(c.name)), "new " + QByteArray(c.name)});
    changes.append({notUtf8, "new \xe9"});
    changes.append({readOnly, "new mode"});
    for (const auto& [path, bytes] : std::as_const(changes))
        test::writeAt(encodePath(path), "old " + bytes.mid(4) + QByteArray(70000, 'x'));
    ASSERT_EQ(::chmod(encodePath(readOnly).constData(), 0640), 0);

    const qint64 id = run(changes);
    ASSERT_GT(id, 0);
    EXPECT_EQ(statOf(m_folder->path()).st_mode & 0777, 0700u);
    // Hard links where the journal shares the files' file system, else copies.
    const qsizetype changed = changes.size();
    EXPECT_EQ(entriesIn(m_folder->path() + QStringLiteral("/runs/%1/links").arg(id)),
              GetParam() == Keeping::Links ? changed : 0);
    EXPECT_EQ(entriesIn(m_folder->path() + QStringLiteral("/runs/%1/copies").arg(id)),
              GetParam() == Keeping::Copies ? changed : 0);
    for (const Case& c : cases) {
        if (c.after)
            c.after(file(QString::fromLatin1(c.name)));
    }

    const UndoReport report = undo(id);
    EXPECT_EQ(report.runId, id);
    EXPECT_GT(report.undoId, id);
    EXPECT_EQ(report.files.size(), changes.size());
    EXPECT_EQ(report.count(UndoVerdict::PutBack), 3);
    EXPECT_EQ(report.left(), 3);
    for (const UndoFile& done : report.files) {
        const auto c = std::find_if(cases.cbegin(), cases.cend(), [&](const Case& c) {
            return done.path == file(QString::fromLatin1(c.name));
        });
        EXPECT_EQ(done.verdict, c == cases.cend() ? UndoVerdict::PutBack : c->verdict)
            << done.path.toStdString();
    }
    EXPECT_EQ(readBytes(file(QStringLiteral("kept.txt"))), "old kept.txt" + QByteArray(70000, 'x'));
    EXPECT_EQ(test::readAt(encodePath(notUtf8)), "old \xe9" + QByteArray(70000, 'x'));
    EXPECT_EQ(statOf(readOnly).st_mode & 0777, 0640u);
    EXPECT_EQ(readBytes(file(QStringLiteral("edited.txt"))), "by hand");
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("removed.txt"))));
    EXPECT_TRUE(QFileInfo(file(QStringLiteral("linked.txt"))).isSymLink());
    // Nothing but the files themselves: no temporary or kept name beside them.
    EXPECT_EQ(entriesIn(m_files.path()), 5);
    ::unlink(encodePath(notUtf8).constData()); // a name QTemporaryDir can't remove
}

TEST_P(JournalUndoTest, AnUndoIsTakenBackLikeARun) {
    const QString a = file(QStringLiteral("a.txt"));
    const QString b = file(QStringLiteral("b.txt"));
    writeBytes(a, "a before");
    writeBytes(b, "b before");
    const qint64 id = run({{a, "a after"}, {b, "b after"}});
    const qint64 undoId = undo(id).undoId;
    EXPECT_EQ(readBytes(a), "a before");

    Result<QList<RunSummary>> history = journalHistory(*m_folder);
    ASSERT_TRUE(history.ok());
    EXPECT_EQ(history.value().size(), 2);
    EXPECT_TRUE(history.value().last().undone);
    EXPECT_EQ(newestNotUndone(history.value()), std::nullopt);

    const UndoReport redo = undo(undoId);
    EXPECT_EQ(redo.count(UndoVerdict::PutBack), 2);
    EXPECT_EQ(readBytes(a), "a after");
    EXPECT_EQ(readBytes(b), "b after");
    history = journalHistory(*m_folder);
    ASSERT_TRUE(history.ok());
    EXPECT_EQ(newestNotUndone(history.value()), id);
}

TEST_P(JournalUndoTest, AFileWrittenSeveralTimesInOneRunGoesBackInOneStep) {
    const QString a = file(QStringLiteral("a.txt"));
    writeBytes(a, "first");
    const qint64 id = run({{a, "second"}, {a, "third"}, {a, "fourth"}});
    const UndoReport report = undo(id);
    ASSERT_EQ(report.files.size(), 1);
    EXPECT_EQ(report.files[0].verdict, UndoVerdict::PutBack);
    EXPECT_EQ(readBytes(a), "first");
    const Result<QList<RunSummary>> history = journalHistory(*m_folder);
    ASSERT_TRUE(history.ok());
    EXPECT_EQ(history.value().last().files, 1);
}

// A kill during a run: the entries on disk, one whose rename never happened, a line cut short.
TEST_P(JournalUndoTest, ARunCutShortStillTakesBackWhatItCommitted) {
    QList<QString> paths;
    for (int i = 0; i < 4; ++i) {
        paths.append(file(QStringLiteral("f%1.txt").arg(i)));
        writeBytes(paths.last(), "before " + QByteArray::number(i));
    }
    const pid_t child = ::fork();
    if (child == 0) {
        RunJournal journal(*m_folder, {RunKind::Run, m_files.path(), QStringLiteral("x"), 0});
        for (int i = 0; i < 3; ++i)
            (void)journaledWrite(journal, paths[i], "after");
        (void)journaledWrite(journal, paths[3], "after", false);
        const QByteArray record =
            encodePath(m_folder->path()) + "/runs/" + QByteArray::number(journal.id()) + "/record";
        const int fd = ::open(record.constData(), O_WRONLY | O_APPEND);
        (void)!::write(fd, "D 4 1 2", 7);
        ::_exit(0); // no finish, no destructor
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(readBytes(paths[3]), "before 3");

    const Result<QList<RunSummary>> history = journalHistory(*m_folder);
    ASSERT_TRUE(history.ok());
    ASSERT_EQ(history.value().size(), 1);
    EXPECT_EQ(history.value()[0].state, RunSummary::State::CutShort);
    const std::optional<qint64> id = newestNotUndone(history.value());
    ASSERT_TRUE(id.has_value());
    const UndoReport report = undo(*id);
    EXPECT_EQ(report.count(UndoVerdict::PutBack), 3);
    EXPECT_EQ(report.count(UndoVerdict::AlreadyBack), 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(readBytes(paths[i]), "before " + QByteArray::number(i));
}

// A kill during an undo: the next undo of the run goes on with the same undo, so taking that
// back gives back every file the run wrote.
TEST_P(JournalUndoTest, ASecondUndoFinishesAnUndoCutShort) {
    QList<std::pair<QString, QByteArray>> changes;
    for (int i = 0; i < 3; ++i) {
        changes.append({file(QStringLiteral("f%1.txt").arg(i)), "after"});
        writeBytes(changes.last().first, "before");
    }
    const qint64 id = run(changes);
    const pid_t child = ::fork();
    if (child == 0) {
        // The undo's own writes, as far as the kill let it come: one file put back.
        RunJournal undo(*m_folder, {RunKind::Undo, m_files.path(), QStringLiteral("x"), id});
        (void)journaledWrite(undo, changes[2].first, "before");
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const UndoReport report = undo(id);
    EXPECT_EQ(report.count(UndoVerdict::PutBack), 2);
    EXPECT_EQ(report.count(UndoVerdict::AlreadyBack), 1);
    EXPECT_EQ(report.undoId, id + 1);
    for (const auto& [path, bytes] : std::as_const(changes))
        EXPECT_EQ(readBytes(path), "before");

    const UndoReport redo = undo(report.undoId);
    EXPECT_EQ(redo.count(UndoVerdict::PutBack), 3);
    for (const auto& [path, bytes] : std::as_const(changes))
        EXPECT_EQ(readBytes(path), "after");
}

TEST_P(JournalUndoTest, ARenameThatDidNotHappenKeepsNothing) {
    const QString a = file(QStringLiteral("a.txt"));
    writeBytes(a, "before");
    RunJournal journal(*m_folder, {RunKind::Run, m_files.path(), QStringLiteral("x"), 0});
    const Result<LoadedBytes> loaded = readWholeFile(a);
    ASSERT_TRUE(loaded.ok());
    const Result<qint64> entry = journal.beforeCommit(a, loaded.value().identity, {});
    ASSERT_TRUE(entry.ok());
    journal.abandoned(entry.value());
    ASSERT_TRUE(journal.finish().ok());
    // The user's file has no second name left in the journal.
    EXPECT_EQ(statOf(a).st_nlink, 1u);
    const Result<UndoReport> report = JournalUndo(*m_folder).inspect(journal.id());
    ASSERT_TRUE(report.ok());
    EXPECT_TRUE(report.value().files.isEmpty());
}

TEST_P(JournalUndoTest, APutBackFollowsTheWritersRules) {
    const QString a = file(QStringLiteral("a.txt"));
    writeBytes(a, "before");
    const qint64 id = run({{a, "after"}});
    // Without any write permission bit a file is read-only, also for root.
    ASSERT_EQ(::chmod(encodePath(a).constData(), 0444), 0);
    const UndoReport report = undo(id);
    ASSERT_EQ(report.files.size(), 1);
    EXPECT_EQ(report.files[0].verdict, UndoVerdict::Failed);
    EXPECT_EQ(report.files[0].error.number, ErrorNumber::PermissionDenied);
    EXPECT_EQ(readBytes(a), "after");
}

} // namespace
} // namespace zuk

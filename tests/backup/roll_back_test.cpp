// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/roll_back.h"

#include "backup/make_backup.h"
#include "engine/files/file_collection.h"
#include "engine/run/headless_run_window.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

using namespace zuk;

namespace {

const QDateTime kNow(QDate(2024, 3, 7), QTime(15, 4, 5));

class RollBackTest : public ::testing::Test {
protected:
    RollBackTest() {
        QDir().mkpath(work("sub"));
        QDir().mkpath(m_dir.path() + "/log");
        m_options.values.path = work("");
        m_options.values.path.chop(1);
        m_options.values.logChanges = Checked;
    }

    QString work(const QString& relative) const { return m_dir.path() + "/w/" + relative; }
    static void write(const QString& path, const QByteArray& bytes) {
        test::writeBytes(path, bytes);
    }
    static bool exists(const QString& path) { return QFileInfo::exists(path); }
    QStringList logLines() const {
        QStringList lines = QString::fromUtf8(test::readBytes(m_log.path())).split("\r\n");
        lines.removeLast(); // after the last line's CR LF
        return lines;
    }
    bool idle() const {
        return !m_window.rollingBack && !m_state.rollBackActive && !m_state.cancelFlag;
    }

    QTemporaryDir m_dir;
    ValueRunOptions m_options;
    HeadlessRunWindow m_window;
    test::ScriptedPrompter m_prompter;
    test::FunctionYield m_yield;
    RunState m_state;
    ActivityLog m_log{m_dir.path() + "/log/log.txt", [] { return kNow; }, QLocale::c()};
    RollBack m_rollBack{m_options, m_window, m_prompter, m_yield, m_state, m_log};
};

TEST_F(RollBackTest, RestoresTheBackupsOfTheNamedDirectoryOnly) {
    write(work("a.htm"), "edited");
    write(work("a.htm_BU"), "original");
    write(work("b.htm_BU"), "b original");
    write(work("c.htm_bu"), "lower case is no backup");
    write(work(".d.htm_BU"), "hidden");
    write(work("sub/e.htm_BU"), "below");
    write(m_dir.path() + "/parent.htm_BU", "the parent is not walked");

    EXPECT_EQ(m_rollBack.start(), RunOutcome::Completed);

    EXPECT_EQ(test::readBytes(work("a.htm")), QByteArray("original"));
    EXPECT_EQ(test::readBytes(work("b.htm")), QByteArray("b original"));
    EXPECT_FALSE(exists(work("a.htm_BU")));
    EXPECT_FALSE(exists(work("b.htm_BU")));
    for (const QString& untouched : {work("c.htm_bu"), work(".d.htm_BU"), work("sub/e.htm_BU"),
                                     m_dir.path() + "/parent.htm_BU"})
        EXPECT_TRUE(exists(untouched)) << untouched.toStdString();
    EXPECT_EQ(m_rollBack.lastCount(), 2);
    EXPECT_TRUE(idle());

    const QString directory = m_dir.path() + "/w";
    ASSERT_EQ(m_prompter.shown.size(), 2);
    EXPECT_EQ(m_prompter.shown[0],
              (Message{"WARNING! Your are attempting a \"Roll Back\" of all files Backed up in "
                       "and below directory :\r\n\r\n" +
                           directory +
                           "\r\n\r\nThis action can not be undone!  Are you sure you want to "
                           "continue?",
                       MessageButtons::YesNo,
                       MessageIcon::Critical,
                       MessageResult::No,
                       "Warning",
                       {}}));
    EXPECT_EQ(m_prompter.shown[1].text, QString("ZUK Done"));
    EXPECT_EQ(m_prompter.shown[1].buttons, MessageButtons::Ok);

    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 10);
    const QString stamp = "====> " + m_log.stamp();
    EXPECT_EQ(lines.mid(0, 3), QStringList({"==> ROLL BACK", stamp, " "}));
    EXPECT_EQ(QSet<QString>(lines.begin() + 3, lines.begin() + 5),
              QSet<QString>({"RB  ~  " + directory + "/a.htm", "RB  ~  " + directory + "/b.htm"}));
    EXPECT_EQ(lines.mid(5),
              QStringList({" ", "====> Roll Backs Done= 2", stamp, "==> END", QString(56, '=')}));
}

TEST_F(RollBackTest, WithSubDirectoriesAFilePathRestoresItsWholeTree) {
    write(work("a.htm"), "edited");
    write(work("a.htm_BU"), "original");
    write(work("other.htm_BU"), "other");
    write(work("sub/e.htm_BU"), "below");
    m_options.values.subDirectories = Checked;
    m_options.values.logChanges = Unchecked;
    for (const QString& path : {work("a.htm"), work("")}) { // a file, a trailing separator
        m_options.values.path = path;
        m_rollBack.start();
    }
    EXPECT_EQ(test::readBytes(work("a.htm")), QByteArray("original"));
    EXPECT_TRUE(exists(work("other.htm")));
    EXPECT_EQ(test::readBytes(work("sub/e.htm")), QByteArray("below"));
    EXPECT_EQ(m_rollBack.lastCount(), 0); // the second found nothing left
    EXPECT_EQ(m_prompter.texts().last(), QString("ZUK Done"));
    EXPECT_FALSE(exists(m_log.path()));
}

TEST_F(RollBackTest, PathsThatGiveNoDirectoryAreRefused) {
    write(work("a.htm_BU"), "original");
    const QString noPath = "You must select a Directory to \"Roll Back\"";
    const QString root = "Root folder: \"/\" would work in the root of the file system. Nothing "
                         "was changed; choose a folder below it.";
    const std::pair<QString, QString> cases[] = {{"", noPath}, {"a.htm_BU", noPath}, {"/", root}};
    for (const auto& [path, refusal] : cases) {
        m_prompter.shown.clear();
        m_options.values.path = path;
        EXPECT_EQ(m_rollBack.start(), RunOutcome::Refused);
        EXPECT_EQ(m_prompter.texts(), QStringList{refusal}) << path.toStdString();
    }
    EXPECT_TRUE(exists(work("a.htm_BU")));
    EXPECT_FALSE(exists(m_log.path()));
}

TEST_F(RollBackTest, NoAtTheConfirmationChangesNothing) {
    write(work("a.htm_BU"), "original");
    m_prompter.answers = {MessageResult::No};
    EXPECT_EQ(m_rollBack.start(), RunOutcome::Declined);
    EXPECT_TRUE(exists(work("a.htm_BU")));
    EXPECT_FALSE(exists(m_log.path()));
    EXPECT_EQ(m_prompter.shown.size(), 1);
    EXPECT_TRUE(idle());
}

TEST_F(RollBackTest, TwoRunsThenARollBackGiveTheTextFromBeforeTheSecond) {
    const QString page = work("page.htm");
    // Each run links the backup and renames its new file over the name.
    write(page, "first");
    ASSERT_TRUE(MakeBackup(page).ok());
    ASSERT_TRUE(writeFileAtomically(page, "second").ok());
    ASSERT_TRUE(MakeBackup(page).ok());
    ASSERT_TRUE(writeFileAtomically(page, "third").ok());

    m_rollBack.start();
    EXPECT_EQ(test::readBytes(page), QByteArray("second"));
    EXPECT_EQ(m_rollBack.lastCount(), 1);

    // Nothing is left to restore: the count is 0 and the command still ends normally.
    m_rollBack.start();
    EXPECT_EQ(m_rollBack.lastCount(), 0);
    EXPECT_TRUE(logLines().contains("====> Roll Backs Done= 0"));
    EXPECT_EQ(m_prompter.texts().last(), QString("ZUK Done"));
}

TEST_F(RollBackTest, FilesRenamedWhileWorkingAreNotTakenAgain) {
    write(work("a_BU_BU"), "twice");
    m_rollBack.start();
    EXPECT_EQ(test::readBytes(work("a_BU")), QByteArray("twice"));
    EXPECT_FALSE(exists(work("a")));
    EXPECT_EQ(m_rollBack.lastCount(), 1);
}

TEST_F(RollBackTest, ASecondPressWhileRunningCancelsAfterTheCurrentName) {
    for (const char* name : {"a_BU", "b_BU", "c_BU"})
        write(work(name), "x");
    bool runningDuringYield = false;
    m_yield.action = [&](int) {
        runningDuringYield = m_window.rollingBack && m_state.rollBackActive;
        EXPECT_EQ(m_rollBack.start(), RunOutcome::CancelRequested); // the button reads "Cancel"
    };
    EXPECT_EQ(m_rollBack.start(), RunOutcome::Cancelled);

    EXPECT_TRUE(runningDuringYield);
    EXPECT_EQ(m_yield.calls, 1);
    EXPECT_EQ(m_rollBack.lastCount(), 1);
    EXPECT_EQ(QDir(work("")).entryList({"*_BU"}, QDir::Files).size(), 2);
    EXPECT_TRUE(idle());
    EXPECT_TRUE(logLines().contains("====> Roll Backs Done= 1"));
    EXPECT_EQ(m_prompter.texts().last(), QString("ZUK Done"));
}

TEST_F(RollBackTest, LoggingIsDecidedAtEachLine) {
    write(work("a_BU"), "x");
    m_yield.action = [&](int) { m_options.values.logChanges = Unchecked; };
    m_rollBack.start();
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 4); // header and the one restore, no trailer
    EXPECT_EQ(lines.last(), "RB  ~  " + work("a"));
}

TEST_F(RollBackTest, AMissingDirectoryIsRefusedBeforeTheConfirmation) {
    m_options.values.path = m_dir.path() + "/gone/";
    m_options.values.subDirectories = Checked;
    m_rollBack.start();
    EXPECT_EQ(m_prompter.texts(), QStringList{"Path not found: \"" + m_options.values.path +
                                              "\" does not exist. Nothing was changed; check "
                                              "the path."});
    EXPECT_EQ(m_rollBack.lastCount(), 0);
    EXPECT_FALSE(exists(m_log.path()));
    EXPECT_TRUE(idle());
}

TEST_F(RollBackTest, AFileThatCantBeDeletedStopsWithTheErrorAndTheWindowIdle) {
    write(work("first.htm_BU"), "restored before the failure");
    QDir().mkpath(work("locked"));
    write(work("locked/page.htm"), "edited");
    write(work("locked/page.htm_BU"), "original");
    // Anyone may write the file itself: what stops them is the folder.
    ::chmod(QFile::encodeName(work("locked/page.htm")).constData(), 0666);
    // Nobody may change the folder "locked"; everything else is open to them.
    for (const QString& folder : {m_dir.path(), work(""), m_dir.path() + "/log"})
        ::chmod(QFile::encodeName(folder).constData(), 0777);
    m_options.values.subDirectories = Checked;
    m_options.values.path = work("");

    const QString result = test::runUnprivileged([&] {
        const bool failed = m_rollBack.start() == RunOutcome::Failed;
        return m_prompter.texts().mid(1).join("|") + (idle() ? "|idle" : "|stuck") +
               (failed ? "|failed" : "");
    });

    EXPECT_EQ(result, QString("ERROR: 70 Permission denied|idle|failed"));
    EXPECT_EQ(test::readBytes(work("first.htm")), QByteArray("restored before the failure"));
    EXPECT_EQ(test::readBytes(work("locked/page.htm")), QByteArray("edited"));
    EXPECT_TRUE(exists(work("locked/page.htm_BU")));
    const QStringList lines = logLines();
    EXPECT_EQ(lines.last(), "RB  ~  " + work("first.htm"));
    EXPECT_FALSE(lines.contains("==> END"));
}

TEST_F(RollBackTest, AFileARunMayNotWriteKeepsItsBackupAndTheOthersAreRestored) {
    for (const char* name : {"a.htm", "readonly.htm", "linked.htm", "folder.htm", "z.htm"})
        write(work(QString(name) + "_BU"), "original");
    for (const char* name : {"a.htm", "readonly.htm", "linked.htm", "z.htm"})
        write(work(name), "edited");
    ::chmod(QFile::encodeName(work("readonly.htm")).constData(), 0444);
    ASSERT_EQ(::link(QFile::encodeName(work("linked.htm")).constData(),
                     QFile::encodeName(work("sub/other-name.htm")).constData()),
              0);
    QDir().mkpath(work("folder.htm"));

    EXPECT_EQ(m_rollBack.start(), RunOutcome::Completed);
    const QString linksText = "ERROR: 75 Path/File access error (the file has other hard links, "
                              "which would keep the old text)";
    const QList<Message> shown = m_prompter.shown.mid(1);
    ASSERT_EQ(shown.size(), 4);
    QList<std::pair<QString, QString>> failures; // in the listing's order, which is the system's
    for (const Message& message : shown.first(3))
        failures.append({message.subject, message.text});
    std::sort(failures.begin(), failures.end());
    EXPECT_EQ(failures, (QList<std::pair<QString, QString>>{
                            {work("folder.htm"), "ERROR: 75 Path/File access error"},
                            {work("linked.htm"), linksText},
                            {work("readonly.htm"), "ERROR: 70 Permission denied"}}));
    EXPECT_EQ(shown.last().text, "ZUK Done");
    EXPECT_EQ(m_rollBack.filesFailed(), 3);
    EXPECT_EQ(m_rollBack.lastCount(), 5);
    for (const char* name : {"readonly.htm", "linked.htm", "sub/other-name.htm"})
        EXPECT_EQ(test::readBytes(work(name)), QByteArray("edited")) << name;
    for (const char* name : {"readonly.htm_BU", "linked.htm_BU", "folder.htm_BU"})
        EXPECT_TRUE(exists(work(name))) << name;
    for (const char* name : {"a.htm", "z.htm"}) {
        EXPECT_EQ(test::readBytes(work(name)), QByteArray("original")) << name;
        EXPECT_FALSE(exists(work(QString(name) + "_BU"))) << name;
    }
    const QStringList lines = logLines();
    EXPECT_EQ(lines.filter("RB  ~  ").size(), 2);
    EXPECT_TRUE(lines.contains("====> Roll Backs Done= 5"));
    EXPECT_TRUE(idle());
}

TEST_F(RollBackTest, ATreeTooBigForTheListIsRefusedBeforeAnythingChanges) {
    // Thirty thousand folders are made much faster in memory, where there is such a place.
    QTemporaryDir big(QFileInfo("/dev/shm").isWritable() ? "/dev/shm/zuk-test-XXXXXX"
                                                         : QDir::tempPath() + "/zuk-test-XXXXXX");
    write(big.path() + "/a.htm_BU", "original");
    for (int i = 1; i <= kMaxDirectories; ++i) // with the start: one more than a list holds
        ASSERT_EQ(
            ::mkdir(QFile::encodeName(big.path() + "/" + QString::number(i)).constData(), 0755), 0);
    m_options.values.path = big.path();
    m_options.values.subDirectories = Checked;
    EXPECT_EQ(m_rollBack.start(), RunOutcome::Refused);

    EXPECT_TRUE(exists(big.path() + "/a.htm_BU"));
    EXPECT_FALSE(exists(big.path() + "/a.htm"));
    EXPECT_EQ(m_prompter.texts().last(), DirectoryList::tooManyDirectoriesText(big.path()));
    EXPECT_FALSE(m_prompter.texts().contains("ZUK Done"));
    EXPECT_FALSE(exists(m_log.path())); // not even the log's header
    EXPECT_TRUE(idle());
}

} // namespace

TEST_F(RollBackTest, AFolderThatCantBeReadIsNamedAndPassedOverAndTheRestRestored) {
    write(work("a.htm"), "edited");
    write(work("a.htm_BU"), "original");
    QDir().mkpath(work("unreadable/below"));
    write(work("unreadable/b.htm_BU"), "original");
    write(work("sub/c.htm_BU"), "original");
    // What a kill between naming a run's new text and its rename leaves, in a folder without
    // backups: the roll back works there, so it goes.
    QDir().mkpath(work("plain"));
    write(work("plain/.d.htm.zuk-Ab12Cd"), "new text");
    // Open to nobody, but the folder "unreadable".
    for (const QString& folder :
         {m_dir.path(), work(""), work("sub"), work("plain"), m_dir.path() + "/log"})
        ::chmod(QFile::encodeName(folder).constData(), 0777);
    ::chmod(QFile::encodeName(work("unreadable")).constData(), 0700);
    // Writable by nobody, so that the roll back may replace it.
    ::chmod(QFile::encodeName(work("a.htm")).constData(), 0666);
    m_options.values.subDirectories = Checked;

    const QString result = test::runUnprivileged([&] {
        const RunOutcome outcome = m_rollBack.start();
        QStringList shown{QString::number(int(outcome)), QString::number(m_rollBack.filesFailed())};
        for (const Message& message : m_prompter.shown.mid(1))
            shown.append(message.text + " @ " + message.subject);
        return shown.join("|");
    });

    EXPECT_EQ(result, QString::number(int(RunOutcome::Completed)) + "|1|" +
                          "ERROR: 70 Permission denied @ " + work("unreadable") + "|ZUK Done @ ");
    EXPECT_EQ(test::readBytes(work("a.htm")), QByteArray("original"));
    EXPECT_EQ(test::readBytes(work("sub/c.htm")), QByteArray("original"));
    EXPECT_TRUE(exists(work("unreadable/b.htm_BU")));
    EXPECT_FALSE(exists(work("plain/.d.htm.zuk-Ab12Cd")));
}

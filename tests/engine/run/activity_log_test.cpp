// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/activity_log.h"

#include "support/temp_files.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;

namespace {

const QDateTime kNow(QDate(2024, 3, 7), QTime(15, 4, 5));

class ActivityLogTest : public ::testing::Test {
protected:
    QString logPath() const { return m_dir.path() + "/log.txt"; }
    ActivityLog makeLog() const {
        return ActivityLog(
            logPath(), [] { return kNow; }, QLocale(QLocale::English, QLocale::UnitedStates));
    }
    QByteArray written() const { return test::readBytes(logPath()); }

    QTemporaryDir m_dir;
};

TEST_F(ActivityLogTest, StampIsShortDateBlankLongTime) {
    const QString stamp = makeLog().stamp();
    EXPECT_TRUE(stamp.startsWith("3/7/24 3:04:05 PM")) << stamp.toStdString();
}

TEST_F(ActivityLogTest, ReplacingDirectoryRunWritesItsExactLines) {
    const ActivityLog log = makeLog();
    const QByteArray stamp = log.stamp().toUtf8();
    ASSERT_TRUE(log.logRunHeader("old", "new", Unchecked).ok());
    ASSERT_TRUE(log.LogIt(ActivityLog::directoryItemLine(12, "/w/a.htm")).ok());
    ASSERT_TRUE(log.logRunTrailer(RunCounters{3, 1, 12}, Unchecked).ok());

    EXPECT_EQ(written(), "==> START\r\n"
                         "====> " +
                             stamp +
                             "\r\n"
                             "====> Search Criteria - old\r\n"
                             "====> Replace Criteria - new\r\n"
                             " \r\n"
                             "      12 ~ /w/a.htm\r\n"
                             " \r\n"
                             "====> Total Files    = 3\r\n"
                             "====> Items Modified = 1\r\n"
                             "====> Replacment done= 12\r\n"
                             "====> " +
                             stamp +
                             "\r\n"
                             "==> END\r\n" +
                             QByteArray(56, '=') + "\r\n");
}

TEST_F(ActivityLogTest, SearchOnlyRunHasNoReplaceLineAndCountsItemsFound) {
    const ActivityLog log = makeLog();
    EXPECT_EQ(
        log.runHeader("old", "new", Checked),
        QStringList({"==> START", "====> " + log.stamp(), "====> Search Criteria - old", " "}));
    EXPECT_EQ(log.runTrailer(RunCounters{2, 0, 3}, Checked).mid(1, 2),
              QStringList({"====> Total Files    = 2", "====> Items Found    = 3"}));
    // A greyed box is neither 0 nor 1: no replace line, yet the replacing trailer.
    EXPECT_EQ(log.runHeader("old", "new", Greyed).size(), 4);
    EXPECT_EQ(log.runTrailer(RunCounters{2, 1, 3}, Greyed).mid(2, 2),
              QStringList({"====> Items Modified = 1", "====> Replacment done= 3"}));
}

TEST_F(ActivityLogTest, ItemLinesOfBothForms) {
    EXPECT_EQ(ActivityLog::itemLine(2, ""), QString("2  ~  "));
    EXPECT_EQ(ActivityLog::itemLine(15, "/w/one.txt"), QString("15  ~  /w/one.txt"));
    EXPECT_EQ(ActivityLog::directoryItemLine(7, "/w/b"), QString("      7 ~ /w/b"));
    EXPECT_EQ(ActivityLog::directoryItemLine(1234, "/w/b"), QString("      1234 ~ /w/b"));
}

TEST_F(ActivityLogTest, RollBackLines) {
    const ActivityLog log = makeLog();
    ASSERT_TRUE(log.logRollBackHeader().ok());
    ASSERT_TRUE(log.LogIt(ActivityLog::rollBackLine("/w/a.htm")).ok());
    ASSERT_TRUE(log.logRollBackTrailer(1).ok());
    const QByteArray stamp = log.stamp().toUtf8();
    EXPECT_EQ(written(), "==> ROLL BACK\r\n====> " + stamp +
                             "\r\n \r\nRB  ~  /w/a.htm\r\n \r\n"
                             "====> Roll Backs Done= 1\r\n====> " +
                             stamp + "\r\n==> END\r\n" + QByteArray(56, '=') + "\r\n");
}

TEST_F(ActivityLogTest, AppendsInUtf8WithEveryLineBreakAsCrLf) {
    test::writeBytes(logPath(), "earlier\r\n");
    const ActivityLog log = makeLog();
    ASSERT_TRUE(log.LogIt("====> Search Criteria - one\ntwo\r\nthree\rcaf\u00e9").ok());
    EXPECT_EQ(written(),
              "earlier\r\n====> Search Criteria - one\r\ntwo\r\nthree\r\ncaf\xc3\xa9\r\n");
}

TEST_F(ActivityLogTest, FailuresReachTheCaller) {
    const ActivityLog noLog(QString{});
    ASSERT_FALSE(noLog.LogIt("x").ok());
    EXPECT_EQ(noLog.LogIt("x").error().number, ErrorNumber::PathNotFound);

    const ActivityLog missingFolder(m_dir.path() + "/gone/log.txt");
    const Status status = missingFolder.logLines({"a", "b"});
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().number, ErrorNumber::PathNotFound);
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + "/gone"));

    const ActivityLog aFolder(m_dir.path());
    EXPECT_FALSE(aFolder.LogIt("x").ok());
}

} // namespace

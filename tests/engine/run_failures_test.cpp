#include "engine/activity_log.h"
#include "engine/run_state.h"

#include <gtest/gtest.h>

using namespace zuk;

// More finds than a 32-bit count holds are counted and logged as they are.
TEST(RunCounters, CountBeyondTwoToTheThirtyOne) {
    const qint64 many = 3'000'000'000;
    const ActivityLog log(
        QString(), [] { return QDateTime(); }, QLocale::c());
    EXPECT_EQ(ActivityLog::itemLine(many, "f"), "3000000000  ~  f");
    EXPECT_EQ(ActivityLog::directoryItemLine(many, "f"), "      3000000000 ~ f");
    EXPECT_TRUE(log.runTrailer(RunCounters{many, many, many}, 0)
                    .contains("====> Replacment done= 3000000000"));
}

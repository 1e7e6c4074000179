// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/interrupt_yield.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace zuk;

// The press is only noted by the signal; the run sees it at its next yield.
TEST(InterruptYield, CtrlCBecomesTheCancelFlagAtTheNextYield) {
    if (InterruptYield::interrupted())
        GTEST_SKIP() << "the note of a Ctrl+C lasts for the process";
    RunState state;
    InterruptYield yield(state);
    InterruptYield::installHandler();
    yield.yield();
    EXPECT_FALSE(state.cancelFlag);

    ASSERT_EQ(::raise(SIGINT), 0);
    EXPECT_TRUE(InterruptYield::interrupted());
    EXPECT_FALSE(state.cancelFlag);
    yield.yield();
    EXPECT_TRUE(state.cancelFlag);
    EXPECT_TRUE(yield.cancelled());
}

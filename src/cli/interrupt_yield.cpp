// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/interrupt_yield.h"

#include <csignal>

namespace zuk {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int) {
    g_interrupted = 1;
}

} // namespace

void InterruptYield::yield() {
    if (g_interrupted) {
        // Both flags, as the Cancel button sets them: a batch stops after the entry in progress.
        m_state.cancelFlag = true;
        m_state.batchCancelFlag = true;
        m_cancelled = true;
    }
}

void InterruptYield::installHandler() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // File operations go on undisturbed; a question waiting on the terminal still wakes up,
    // since poll is never restarted.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    ::sigaction(SIGINT, &action, nullptr);
}

bool InterruptYield::interrupted() {
    return g_interrupted != 0;
}

} // namespace zuk

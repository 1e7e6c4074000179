// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/run_state.h"
#include "engine/run/yield_hook.h"

namespace zuk {

// Ctrl+C is the Cancel button: the signal only notes the press, and the run sees it at its
// next yield, where it becomes the CancelFlag (and the BatchCancelFlag). The run then stops
// after its current find or file and still makes its closing steps; a batch stops after it. A
// second Ctrl+C ends the process at once; the atomic writes leave every file whole.
class InterruptYield final : public YieldHook {
public:
    explicit InterruptYield(RunState& state) : m_state(state) {}

    void yield() override;
    // Whether this hook turned a Ctrl+C into the CancelFlag.
    bool cancelled() const { return m_cancelled; }

    // Installs the SIGINT handler for the rest of the process.
    static void installHandler();
    // Whether Ctrl+C was pressed since the handler was installed.
    static bool interrupted();

private:
    RunState& m_state;
    bool m_cancelled = false;
};

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zuk {

// How a press of Start or Roll Back ended, for front ends that report it (the window ignores
// it).
enum class RunOutcome {
    CancelRequested, // work was under way: the press only asked it to stop
    Refused,         // a check failed; its message was shown and nothing changed
    Declined,        // the confirmation was answered No
    Completed,
    Cancelled, // stopped early by Cancel; the closing steps were made
    Failed,    // ended by an error after its message; the window is idle again
};

} // namespace zuk

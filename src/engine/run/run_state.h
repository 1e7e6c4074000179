// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace zuk {

// The counters of one run, shown in the three result labels. 64 bits: one file can hold more
// than 2^31 finds.
struct RunCounters {
    qint64 totFiles = 0;
    qint64 filesDone = 0;
    qint64 replaceMade = 0;

    bool operator==(const RunCounters&) const = default;
};

// State that lives as long as the application: the stop requests and the batch marker.
// Owned by the application and handed to whatever needs it; there are no globals.
// The commands own their flags: the run, the roll back and the batch set and clear them; the
// window only reads them (and, when it closes, asks for a stop like Cancel does).
struct RunState {
    bool cancelFlag = false;      // stop the run or roll back under way
    bool batchCancelFlag = false; // stop the batch between entries
    bool isBatch = false;         // the run is driven by the batch (set by the batch)
    bool runActive = false;       // a run is under way (set by SearchRun)
    bool rollBackActive = false;  // a roll back is under way (set by RollBack)
};

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/run_state.h"

#include <QString>

namespace zuk {

class TextBuffer;

// What a run or a roll back does to the main window. The window implements it with its
// controls; the command-line front end and the tests without a window.
class RunWindow {
public:
    virtual ~RunWindow() = default;

    // Run: Start reads "Cancel", the other command buttons disabled, the three boxes locked.
    virtual void enterRunState() = 0;
    virtual void leaveRunState() = 0;
    // Roll back: Roll Back reads "Cancel", the other command buttons disabled, boxes locked.
    virtual void enterRollBackState() = 0;
    virtual void leaveRollBackState() = 0;

    // The three result labels. Their captions change at once; a window paints them when the
    // run's yield lets it, which keeps them current on screen without a paint per file.
    virtual void showCounters(const RunCounters& counters) = 0;
    // The label with the file being worked on, painted like the counters.
    virtual void setCurrentPath(const QString& path) = 0;
    // The right-hand box's text: the subject in text mode, the working buffer otherwise.
    virtual TextBuffer& workingBuffer() = 0;
    // The working buffer changed (a file was loaded, text replaced, the box emptied); the box
    // shows it when it next gets to repaint.
    virtual void workingBufferChanged() = 0;
    // Opens the log viewer on the fresh log (after a search-only run with logging).
    virtual void openLogViewer() = 0;
};

} // namespace zuk

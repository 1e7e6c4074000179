// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/run/run_state.h"
#include "engine/text/working_text.h"

#include <QString>

namespace zuk {

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
    // The right-hand box. In text mode its text is the run's subject, and the new text is
    // given back to it, which fails when the box can't hold it (a front end whose text has an
    // encoding of its own); the failure's message names the box as rightBoxSubject() says.
    virtual QString rightBoxText() = 0;
    virtual Status setRightBoxText(const QString& text) = 0;
    virtual QString rightBoxSubject() const { return {}; }
    // The engine's working text (a file loaded, its beginning while it streams, the text a
    // pass left; empty at the end of a file run), which the box shows when it next gets to
    // repaint.
    virtual void showWorkingText(const WorkingText& text) = 0;
    // Opens the log viewer on the fresh log (after a search-only run with logging).
    virtual void openLogViewer() = 0;
};

} // namespace zuk

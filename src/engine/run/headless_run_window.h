// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/run_window.h"

namespace zuk {

// A window without a window: keeps what a real one would show, for the command-line front end
// and the tests.
class HeadlessRunWindow : public RunWindow {
public:
    void enterRunState() override { running = true; }
    void leaveRunState() override { running = false; }
    void enterRollBackState() override { rollingBack = true; }
    void leaveRollBackState() override { rollingBack = false; }
    void showCounters(const RunCounters& shown) override { counters = shown; }
    void setCurrentPath(const QString& path) override { currentPath = path; }
    QString rightBoxText() override { return text; }
    Status setRightBoxText(const QString& given) override {
        text = given;
        return {};
    }
    void showWorkingText(const WorkingText& shown) override { working = shown; }
    void openLogViewer() override { ++logViewerOpened; }

    bool running = false;
    bool rollingBack = false;
    RunCounters counters;
    QString currentPath;
    QString text; // the right-hand box's
    WorkingText working;
    int logViewerOpened = 0;
};

} // namespace zuk

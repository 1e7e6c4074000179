// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/app_paths.h"
#include "backup/roll_back.h"
#include "engine/run/activity_log.h"
#include "engine/run/run_state.h"
#include "engine/run/search_run.h"
#include "ui/batch_windows.h"
#include "ui/frm_main.h"
#include "ui/frm_main_settings.h"
#include "ui/frm_preview.h"
#include "ui/qt_prompter.h"
#include "ui/qt_yield_hook.h"
#include "ui/secondary_windows.h"
#include "ui/window_journal.h"

#include <functional>
#include <memory>

namespace zuk {

// The application: the main window, the commands behind it, and the start-up and exit
// sequences that guard the settings file with its safety copy.
class ZukApplication final {
public:
    // How the application ends from the main window's exit; the real one ends the process
    // at once, tests record it.
    using Terminator = std::function<void(bool workUnderWay)>;

    // `prompter` replaces the message boxes and `yieldHook` the run's throttled yield (tests);
    // by default real boxes are shown and events are handled at most every 15 ms.
    explicit ZukApplication(const AppEnvironment& environment = AppEnvironment::fromProcess(),
                            Terminator terminate = {}, Prompter* prompter = nullptr,
                            YieldHook* yieldHook = nullptr);
    ~ZukApplication();

    // Places the window, sets up the application folder, restores and loads the settings,
    // makes the settings' safety copy and shows the window.
    void Main();

    frmMain& window() { return *m_window; }
    const AppPaths& paths() const { return m_paths; }
    RunState& state() { return m_state; }
    Prompter& prompter() { return *m_activePrompter; }
    SecondaryWindows& secondaryWindows() { return *m_windows; }
    BatchWindows& batchWindows() { return *m_batch; }
    // The Preview window, once File -> "Preview Changes" made it.
    frmPreview* previewWindow() const { return m_preview.get(); }
    // The undo journal of the window's work (for the Preview's Apply as well).
    WindowJournal& journal() { return *m_journal; }

private:
    void Form_Load();
    void Form_Unload();
    static void endProcess(bool workUnderWay);

    AppEnvironment m_environment;
    Terminator m_terminate;
    RunState m_state;
    QtPrompter m_prompter;
    Prompter* m_scriptedPrompter;
    Prompter* m_activePrompter;
    QtYieldHook m_yield;
    YieldHook* m_activeYield;
    AppPaths m_paths;
    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<ActivityLog> m_log;
    std::unique_ptr<SearchRun> m_run;
    std::unique_ptr<RollBack> m_rollBack;
    std::unique_ptr<WindowJournal> m_journal;
    std::unique_ptr<SecondaryWindows> m_windows;
    std::unique_ptr<BatchWindows> m_batch;
    std::unique_ptr<frmPreview> m_preview;
};

} // namespace zuk

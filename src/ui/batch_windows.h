// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/frm_batch.h"
#include "ui/frm_main_batch.h"
#include "ui/frm_test_batch.h"
#include "ui/path_chooser.h"

#include <QPointer>

namespace zuk {

class frmMain;
class SearchRun;

// The batch window and its test view, opened non-modally from the main window's Batch
// Processing item (which constructing this enables) and deleted when closed.
class BatchWindows final {
public:
    // `prompter` replaces the batch window's own message boxes (tests).
    BatchWindows(frmMain& main, SearchRun& run, RunState& state, Prompter* prompter,
                 YieldHook& yieldHook);
    ~BatchWindows();
    BatchWindows(const BatchWindows&) = delete;
    BatchWindows& operator=(const BatchWindows&) = delete;

    // Opens the batch window, or brings the open one forward.
    void mnuBatch_Click();
    // The main window's exit: closes the batch window, then the test view.
    void closeAll();
    bool batchUnderWay() const { return m_batch && m_batch->batchUnderWay(); }

    frmBatch* batchWindow() const { return m_batch; }
    frmTestBatch* testView() const { return m_test; }
    // Replaces the file dialog of batch windows opened afterwards (tests).
    void setPathChooser(PathChooser* chooser) { m_chooser = chooser ? chooser : &m_qtChooser; }
    // The journal the batch keeps of its runs.
    void setJournal(WindowJournal* journal) { m_mainBatch.setJournal(journal); }

private:
    void showListing(const QString& listing);

    frmMain& m_main;
    RunState& m_state;
    Prompter* m_prompter;
    YieldHook& m_yield;
    FrmMainBatch m_mainBatch;
    QtPathChooser m_qtChooser;
    PathChooser* m_chooser = &m_qtChooser;
    QPointer<frmBatch> m_batch;
    QPointer<frmTestBatch> m_test;
};

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/batch_main_window.h"

#include <QPointer>
#include <QWidget>

namespace zuk {

class frmMain;
class SearchRun;
class WindowJournal;

// The main window as the batch drives it: the search and replace boxes, Start (the run itself,
// so that the batch gets its outcome) and the result labels.
class FrmMainBatch final : public BatchMainWindow {
public:
    FrmMainBatch(frmMain& window, SearchRun& run) : m_window(window), m_run(run) {}

    void setSearchTexts(const QString& search, const QString& replace) override;
    RunOutcome pressStart() override;
    RunCounters shownCounters() const override;
    void showBatchTotals(qint64 filesDone, qint64 replaceMade) override;
    // The main window comes forward with the batch's counters, but below the batch window,
    // whose Cancel must stay within reach.
    void takeFocus() override;
    void keepInFront(QWidget* batchWindow) { m_inFront = batchWindow; }
    Status syncWrites() override { return m_run.syncWrites(); }
    bool batchStarting(const QString& batchPath) override;
    void batchEnded() override;
    // The journal the batch's runs go in, as one run; none: no journal.
    void setJournal(WindowJournal* journal) { m_journal = journal; }
    Status checkSearchTexts(const QString& search, const QString& replace) const override {
        return m_run.checkSearchTexts(search, replace);
    }

private:
    frmMain& m_window;
    SearchRun& m_run;
    QPointer<QWidget> m_inFront;
    WindowJournal* m_journal = nullptr;
};

} // namespace zuk

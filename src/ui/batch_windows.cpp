// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/batch_windows.h"

#include "ui/frm_main.h"
#include "ui/window_placement.h"

namespace zuk {

BatchWindows::BatchWindows(frmMain& main, SearchRun& run, RunState& state, Prompter* prompter,
                           YieldHook& yieldHook)
    : m_main(main), m_state(state), m_prompter(prompter), m_yield(yieldHook),
      m_mainBatch(main, run) {
    main.setBatchCommand([this] { mnuBatch_Click(); });
}

BatchWindows::~BatchWindows() {
    delete m_batch.data();
    delete m_test.data();
}

void BatchWindows::mnuBatch_Click() {
    if (!m_batch) {
        m_batch = new frmBatch(m_mainBatch, m_state, m_prompter, m_yield, *m_chooser,
                               [this](const QString& listing) { showListing(listing); });
        m_batch->Form_Load(m_main);
        m_mainBatch.keepInFront(m_batch);
    }
    bringForward(m_batch);
}

void BatchWindows::showListing(const QString& listing) {
    if (!m_test)
        m_test = new frmTestBatch;
    m_test->showListing(listing);
    bringForward(m_test);
}

void BatchWindows::closeAll() {
    for (QWidget* window : {static_cast<QWidget*>(m_batch), static_cast<QWidget*>(m_test)}) {
        if (window)
            window->close();
    }
}

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
// What the right-hand box shows of a run, and its text as the run's subject.

#include "ui/frm_main.h"
#include "ui/multi_line_box.h"
#include "ui/right_box.h"

#include <algorithm>

namespace zuk {

void frmMain::runStarting() {
    // In text mode the run works on what the box holds now.
    if (m_boxNewer)
        syncRightBoxIntoBuffer();
    m_sinceRefresh.invalidate(); // the run's first file is shown at once
}

void frmMain::runEnded() {
    if (m_bufferNewer)
        m_refreshTimer.start(0); // the box catches up at once
}

void frmMain::workStateChanged() {
    updateCommandAvailability();
    updateRightBoxEditable();
}

QString frmMain::rightBoxText() {
    if (m_boxNewer)
        syncRightBoxIntoBuffer();
    return m_shown.text();
}

void frmMain::setRightBoxText(const QString& text) {
    showWorkingText(WorkingText(text));
}

void frmMain::syncRightBoxIntoBuffer() {
    m_shown = WorkingText(rawPlainText(m_rtb1, QStringLiteral("\r\n")));
    m_boxNewer = false;
    m_bufferNewer = false;
}

void frmMain::showWorkingText(const WorkingText& text) {
    // Only noted here; the box takes the text when the event loop next runs and the box is
    // on screen, so a run over many files never waits for the box. A showing already
    // planned during a run keeps its time.
    m_shown = text;
    m_bufferNewer = true;
    if (!m_refreshTimer.isActive() || !m_state.runActive)
        m_refreshTimer.start(0);
}

void frmMain::refreshRightBoxWhenDue() {
    // Off screen (a narrow window) the box waits until it is painted.
    if (m_rtb1->visibleRegion().isEmpty())
        return;
    if (m_state.runActive && m_sinceRefresh.isValid()) {
        // Five showings a second at most, and fewer for big files, so that the box takes a
        // few percent of a run at most.
        const qint64 gap = std::max<qint64>(200, 20 * m_refreshCostMs);
        const qint64 wait = gap - m_sinceRefresh.elapsed();
        if (wait > 0) {
            m_refreshTimer.start(int(wait));
            return;
        }
    }
    m_sinceRefresh.start();
    refreshRightBox();
    m_refreshCostMs = m_sinceRefresh.elapsed();
}

void frmMain::refreshRightBox() {
    if (!m_bufferNewer)
        return;
    m_refreshingBox = true;
    m_rtb1->setPlainText(m_shown.text());
    // Painted at once: after a big text scrolled far down, the update the box asks for by
    // itself could leave the old lines on the screen until the box was clicked.
    m_rtb1->viewport()->repaint();
    m_refreshingBox = false;
    m_bufferNewer = false;
    m_boxNewer = false;
}

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_main_batch.h"

#include "engine/run/search_run.h"
#include "ui/frm_main.h"
#include "ui/multi_line_box.h"
#include "ui/window_journal.h"
#include "ui/window_placement.h"

#include <QLabel>

namespace zuk {

void FrmMainBatch::setSearchTexts(const QString& search, const QString& replace) {
    const MainControls& c = m_window.controls();
    for (const auto& [box, text] :
         {std::pair{c.txtSearch, search}, std::pair{c.txtReplace, replace}}) {
        box->setText(text);
        box->repaint();
    }
}

RunOutcome FrmMainBatch::pressStart() {
    return m_run.start();
}

RunCounters FrmMainBatch::shownCounters() const {
    const MainControls& c = m_window.controls();
    auto shown = [](const QLabel* label) { return label->text().toLongLong(); };
    return {shown(c.lblTotFiles), shown(c.lblFilesDone), shown(c.lblReplaceMade)};
}

void FrmMainBatch::showBatchTotals(qint64 filesDone, qint64 replaceMade) {
    m_window.adapter().showCounters({shownCounters().totFiles, filesDone, replaceMade});
}

bool FrmMainBatch::batchStarting(const QString& batchPath) {
    return !m_journal || m_journal->beginBatch(batchPath);
}

void FrmMainBatch::batchEnded() {
    if (m_journal)
        m_journal->endRun();
}

void FrmMainBatch::takeFocus() {
    m_window.raise();
    if (m_inFront)
        bringForward(m_inFront);
    else
        m_window.activateWindow();
}

} // namespace zuk

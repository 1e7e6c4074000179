#include "ui/frm_main_batch.h"

#include "engine/search_run.h"
#include "ui/frm_main.h"
#include "ui/multi_line_box.h"

#include <QLabel>

namespace zuk {

void FrmMainBatch::setSearchTexts(const QString& search, const QString& replace) {
    for (const auto& [name, text] :
         {std::pair{"txtSearch", search}, std::pair{"txtReplace", replace}}) {
        MultiLineBox* box = m_window.textBox(QString::fromUtf8(name));
        box->setText(text);
        box->repaint();
    }
}

RunOutcome FrmMainBatch::pressStart() {
    return m_run.cmdStart_Click();
}

RunCounters FrmMainBatch::shownCounters() const {
    auto shown = [this](const char* name) {
        return m_window.label(QString::fromUtf8(name))->text().toLongLong();
    };
    return {shown("lblTotFiles"), shown("lblFilesDone"), shown("lblReplaceMade")};
}

void FrmMainBatch::showBatchTotals(qint64 filesDone, qint64 replaceMade) {
    m_window.showCounters({shownCounters().totFiles, filesDone, replaceMade});
}

void FrmMainBatch::takeFocus() {
    m_window.activateWindow();
    m_window.raise();
}

} // namespace zuk

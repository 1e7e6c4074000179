// The main window's running states and what a run shows in it.

#include "ui/frm_main.h"
#include "ui/multi_line_box.h"
#include "ui/right_box.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace zuk {

void frmMain::lockBoxes(bool locked) {
    textBox(QStringLiteral("txtSearch"))->setReadOnly(locked);
    textBox(QStringLiteral("txtReplace"))->setReadOnly(locked);
    lineBox(QStringLiteral("txtPath"))->setReadOnly(locked);
}

void frmMain::enterRunState() {
    // In text mode the run works on what the box holds now.
    if (m_boxNewer)
        syncRightBoxIntoBuffer();
    m_sinceRefresh.invalidate(); // the run's first file is shown at once
    button(QStringLiteral("cmdStart"))->setText(QStringLiteral("Cancel"));
    updateCommandAvailability();
    lockBoxes(true);
    updateRightBoxEditable();
    showCounters({});
}

void frmMain::leaveRunState() {
    if (m_bufferNewer)
        m_refreshTimer.start(0); // the box catches up at once
    button(QStringLiteral("cmdStart"))->setText(QStringLiteral("Start"));
    updateCommandAvailability();
    lockBoxes(false);
    updateRightBoxEditable();
}

void frmMain::enterRollBackState() {
    updateCommandAvailability();
    button(QStringLiteral("cmdRollBack"))->setText(QStringLiteral("Cancel"));
    lockBoxes(true);
}

void frmMain::leaveRollBackState() {
    updateCommandAvailability();
    button(QStringLiteral("cmdRollBack"))->setText(QStringLiteral("Roll Back"));
    lockBoxes(false);
}

void frmMain::setAutoSizedText(QLabel* label, const QString& text) {
    label->setText(text);
    label->resize(label->sizeHint());
}

void frmMain::showCounters(const RunCounters& counters) {
    // The captions change at once (a batch reads them back after each run); the labels are
    // painted when the event loop next runs, which the run's yield hook lets it do every few
    // milliseconds. Painting them here, once per file name, cost more than the run itself.
    const std::pair<const char*, qint64> shown[] = {{"lblTotFiles", counters.totFiles},
                                                    {"lblFilesDone", counters.filesDone},
                                                    {"lblReplaceMade", counters.replaceMade}};
    for (const auto& [name, value] : shown) {
        QLabel* counter = label(QString::fromUtf8(name));
        const QString text = QString::number(value);
        if (counter->text() != text)
            setAutoSizedText(counter, text);
    }
}

void frmMain::setCurrentPath(const QString& path) {
    // Painted with the counters, when the event loop next runs.
    label(QStringLiteral("lblCurPath"))->setText(path);
}

TextBuffer& frmMain::workingBuffer() {
    if (m_boxNewer)
        syncRightBoxIntoBuffer();
    return m_buffer;
}

void frmMain::syncRightBoxIntoBuffer() {
    m_buffer.setText(rawPlainText(m_rtb1, QStringLiteral("\r\n")));
    m_boxNewer = false;
    m_bufferNewer = false;
}

void frmMain::workingBufferChanged() {
    // Only noted here; the box takes the text when the event loop next runs and the box is
    // on screen, so a run over many files never waits for the box. A showing already
    // planned during a run keeps its time.
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
    m_rtb1->setPlainText(m_buffer.text());
    // Painted at once: after a big text scrolled far down, the update the box asks for by
    // itself could leave the old lines on the screen until the box was clicked.
    m_rtb1->viewport()->repaint();
    m_refreshingBox = false;
    m_bufferNewer = false;
    m_boxNewer = false;
}

void frmMain::openLogViewer() {
    cmdViewLog_Click();
}

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main_window_adapter.h"

#include "ui/check_box.h"
#include "ui/frm_main.h"
#include "ui/multi_line_box.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zuk {

namespace {

void setAutoSizedText(QLabel* label, const QString& text) {
    label->setText(text);
    label->resize(label->sizeHint());
}

} // namespace

MainWindowAdapter::MainWindowAdapter(frmMain& window, const MainControls& controls,
                                     const OptionControls& options)
    : m_window(window), m_c(controls), m_options(options) {
    m_due.setSingleShot(true);
    m_due.setInterval(0);
    m_due.callOnTimeout([this] { showPending(); });
}

// RunWindow

void MainWindowAdapter::lockBoxes(bool locked) {
    m_c.txtSearch->setReadOnly(locked);
    m_c.txtReplace->setReadOnly(locked);
    m_c.txtPath->setReadOnly(locked);
}

void MainWindowAdapter::enterRunState() {
    // In text mode the run works on what the box holds now.
    m_window.runStarting();
    m_c.cmdStart->setText(QStringLiteral("Cancel"));
    m_window.workStateChanged();
    lockBoxes(true);
    showCounters({});
    m_working = true;
}

void MainWindowAdapter::leaveRunState() {
    showPending(); // a batch reads the captions back after each run
    m_working = false;
    m_window.runEnded();
    m_c.cmdStart->setText(QStringLiteral("Start"));
    m_window.workStateChanged();
    lockBoxes(false);
}

void MainWindowAdapter::enterRollBackState() {
    m_window.workStateChanged();
    m_c.cmdRollBack->setText(QStringLiteral("Cancel"));
    lockBoxes(true);
    m_working = true;
}

void MainWindowAdapter::leaveRollBackState() {
    showPending();
    m_working = false;
    m_window.workStateChanged();
    m_c.cmdRollBack->setText(QStringLiteral("Roll Back"));
    lockBoxes(false);
}

void MainWindowAdapter::showCounters(const RunCounters& counters) {
    m_pendingCounters = counters;
    showWhenDue();
}

void MainWindowAdapter::setCurrentPath(const QString& path) {
    m_pendingPath = path;
    showWhenDue();
}

void MainWindowAdapter::showWhenDue() {
    if (!m_working)
        showPending();
    else if (!m_due.isActive())
        m_due.start();
}

void MainWindowAdapter::showPending() {
    m_due.stop();
    if (m_pendingCounters) {
        const RunCounters& counters = *m_pendingCounters;
        const std::pair<QLabel*, qint64> shown[] = {{m_c.lblTotFiles, counters.totFiles},
                                                    {m_c.lblFilesDone, counters.filesDone},
                                                    {m_c.lblReplaceMade, counters.replaceMade}};
        for (const auto& [counter, value] : shown) {
            const QString text = QString::number(value);
            if (counter->text() != text)
                setAutoSizedText(counter, text);
        }
        m_pendingCounters.reset();
    }
    if (m_pendingPath) {
        m_c.lblCurPath->setText(*m_pendingPath);
        m_pendingPath.reset();
    }
}

QString MainWindowAdapter::rightBoxText() {
    return m_window.rightBoxText();
}

Status MainWindowAdapter::setRightBoxText(const QString& text) {
    m_window.setRightBoxText(text);
    return {};
}

void MainWindowAdapter::showWorkingText(const WorkingText& text) {
    m_window.showWorkingText(text);
}

void MainWindowAdapter::openLogViewer() {
    m_window.cmdViewLog_Click();
}

} // namespace zuk

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

MainWindowAdapter::MainWindowAdapter(frmMain& window, const MainControls& controls)
    : m_window(window), m_c(controls) {
    m_due.setSingleShot(true);
    m_due.setInterval(0);
    m_due.callOnTimeout([this] { showPending(); });
}

// RunOptions

QString MainWindowAdapter::searchText() const {
    return m_c.txtSearch->text();
}
QString MainWindowAdapter::replaceText() const {
    return m_c.txtReplace->text();
}
QString MainWindowAdapter::path() const {
    return m_c.txtPath->text();
}
bool MainWindowAdapter::optText() const {
    return m_c.optText->isChecked();
}
bool MainWindowAdapter::optFile() const {
    return m_c.optFile->isChecked();
}
CheckValue MainWindowAdapter::subDirectories() const {
    return m_c.chkSub->value();
}
CheckValue MainWindowAdapter::allTypes() const {
    return m_c.chkAllType->value();
}
FileTypeValues MainWindowAdapter::fileTypes() const {
    FileTypeValues values{};
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = m_c.fileTypes[i]->value();
    return values;
}
CheckValue MainWindowAdapter::customType() const {
    return m_c.chkThis->value();
}
QString MainWindowAdapter::customExtension() const {
    return m_c.txtThis->text();
}
CheckValue MainWindowAdapter::caseSensitive() const {
    return m_c.chkCase->value();
}
CheckValue MainWindowAdapter::searchOnly() const {
    return m_c.chkSearchOnly->value();
}
CheckValue MainWindowAdapter::makeBackups() const {
    return m_c.chkBackUp->value();
}
CheckValue MainWindowAdapter::logChanges() const {
    return m_c.chkLog->value();
}
CheckValue MainWindowAdapter::doAllCrlf() const {
    return m_c.chkDoAllCRLF->value();
}
CheckValue MainWindowAdapter::keepSpaceLeft() const {
    return m_c.chkKeepLeftSpc->value();
}
CheckValue MainWindowAdapter::keepSpaceRight() const {
    return m_c.chkKeepRightSpc->value();
}
void MainWindowAdapter::setMakeBackups(CheckValue value) {
    m_c.chkBackUp->setValue(value);
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

TextBuffer& MainWindowAdapter::workingBuffer() {
    return m_window.workingBuffer();
}

void MainWindowAdapter::workingBufferChanged() {
    m_window.workingBufferChanged();
}

void MainWindowAdapter::openLogViewer() {
    m_window.cmdViewLog_Click();
}

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main_window_adapter.h"

#include "ui/check_box.h"
#include "ui/frm_main.h"
#include "ui/multi_line_box.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <stdexcept>
#include <string>

namespace zuk {

namespace {

template <typename T> T* find(const QHash<QString, QWidget*>& controls, const char* name) {
    T* found = qobject_cast<T*>(controls.value(QString::fromLatin1(name)));
    if (!found)
        throw std::logic_error(std::string("frmMain has no control ") + name + " of the kind " +
                               T::staticMetaObject.className());
    return found;
}

MainWindowAdapter::Controls findControls(const QHash<QString, QWidget*>& controls) {
    std::array<CheckBox*, kFileTypes.size()> fileTypes{};
    for (std::size_t i = 0; i < kFileTypes.size(); ++i)
        fileTypes[i] = find<CheckBox>(controls, kFileTypes[i].checkBox);
    return {
        .txtSearch = find<MultiLineBox>(controls, "txtSearch"),
        .txtReplace = find<MultiLineBox>(controls, "txtReplace"),
        .txtPath = find<QLineEdit>(controls, "txtPath"),
        .txtThis = find<QLineEdit>(controls, "txtThis"),
        .optText = find<QRadioButton>(controls, "optText"),
        .optFile = find<QRadioButton>(controls, "optFile"),
        .optAll = find<QRadioButton>(controls, "optAll"),
        .chkSub = find<CheckBox>(controls, "chkSub"),
        .chkAllType = find<CheckBox>(controls, "chkAllType"),
        .fileTypes = fileTypes,
        .chkThis = find<CheckBox>(controls, "chkThis"),
        .chkCase = find<CheckBox>(controls, "chkCase"),
        .chkSearchOnly = find<CheckBox>(controls, "chkSearchOnly"),
        .chkBackUp = find<CheckBox>(controls, "chkBackUp"),
        .chkLog = find<CheckBox>(controls, "chkLog"),
        .chkDoAllCRLF = find<CheckBox>(controls, "chkDoAllCRLF"),
        .chkKeepLeftSpc = find<CheckBox>(controls, "chkKeepLeftSpc"),
        .chkKeepRightSpc = find<CheckBox>(controls, "chkKeepRightSpc"),
        .cmdStart = find<QPushButton>(controls, "cmdStart"),
        .cmdRollBack = find<QPushButton>(controls, "cmdRollBack"),
        .lblTotFiles = find<QLabel>(controls, "lblTotFiles"),
        .lblFilesDone = find<QLabel>(controls, "lblFilesDone"),
        .lblReplaceMade = find<QLabel>(controls, "lblReplaceMade"),
        .lblCurPath = find<QLabel>(controls, "lblCurPath"),
    };
}

void setAutoSizedText(QLabel* label, const QString& text) {
    label->setText(text);
    label->resize(label->sizeHint());
}

} // namespace

MainWindowAdapter::MainWindowAdapter(frmMain& window, const QHash<QString, QWidget*>& controls)
    : m_window(window), m_c(findControls(controls)) {
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

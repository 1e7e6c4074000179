// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's rules and small commands: what each click does.

#include "engine/run/prompter.h"
#include "ui/check_box.h"
#include "ui/frm_main.h"
#include "ui/multi_line_box.h"
#include "ui/path_chooser.h"
#include "ui/right_box.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

namespace zuk {

namespace {

const QString kFileFilter = QStringLiteral(
    " *.htm (HTM Files)|*.htm| *.html (HTML Files)|*.html| *.cfm (Cold Fusion Markup)|*.cfm|"
    " *.txt (Text Files)|*.txt| *.* (All Files)|*.*|");

QColor buttonFace() {
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

} // namespace

void frmMain::connectRules() {
    // Option buttons run their rule when they become selected, check boxes whenever their
    // value changes: from a click or from code alike.
    auto onSelected = [this](const char* name, void (frmMain::*rule)()) {
        connect(optionButton(QString::fromUtf8(name)), &QRadioButton::toggled, this,
                [this, rule](bool selected) {
                    if (selected)
                        (this->*rule)();
                });
    };
    onSelected("optText", &frmMain::optText_Click);
    onSelected("optFile", &frmMain::optFile_Click);
    onSelected("optAll", &frmMain::optAll_Click);
    // Tab stops at the selected option of the group; the arrow keys move between them.
    for (const char* name : {"optText", "optFile", "optAll"}) {
        QRadioButton* option = optionButton(QString::fromUtf8(name));
        auto tabStop = [option](bool selected) {
            option->setFocusPolicy(selected ? Qt::StrongFocus : Qt::ClickFocus);
        };
        tabStop(option->isChecked());
        connect(option, &QRadioButton::toggled, this, tabStop);
    }

    auto onChanged = [this](const char* name, void (frmMain::*rule)()) {
        connect(checkBox(QString::fromUtf8(name)), &QCheckBox::stateChanged, this, rule);
    };
    onChanged("chkAllType", &frmMain::chkAllType_Click);
    onChanged("chkThis", &frmMain::chkThis_Click);
    onChanged("chkDoAllCRLF", &frmMain::chkDoAllCRLF_Click);

    auto onClick = [this](const char* name, void (frmMain::*handler)()) {
        connect(button(QString::fromUtf8(name)), &QPushButton::clicked, this, handler);
    };
    onClick("cmdStart", &frmMain::cmdStart_Click);
    onClick("cmdRollBack", &frmMain::cmdRollBack_Click);
    onClick("cmdExpand", &frmMain::cmdExpand_Click);
    onClick("cmdBrowse", &frmMain::cmdBrowse_Click);
    onClick("cmdClear", &frmMain::cmdClear_Click);
    onClick("cmdViewLog", &frmMain::cmdViewLog_Click);
    onClick("cmdHelp", &frmMain::cmdHelp_Click);
    onClick("cmdExit", &frmMain::cmdExit_Click);

    connect(m_rtb1, &RightBox::rightButtonPressed, this, &frmMain::showRightBoxMenu);
}

void frmMain::DisableControls(const QString& WhatControls, bool OnOff) {
    if (WhatControls == QLatin1String("OptFile")) {
        control(QStringLiteral("chkSub"))->setEnabled(false);
        control(QStringLiteral("chkAllType"))->setEnabled(false);
        for (CheckBox* type : m_adapter->controls().fileTypes)
            type->setEnabled(false);
    } else if (WhatControls == QLatin1String("OptAll")) {
        control(QStringLiteral("chkSub"))->setEnabled(true);
        control(QStringLiteral("chkAllType"))->setEnabled(true);
        if (m_adapter->allTypes() == Unchecked) {
            for (CheckBox* type : m_adapter->controls().fileTypes)
                type->setEnabled(true);
        }
    } else if (WhatControls == QLatin1String("AllType")) {
        for (CheckBox* type : m_adapter->controls().fileTypes)
            type->setEnabled(OnOff);
        control(QStringLiteral("chkThis"))->setEnabled(OnOff);
        if (!OnOff) {
            lineBox(QStringLiteral("txtThis"))->setEnabled(false);
            setTxtThisBackground(buttonFace());
        } else if (m_adapter->customType() == Checked) {
            lineBox(QStringLiteral("txtThis"))->setEnabled(true);
            setTxtThisBackground(Qt::white);
        }
    }
}

void frmMain::applyClickReactions() {
    // chkThis before chkAllType, which may disable it; the mode last, as it overrides the types.
    chkThis_Click();
    chkDoAllCRLF_Click();
    chkAllType_Click();
    if (m_adapter->optText())
        optText_Click();
    else if (m_adapter->optFile())
        optFile_Click();
    else
        optAll_Click();
}

void frmMain::optFile_Click() {
    if (m_adapter->optFile())
        DisableControls(QStringLiteral("OptFile"), false);
    m_rightBoxEditable = false;
    updateRightBoxEditable();
}

void frmMain::optAll_Click() {
    if (optionButton(QStringLiteral("optAll"))->isChecked())
        DisableControls(QStringLiteral("OptAll"), true);
    m_rightBoxEditable = false;
    updateRightBoxEditable();
}

void frmMain::optText_Click() {
    DisableControls(QStringLiteral("OptFile"), false);
    // Text mode works on the right-hand box, so the box comes into view. Other modes never
    // narrow the window.
    if (button(QStringLiteral("cmdExpand"))->text() == QLatin1String(">"))
        cmdExpand_Click();
    m_rightBoxEditable = true;
    updateRightBoxEditable();
}

void frmMain::chkAllType_Click() {
    DisableControls(QStringLiteral("AllType"), m_adapter->allTypes() == Unchecked);
}

void frmMain::chkThis_Click() {
    auto* txtThis = lineBox(QStringLiteral("txtThis"));
    const bool on = m_adapter->customType() == Checked;
    txtThis->setEnabled(on);
    setTxtThisBackground(on ? QColor(Qt::white) : buttonFace());
}

void frmMain::chkDoAllCRLF_Click() {
    const bool on = m_adapter->doAllCrlf() == Checked;
    control(QStringLiteral("chkKeepLeftSpc"))->setEnabled(on);
    control(QStringLiteral("chkKeepRightSpc"))->setEnabled(on);
}

void frmMain::cmdExpand_Click() {
    auto* expand = button(QStringLiteral("cmdExpand"));
    if (expand->text() == QLatin1String(">")) {
        setWidthTwips(kWideTwips);
        expand->setText(QStringLiteral("<"));
    } else {
        setWidthTwips(kNarrowTwips);
        expand->setText(QStringLiteral(">"));
    }
}

void frmMain::cmdBrowse_Click() {
    auto* txtPath = lineBox(QStringLiteral("txtPath"));
    if (m_adapter->optFile()) {
        // The dialog keeps its last file name, so a cancel after an earlier choice brings that
        // choice back.
        // It opens at the current path when that names a file or a folder that exists.
        QString startAt = existingFolderOf(txtPath->text());
        if (!startAt.isEmpty() && QFileInfo(txtPath->text()).isFile())
            startAt = txtPath->text();
        const QString chosen = m_chooser->chooseFile(this, qtFileFilter(kFileFilter),
                                                     startAt.isEmpty() ? m_cd1FileName : startAt);
        if (!chosen.isEmpty())
            m_cd1FileName = QDir::toNativeSeparators(chosen);
        if (!m_cd1FileName.isEmpty())
            txtPath->setText(m_cd1FileName);
        else
            m_prompter.inform(QStringLiteral("No File Selected!"));
        return;
    }
    QString folder = m_chooser->chooseFolder(this, QStringLiteral("Select the directory to scan"),
                                             existingFolderOf(txtPath->text()));
    if (!folder.isEmpty()) {
        folder = QDir::toNativeSeparators(folder);
        if (!folder.endsWith(QDir::separator()))
            folder += QDir::separator();
        txtPath->setText(folder);
    }
    if (txtPath->text().isEmpty())
        m_prompter.inform(QStringLiteral("No folder selected!"));
}

void frmMain::cmdClear_Click() {
    textBox(QStringLiteral("txtSearch"))->clear();
    textBox(QStringLiteral("txtReplace"))->clear();
    lineBox(QStringLiteral("txtPath"))->clear();
    // The emptied box is now newer than the buffer, which takes it before its next use.
    m_bufferNewer = false;
    m_rtb1->clear();
}

void frmMain::cmdStart_Click() {
    if (m_startCommand)
        m_startCommand();
}

void frmMain::cmdRollBack_Click() {
    if (m_rollBackCommand)
        m_rollBackCommand();
}

void frmMain::cmdViewLog_Click() {
    if (m_viewLogCommand)
        m_viewLogCommand();
}

void frmMain::cmdHelp_Click() {
    if (m_helpCommand)
        m_helpCommand();
}

void frmMain::mnuAbout_Click() {
    if (m_aboutCommand)
        m_aboutCommand();
}

void frmMain::mnuBatch_Click() {
    if (m_batchCommand)
        m_batchCommand();
}

void frmMain::cmdExit_Click() {
    close();
}

void frmMain::showRightBoxMenu(const QPoint& globalPosition) {
    m_customMenu->popup(globalPosition);
}

void frmMain::mnuCopy_Click() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    QString selected = m_rtb1->textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    selected.replace(QChar::LineSeparator, QLatin1Char('\n'));
    clipboard->setText(selected);
}

void frmMain::mnuPaste_Click() {
    // While a run works on the buffer the box must not change under it.
    if (m_state.runActive)
        return;
    // Goes through the cursor, which edits read-only boxes too.
    QTextCursor cursor = m_rtb1->textCursor();
    cursor.insertText(QGuiApplication::clipboard()->text());
    m_rtb1->setTextCursor(cursor);
}

QColor frmMain::txtThisBackground() const {
    return m_txtThisBackground;
}

void frmMain::setTxtThisBackground(const QColor& colour) {
    m_txtThisBackground = colour;
    auto* txtThis = lineBox(QStringLiteral("txtThis"));
    QPalette palette = txtThis->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, colour);
    txtThis->setPalette(palette);
}

void frmMain::updateRightBoxEditable() {
    m_rtb1->setReadOnly(!m_rightBoxEditable || m_state.runActive);
}

void frmMain::updateCommandAvailability() {
    const bool run = m_state.runActive;
    const bool rollBack = m_state.rollBackActive;
    const bool busy = run || rollBack;
    // The button that started the work stays: it is the Cancel.
    button(QStringLiteral("cmdStart"))->setEnabled(!rollBack);
    button(QStringLiteral("cmdRollBack"))->setEnabled(!run);
    for (const char* name : {"cmdClear", "cmdExit", "cmdBrowse"})
        button(QString::fromUtf8(name))->setEnabled(!busy);
    button(QStringLiteral("cmdHelp"))->setEnabled(!busy && m_helpCommand);
    button(QStringLiteral("cmdViewLog"))->setEnabled(!busy && m_viewLogCommand);

    // Menu items that could interfere with the work are off while it runs; Exit stays.
    menuItem(QStringLiteral("mnuClear"))->setEnabled(!busy);
    menuItem(QStringLiteral("mnuStart"))->setEnabled(!rollBack);
    menuItem(QStringLiteral("mnuRollBack"))->setEnabled(!run);
    menuItem(QStringLiteral("mnuBatch"))->setEnabled(!busy && m_batchCommand);
    menuItem(QStringLiteral("mnuViewLog"))->setEnabled(!busy && m_viewLogCommand);
    menuItem(QStringLiteral("mnuHelp"))->setEnabled(bool(m_helpCommand));
    menuItem(QStringLiteral("mnuAbout"))->setEnabled(bool(m_aboutCommand));
    menuItem(QStringLiteral("mnuPaste"))->setEnabled(!run);
}

} // namespace zuk

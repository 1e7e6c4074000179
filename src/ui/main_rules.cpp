// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's rules and small commands: what each click does.

#include "engine/files/path_bytes.h"
#include "engine/run/file_selection.h"
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
#include <algorithm>

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
    auto onSelected = [this](QRadioButton* option, void (frmMain::*rule)()) {
        connect(option, &QRadioButton::toggled, this, [this, rule](bool selected) {
            if (selected)
                (this->*rule)();
        });
    };
    onSelected(m_c.optText, &frmMain::optText_Click);
    onSelected(m_c.optFile, &frmMain::optFile_Click);
    onSelected(m_c.optAll, &frmMain::optAll_Click);
    // Tab stops at the selected option of the group; the arrow keys move between them.
    for (QRadioButton* option : {m_c.optText, m_c.optFile, m_c.optAll}) {
        auto tabStop = [option](bool selected) {
            option->setFocusPolicy(selected ? Qt::StrongFocus : Qt::ClickFocus);
        };
        tabStop(option->isChecked());
        connect(option, &QRadioButton::toggled, this, tabStop);
    }

    auto onChanged = [this](CheckBox* box, void (frmMain::*rule)()) {
        connect(box, &QCheckBox::stateChanged, this, rule);
    };
    onChanged(m_c.chkAllType, &frmMain::chkAllType_Click);
    onChanged(m_c.chkThis, &frmMain::chkThis_Click);
    onChanged(m_c.chkDoAllCRLF, &frmMain::chkDoAllCRLF_Click);

    auto onClick = [this](QPushButton* button, void (frmMain::*handler)()) {
        connect(button, &QPushButton::clicked, this, handler);
    };
    onClick(m_c.cmdStart, &frmMain::cmdStart_Click);
    onClick(m_c.cmdRollBack, &frmMain::cmdRollBack_Click);
    onClick(m_c.cmdExpand, &frmMain::cmdExpand_Click);
    onClick(m_c.cmdBrowse, &frmMain::cmdBrowse_Click);
    onClick(m_c.cmdClear, &frmMain::cmdClear_Click);
    onClick(m_c.cmdViewLog, &frmMain::cmdViewLog_Click);
    onClick(m_c.cmdHelp, &frmMain::cmdHelp_Click);
    onClick(m_c.cmdExit, &frmMain::cmdExit_Click);

    connect(m_rtb1, &RightBox::rightButtonPressed, this, &frmMain::showRightBoxMenu);
}

void frmMain::DisableControls(ControlGroup WhatControls, bool OnOff) {
    switch (WhatControls) {
    case ControlGroup::OptFile:
        m_c.chkSub->setEnabled(false);
        m_c.chkAllType->setEnabled(false);
        for (CheckBox* type : m_c.fileTypes)
            type->setEnabled(false);
        break;
    case ControlGroup::OptAll:
        m_c.chkSub->setEnabled(true);
        m_c.chkAllType->setEnabled(true);
        if (m_adapter->allTypes() == Unchecked) {
            for (CheckBox* type : m_c.fileTypes)
                type->setEnabled(true);
        }
        break;
    case ControlGroup::AllType:
        for (CheckBox* type : m_c.fileTypes)
            type->setEnabled(OnOff);
        m_c.chkThis->setEnabled(OnOff);
        if (!OnOff) {
            m_c.txtThis->setEnabled(false);
            setTxtThisBackground(buttonFace());
        } else if (m_adapter->customType() == Checked) {
            m_c.txtThis->setEnabled(true);
            setTxtThisBackground(Qt::white);
        }
        break;
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
        DisableControls(ControlGroup::OptFile, false);
    m_rightBoxEditable = false;
    updateRightBoxEditable();
}

void frmMain::optAll_Click() {
    if (m_c.optAll->isChecked())
        DisableControls(ControlGroup::OptAll, true);
    m_rightBoxEditable = false;
    updateRightBoxEditable();
}

void frmMain::optText_Click() {
    DisableControls(ControlGroup::OptFile, false);
    // Text mode works on the right-hand box, so the box comes into view. Other modes never
    // narrow the window.
    if (m_c.cmdExpand->text() == QLatin1String(">"))
        cmdExpand_Click();
    m_rightBoxEditable = true;
    updateRightBoxEditable();
}

void frmMain::chkAllType_Click() {
    DisableControls(ControlGroup::AllType, m_adapter->allTypes() == Unchecked);
}

void frmMain::chkThis_Click() {
    const bool on = m_adapter->customType() == Checked;
    m_c.txtThis->setEnabled(on);
    setTxtThisBackground(on ? QColor(Qt::white) : buttonFace());
}

void frmMain::chkDoAllCRLF_Click() {
    const bool on = m_adapter->doAllCrlf() == Checked;
    m_c.chkKeepLeftSpc->setEnabled(on);
    m_c.chkKeepRightSpc->setEnabled(on);
}

void frmMain::cmdExpand_Click() {
    if (m_c.cmdExpand->text() == QLatin1String(">")) {
        setWidthTwips(kWideTwips);
        m_c.cmdExpand->setText(QStringLiteral("<"));
    } else {
        setWidthTwips(kNarrowTwips);
        m_c.cmdExpand->setText(QStringLiteral(">"));
    }
}

void frmMain::cmdBrowse_Click() {
    QLineEdit* txtPath = m_c.txtPath;
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
    m_c.txtSearch->clear();
    m_c.txtReplace->clear();
    m_c.txtPath->clear();
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

void frmMain::mnuUndoLastRun_Click() {
    // Between two entries of a batch nothing runs, but the batch's journal is open.
    if (m_undoCommand && !m_state.runActive && !m_state.rollBackActive && !m_state.isBatch)
        m_undoCommand();
}

void frmMain::mnuBatch_Click() {
    if (m_batchCommand)
        m_batchCommand();
}

void frmMain::cmdExit_Click() {
    close();
}

void frmMain::showRightBoxMenu(const QPoint& globalPosition) {
    m_c.mnuCustomMenu->popup(globalPosition);
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
    QPalette palette = m_c.txtThis->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, colour);
    m_c.txtThis->setPalette(palette);
}

void frmMain::updateRightBoxEditable() {
    m_rtb1->setReadOnly(!m_rightBoxEditable || m_state.runActive);
}

void frmMain::updateCommandAvailability() {
    const bool run = m_state.runActive;
    const bool rollBack = m_state.rollBackActive;
    const bool busy = run || rollBack;
    // The button that started the work stays: it is the Cancel.
    m_c.cmdStart->setEnabled(!rollBack);
    m_c.cmdRollBack->setEnabled(!run);
    for (QPushButton* button : {m_c.cmdClear, m_c.cmdExit, m_c.cmdBrowse})
        button->setEnabled(!busy);
    m_c.cmdHelp->setEnabled(!busy && m_helpCommand);
    m_c.cmdViewLog->setEnabled(!busy && m_viewLogCommand);

    // Menu items that could interfere with the work are off while it runs; Exit stays.
    m_c.mnuClear->setEnabled(!busy);
    m_c.mnuStart->setEnabled(!rollBack);
    m_c.mnuRollBack->setEnabled(!run);
    m_c.mnuBatch->setEnabled(!busy && m_batchCommand);
    m_c.mnuViewLog->setEnabled(!busy && m_viewLogCommand);
    m_c.mnuPreview->setEnabled(!busy && m_previewCommand);
    m_c.mnuUndoLastRun->setEnabled(!busy && m_undoCommand);
    m_c.mnuHelp->setEnabled(bool(m_helpCommand));
    m_c.mnuAbout->setEnabled(bool(m_aboutCommand));
    m_c.mnuPaste->setEnabled(!run);
    // How the search text is read is settled for a whole run.
    for (QAction* item : {m_c.mnuRegex, m_c.mnuWholeWords, m_c.mnuPreserveCase})
        item->setEnabled(!busy);
}

void frmMain::showSearchReading() {
    // The designed caption and width, kept from before the first change.
    if (m_searchCaption.isEmpty()) {
        m_searchCaption = m_c.Label1->text();
        m_searchCaptionWidth = m_c.Label1->width();
    }
    QStringList on;
    if (m_c.mnuRegex->isChecked())
        on.append(QStringLiteral("Regex"));
    if (m_c.mnuWholeWords->isChecked())
        on.append(QStringLiteral("Whole Words"));
    if (m_c.mnuPreserveCase->isChecked())
        on.append(QStringLiteral("Preserve Case"));
    m_c.Label1->setText(
        on.isEmpty()
            ? m_searchCaption
            : QStringLiteral("Text to Search For :   (%1)").arg(on.join(QStringLiteral(", "))));
    // A longer caption may use the room up to the button beside it, never less than designed.
    const int room = m_c.cmdExpand->x() - m_c.Label1->x() - 4;
    m_c.Label1->resize(on.isEmpty() ? m_searchCaptionWidth
                                    : std::max(m_searchCaptionWidth,
                                               std::min(m_c.Label1->sizeHint().width(), room)),
                       m_c.Label1->height());
}

FileFiltersDialog::Filters frmMain::fileFilters() const {
    return {m_options.text(OptionId::IncludePatterns), m_options.text(OptionId::ExcludePatterns),
            m_options.check(OptionId::UseGitIgnore) == Checked};
}

void frmMain::mnuFileFilters_Click() {
    auto* dialog = new FileFiltersDialog(fileFilters(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const FileFiltersDialog::Filters chosen = dialog->filters();
        m_options.setText(OptionId::IncludePatterns, chosen.include);
        m_options.setText(OptionId::ExcludePatterns, chosen.exclude);
        m_options.setCheck(OptionId::UseGitIgnore, chosen.gitIgnore ? Checked : Unchecked);
        showFileFilters();
    });
    dialog->open();
}

void frmMain::showFileFilters() {
    // The designed caption and width, kept from before the first change.
    if (m_pathCaption.isEmpty()) {
        m_pathCaption = m_c.Label4->text();
        m_pathCaptionWidth = m_c.Label4->width();
    }
    const FileFiltersDialog::Filters filters = fileFilters();
    QStringList which;
    for (const auto& [patterns, caption] :
         {std::pair{filters.include, QStringLiteral("Include: ")},
          std::pair{filters.exclude, QStringLiteral("Exclude: ")}}) {
        for (const QByteArray& pattern : patternLines(patterns))
            which.append(caption + decodePath(pattern));
    }
    if (filters.gitIgnore)
        which.append(QStringLiteral("Skip what .gitignore files exclude"));
    const bool on = !which.isEmpty();
    m_c.Label4->setText(on ? m_pathCaption + QStringLiteral("   (Filtered)") : m_pathCaption);
    m_c.Label4->setToolTip(which.join(u'\n'));
    // The longer caption may use the room up to the button beside it, never less than designed.
    const int room = m_c.cmdBrowse->x() - m_c.Label4->x() - 4;
    m_c.Label4->resize(
        on ? std::max(m_pathCaptionWidth, std::min(m_c.Label4->sizeHint().width(), room))
           : m_pathCaptionWidth,
        m_c.Label4->height());
}

} // namespace zuk

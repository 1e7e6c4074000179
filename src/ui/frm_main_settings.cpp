// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_main_settings.h"

#include "ui/check_box.h"
#include "ui/frm_main.h"
#include "ui/multi_line_box.h"

#include <QLineEdit>
#include <QRadioButton>

namespace zuk {

namespace {

// Turning one option of the group off by itself means nothing: another one is turned on.
void select(QRadioButton* option, bool on) {
    if (on)
        option->setChecked(true);
}

} // namespace

void applySettings(frmMain& window, const MainSettings& s) {
    const MainControls& c = window.controls();
    select(c.optAll, s.optAll);
    select(c.optText, s.optText);
    c.chkSub->setValue(s.subDirectories);
    for (std::size_t i = 0; i < kFileTypes.size(); ++i)
        c.fileTypes[i]->setValue(s.fileTypes[i]);
    c.chkThis->setValue(s.customType);
    c.txtThis->setText(s.customExtension);
    c.chkBackUp->setValue(s.makeBackups);
    c.chkCase->setValue(s.caseSensitive);
    c.chkLog->setValue(s.logChanges);
    c.chkSearchOnly->setValue(s.searchOnly);
    c.chkDoAllCRLF->setValue(s.doAllCrlf);
    c.chkKeepLeftSpc->setValue(s.keepSpaceLeft);
    c.chkKeepRightSpc->setValue(s.keepSpaceRight);
    // All types and the file mode come late and disable what they cover outright.
    c.chkAllType->setValue(s.allTypes);
    if (s.allTypes == Checked)
        window.DisableControls(frmMain::ControlGroup::AllType, false);
    select(c.optFile, s.optFile);
    if (s.optFile)
        window.DisableControls(frmMain::ControlGroup::OptFile, false);
    c.txtPath->setText(s.path);
    c.txtSearch->setText(s.searchText);
    c.txtReplace->setText(s.replaceText);
}

MainSettings readSettings(const frmMain& window) {
    const MainControls& c = window.controls();
    MainSettings s;
    s.optText = c.optText->isChecked();
    s.optFile = c.optFile->isChecked();
    s.optAll = c.optAll->isChecked();
    s.subDirectories = c.chkSub->value();
    s.allTypes = c.chkAllType->value();
    for (std::size_t i = 0; i < kFileTypes.size(); ++i)
        s.fileTypes[i] = c.fileTypes[i]->value();
    s.customType = c.chkThis->value();
    s.customExtension = c.txtThis->text();
    s.makeBackups = c.chkBackUp->value();
    s.caseSensitive = c.chkCase->value();
    s.logChanges = c.chkLog->value();
    s.searchOnly = c.chkSearchOnly->value();
    s.path = c.txtPath->text();
    s.searchText = c.txtSearch->text();
    s.replaceText = c.txtReplace->text();
    s.doAllCrlf = c.chkDoAllCRLF->value();
    s.keepSpaceLeft = c.chkKeepLeftSpc->value();
    s.keepSpaceRight = c.chkKeepRightSpc->value();
    return s;
}

} // namespace zuk

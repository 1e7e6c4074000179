// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_main_settings.h"

#include "ui/frm_main.h"

namespace zuk {

void applySettings(frmMain& window, const MainSettings& s) {
    const OptionControls& controls = window.optionControls();
    for (const RunOptionRow& row : runOptionTable()) {
        // All types and the option buttons come late: they disable what they cover.
        if (row.kind == OptionKind::Text)
            controls.setText(row.id, s.*row.text);
        else if (row.kind == OptionKind::Check && row.id != OptionId::AllTypes)
            controls.setCheck(row.id, row.checkIn(s));
    }
    controls.setCheck(OptionId::AllTypes, s.allTypes);
    if (s.allTypes == Checked)
        window.DisableControls(frmMain::ControlGroup::AllType, false);
    // Of the options on, the file mode wins, then the text mode.
    for (OptionId id : {OptionId::OptAll, OptionId::OptText, OptionId::OptFile})
        controls.setCheck(id, runOption(id).checkIn(s));
    if (s.optFile)
        window.DisableControls(frmMain::ControlGroup::OptFile, false);
    window.showFileFilters();
}

MainSettings readSettings(const frmMain& window) {
    const OptionControls& controls = window.optionControls();
    MainSettings s;
    for (const RunOptionRow& row : runOptionTable()) {
        if (row.kind == OptionKind::OptionButton)
            s.*row.option = controls.check(row.id) == Checked;
        else if (row.kind == OptionKind::Check)
            row.checkIn(s) = controls.check(row.id);
        else
            s.*row.text = controls.text(row.id);
    }
    return s;
}

} // namespace zuk

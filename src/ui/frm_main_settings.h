// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/settings.h"

namespace zuk {

class frmMain;

// Puts the settings into the main window's controls in the order start-up sets them. Each value
// goes through its control, so a change runs the control's click reaction; an option set off
// and a check box set to the value it has run nothing.
void applySettings(frmMain& window, const MainSettings& settings);

// The settings as the main window's controls hold them now.
MainSettings readSettings(const frmMain& window);

} // namespace zuk

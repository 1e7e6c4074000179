#pragma once

#include "app/settings_controls.h"
#include "engine/error.h"

#include <QString>

namespace zuk {

// Writes the main window's 24 settings to section "Options" of the file at iniPath with one
// atomic save; other sections and keys stay as they are. The caller may ignore the result.
Status SaveSettings(const QString& iniPath, const SettingsControls& controls);

// Puts the saved settings into the controls, each missing, empty or unusable value replaced by
// its default.
void LoadSettings(const QString& iniPath, SettingsControls& controls);

} // namespace zuk

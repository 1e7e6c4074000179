// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/run/run_options.h"

#include <QString>

namespace zuk {

// Every setting the settings file keeps: the main window's option buttons, check boxes and
// texts, one key per row of runOptionTable() in its order.
using MainSettings = RunOptionValues;

// Writes every key to section "Options" of the file at iniPath with one atomic save (exactly
// one of the three options on); other sections and keys stay as they are. The caller may
// ignore the result.
Status SaveSettings(const QString& iniPath, const MainSettings& settings);

// The saved settings, each missing, empty or unusable value replaced by its default; an
// unreadable or missing file gives the defaults.
MainSettings LoadSettings(const QString& iniPath);

} // namespace zuk

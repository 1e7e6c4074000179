// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/files/file_types.h"
#include "engine/run/check_value.h"

#include <QString>

#include <vector>

namespace zuk {

// Every setting the settings file keeps: the main window's option buttons, check boxes and
// texts. A default-made value is not the defaults; LoadSettings of no file gives those.
struct MainSettings {
    bool optText = false;
    bool optFile = false;
    bool optAll = false;
    CheckValue subDirectories = 0;
    CheckValue allTypes = 0;
    FileTypeValues fileTypes{};
    CheckValue customType = 0;
    QString customExtension;
    CheckValue makeBackups = 0;
    CheckValue caseSensitive = 0;
    CheckValue logChanges = 0;
    CheckValue searchOnly = 0;
    QString path;
    QString searchText;
    QString replaceText;
    CheckValue doAllCrlf = 0;
    CheckValue keepSpaceLeft = 0;
    CheckValue keepSpaceRight = 0;

    bool operator==(const MainSettings&) const = default;
};

// One key of section "Options".
struct SettingRow {
    enum class Kind { Option, Check, Text };

    QString key;      // as written; a read matches it without regard to case
    QString fallback; // for a missing or empty value, and for one its kind can't take
    Kind kind;
    // Where its value lives, by kind; a file type's check box by its row in kFileTypes.
    bool MainSettings::*option = nullptr;
    CheckValue MainSettings::*check = nullptr;
    QString MainSettings::*text = nullptr;
    int fileType = -1;

    CheckValue& checkIn(MainSettings& settings) const;
};

// The 24 keys in the order they are written.
const std::vector<SettingRow>& settingRows();

// Writes every key to section "Options" of the file at iniPath with one atomic save (exactly
// one of the three options on); other sections and keys stay as they are. The caller may
// ignore the result.
Status SaveSettings(const QString& iniPath, const MainSettings& settings);

// The saved settings, each missing, empty or unusable value replaced by its default; an
// unreadable or missing file gives the defaults.
MainSettings LoadSettings(const QString& iniPath);

} // namespace zuk

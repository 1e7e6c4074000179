// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/check_value.h"

#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>

namespace zuk {

// A file type that a directory run can take besides the custom extension.
struct FileType {
    const char* extension;   // a file name that ends so, in any case, is of the type
    const char* checkBox;    // the main window's check box (its place is the layout's)
    const char* settingsKey; // its key in the settings file
    const char* cliName;     // its name in zuk-cli --type
    // Where its key stands among the types' keys in the settings file, whose order is older
    // than this one and kept so that a file written afresh reads as it always did.
    int savedPlace;
};

// In the order the command line lists them.
inline constexpr std::array kFileTypes = {
    FileType{".htm", "chkHTM", "HTM", "htm", 3}, FileType{".html", "chkHTML", "HTML", "html", 4},
    FileType{".cfm", "chkCFM", "CFM", "cfm", 2}, FileType{".txt", "chkTXT", "TXT", "txt", 6},
    FileType{".pl", "chkPL", "PL", "pl", 5},     FileType{".asp", "chkASP", "ASP", "asp", 0},
    FileType{".php", "chkPHP", "PHP", "php", 1},
};

// One check value per row of kFileTypes, in its order.
using FileTypeValues = std::array<CheckValue, kFileTypes.size()>;

// The row whose command-line name is `name` (exactly), if any.
std::optional<std::size_t> fileTypeNamed(QStringView name);

} // namespace zuk

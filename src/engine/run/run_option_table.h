// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/run_options.h"

#include <QString>

#include <span>

namespace zuk {

enum class OptionKind {
    OptionButton, // one of a group, of which one is selected
    Check,        // a check box's value: Unchecked, Checked or Greyed
    Text,
};

// A command-line flag as --help shows it.
struct CliFlag {
    const char* name = nullptr; // the long name; none for an option without a flag of its own
    char shortName = 0;
    // What the flag takes: TEXT, FILE, a choice as "dir|file|text"... none for a switch.
    const char* valueName = nullptr;
    // Its description in --help: the lines after the names' column, "\n" between them.
    const char* help = nullptr;
    int helpPlace = 0;         // where --help lists it among all the flags
    bool repeatable = false;   // may be given more than once (each adds to the list)
    bool forRollBack = false;  // a roll back takes it as well as a run
    bool notWithBatch = false; // a batch's entries give it
};

// One run option: everything that reads, writes, shows or parses it iterates these rows.
struct RunOptionRow {
    OptionId id;
    OptionKind kind;
    const char* settingsKey;
    // Its default: the value of a missing, empty or unusable settings key.
    const char* fallback;
    const char* control; // the main window's control that shows it
    // The flag that sets it: option buttons and file types share one flag each, whose value
    // chooses (an option button's `choice`, a file type's cliName).
    CliFlag flag;
    const char* choice = nullptr;
    // Where its value lives in RunOptionValues, by kind; a file type's in fileTypes.
    bool RunOptionValues::*option = nullptr;
    CheckValue RunOptionValues::*check = nullptr;
    QString RunOptionValues::*text = nullptr;
    int fileType = -1; // its row of kFileTypes

    CheckValue& checkIn(RunOptionValues& values) const;
    CheckValue checkIn(const RunOptionValues& values) const;
};

// Every run option in the order the settings file keeps them.
std::span<const RunOptionRow> runOptionTable();
const RunOptionRow& runOption(OptionId id);
// The option that the main window's control `control` shows, if any.
const RunOptionRow* runOptionShownBy(const char* control);

} // namespace zuk

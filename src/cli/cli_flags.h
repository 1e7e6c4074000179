// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/run_option_table.h"

#include <QString>

#include <vector>

namespace zuk {

// What a flag that sets no run option does.
enum class CliAction {
    SearchFile,
    ReplaceFile,
    Yes,
    Threads,
    RollBack,
    Batch,
    Delimiter,
    Quoted,
    BatchTest,
    Help,
    Version,
    // See before changing.
    DryRun,
    List,
    Diff,
    Json,
    Color,
    // The undo journal
    Undo,
    History,
    JournalLimit,
    NoJournal,
    // The files a run takes
    FilesFrom,
    NulSeparated,
};

// A flag of the command line's own, beside the run options' flags.
struct CliOnlyRow {
    CliAction action;
    CliFlag flag;
    bool batchFormat = false; // says how the batch file is written
};

std::span<const CliOnlyRow> cliOnlyTable();

// Every flag once, the run options' and the command line's own, in the order --help lists them.
const std::vector<const CliFlag*>& cliFlags();

QString flagName(CliAction action);
QString flagName(OptionId id);

// The command-line names of the file types, as "htm, html, ...".
QString fileTypeNames();

// The flags' lines of --help.
QString flagsHelp();

} // namespace zuk

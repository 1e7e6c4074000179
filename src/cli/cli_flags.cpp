// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_flags.h"

#include "engine/files/file_types.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace zuk {

namespace {

using A = CliAction;

// Switches and valued flags a roll back takes too, or refuses.
constexpr CliFlag either(const char* name, char shortName, const char* valueName, const char* help,
                         int place) {
    return {name, shortName, valueName, help, place, false, true};
}

// clang-format off
const std::array kCliOnly = {
    CliOnlyRow{A::SearchFile, {.name = "search-file", .valueName = "FILE",
        .help = "the text to find, the file's whole content", .helpPlace = 2, .notWithBatch = true}},
    CliOnlyRow{A::ReplaceFile, {.name = "replace-file", .valueName = "FILE",
        .help = "the replacement, the file's whole content", .helpPlace = 4, .notWithBatch = true}},
    CliOnlyRow{A::Yes, either("yes", 'y', nullptr, "don't ask for confirmation", 17)},
    CliOnlyRow{A::Threads, either("threads", 0, "N", "work on N threads, 1 for a single one (default: one per\n"
                                                     "core, 2 to 4)", 18)},
    CliOnlyRow{A::RollBack, {.name = "rollback", .valueName = "PATH",
        .help = "restore every NAME_BU backup in PATH's directory", .helpPlace = 19,
        .forRollBack = true, .notWithBatch = true}},
    CliOnlyRow{A::Batch, either("batch", 0, "FILE", "one run per entry of the batch file, in file order, each\n"
                                                    "with the other options (text mode: each entry on the\n"
                                                    "text the ones before it left); on files, each file is\n"
                                                    "read and written once (see below)", 20)},
    CliOnlyRow{A::Delimiter, either("delimiter", 0, "TEXT", "what stands between an entry's two texts (default: |)", 21),
               true},
    CliOnlyRow{A::Quoted, either("quoted", 0, nullptr, "the entries' texts stand in double quotes, line breaks\n"
                                                       "and all", 22),
               true},
    CliOnlyRow{A::BatchTest, either("batch-test", 0, "FILE", "list the entries as the batch window's Test shows them", 23)},
    CliOnlyRow{A::Help, either("help", 'h', nullptr, "this text", 24)},
    CliOnlyRow{A::Version, either("version", 0, nullptr, "the version and the licence", 25)},
    // See before changing.
    CliOnlyRow{A::DryRun, {.name = "dry-run", .help = "do everything but write: no file, backup or log is\n"
                                                      "written, nothing is asked; the counters are the run's", .helpPlace = 26}},
    CliOnlyRow{A::List, {.name = "list", .help = "print each find as PATH:LINE:COLUMN:TEXT", .helpPlace = 27}},
    CliOnlyRow{A::Diff, {.name = "diff", .help = "print a unified diff of each file's change (for\n"
                                                 "patch -p1 in the current directory)", .helpPlace = 28}},
    CliOnlyRow{A::Json, {.name = "json", .help = "print JSON Lines: each find, each file, each failure,\n"
                                                 "then a summary (see below)", .helpPlace = 29}},
    CliOnlyRow{A::Color, {.name = "color", .valueName = "auto|always|never",
        .help = "colour the diff (default: auto, on a terminal)", .helpPlace = 30}},
    // The undo journal
    CliOnlyRow{A::Undo, {.name = "undo", .help = "take back the newest run not yet undone, or run ID\n"
                                                 "given after it (see --history)", .helpPlace = 31}},
    CliOnlyRow{A::History, {.name = "history", .help = "list the runs the undo journal keeps, newest first",
                            .helpPlace = 32}},
    CliOnlyRow{A::JournalLimit, {.name = "journal-limit", .valueName = "RUNS[,SIZE]",
        .help = "keep the newest RUNS runs (default: 20) and at most\n"
                "SIZE bytes of copies (K, M, G; default: 1G)", .helpPlace = 33}},
    CliOnlyRow{A::NoJournal, {.name = "no-journal", .help = "keep no undo journal of this run", .helpPlace = 34}},
    // The files a run takes
    CliOnlyRow{A::FilesFrom, {.name = "files-from", .valueName = "FILE",
        .help = "take each file FILE names, one a line (- for standard\n"
                "input), in place of PATH; implies --mode file", .helpPlace = 5}},
    CliOnlyRow{A::NulSeparated, {.name = "null", .shortName = '0',
        .help = "the names of --files-from each end with a NUL", .helpPlace = 5}},
};
// clang-format on

std::vector<const CliFlag*> collectFlags() {
    std::vector<const CliFlag*> flags;
    const auto add = [&flags](const CliFlag& flag) {
        const bool known = std::any_of(flags.begin(), flags.end(), [&](const CliFlag* f) {
            return qstrcmp(f->name, flag.name) == 0;
        });
        if (flag.name && !known)
            flags.push_back(&flag);
    };
    for (const RunOptionRow& row : runOptionTable())
        add(row.flag);
    for (const CliOnlyRow& row : kCliOnly)
        add(row.flag);
    std::stable_sort(flags.begin(), flags.end(), [](const CliFlag* a, const CliFlag* b) {
        return a->helpPlace < b->helpPlace;
    });
    return flags;
}

// The column where the descriptions start.
constexpr int kHelpColumn = 26;

} // namespace

std::span<const CliOnlyRow> cliOnlyTable() {
    return kCliOnly;
}

const std::vector<const CliFlag*>& cliFlags() {
    static const std::vector<const CliFlag*> flags = collectFlags();
    return flags;
}

QString flagName(CliAction action) {
    for (const CliOnlyRow& row : kCliOnly) {
        if (row.action == action)
            return QString::fromLatin1(row.flag.name);
    }
    return {};
}

QString flagName(OptionId id) {
    return QString::fromLatin1(runOption(id).flag.name);
}

QString fileTypeNames() {
    QStringList names;
    for (const FileType& type : kFileTypes)
        names.append(QString::fromLatin1(type.cliName));
    return names.join(QStringLiteral(", "));
}

QString flagsHelp() {
    QString text;
    const QString indent(kHelpColumn, u' ');
    for (const CliFlag* flag : cliFlags()) {
        QString names = flag->shortName
                            ? QStringLiteral("  -%1, ").arg(QChar::fromLatin1(flag->shortName))
                            : QStringLiteral("      ");
        names += QStringLiteral("--") + QString::fromLatin1(flag->name);
        if (flag->valueName)
            names += u' ' + QString::fromLatin1(flag->valueName);
        // A name too long for its column puts the description on the lines below.
        text +=
            names.size() < kHelpColumn ? names.leftJustified(kHelpColumn) : names + u'\n' + indent;
        text += QString::fromLatin1(flag->help).replace(u'\n', u'\n' + indent) + u'\n';
    }
    return text;
}

} // namespace zuk

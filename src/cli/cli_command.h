// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/batch_file.h"
#include "cli/cli_report.h"
#include "engine/error.h"
#include "engine/journal/journal_folder.h"
#include "engine/run/run_options.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace zuk {

// The most threads --threads takes.
inline constexpr int kMaxThreads = 64;

// What the process returns to its caller.
namespace ExitStatus {
inline constexpr int Completed = 0; // also when nothing was found
inline constexpr int Refused = 1;   // a check failed, or the confirmation was declined
inline constexpr int BadUsage = 2;
inline constexpr int Failed = 3;      // ended by an error
inline constexpr int FilesFailed = 4; // done, but one or more files failed on their own
inline constexpr int Cancelled = 130;
} // namespace ExitStatus

// One invocation of the command-line front end, as its arguments describe it.
struct CliCommand {
    enum class Kind { Run, RollBack, Batch, BatchTest, Help, Version, Undo, History };

    Kind kind = Kind::Run;
    // The run's settings (and for a roll back its path, sub-directories and log switches).
    // The texts are still empty when they come from files.
    RunOptionValues values;
    // Several PATHs, or the files --files-from lists (read by loadFileList), in place of the
    // values' path; nothing for one PATH.
    std::optional<QStringList> paths;
    QString filesFrom; // "-" for standard input
    bool nulSeparated = false;
    QString searchFile; // --search-file, read by loadTexts
    QString replaceFile;
    QString batchPath; // --batch or --batch-test
    BatchFormat batchFormat{QStringLiteral("|"), false};
    bool assumeYes = false;
    // --threads: how many threads a run may use, 1 for the run's own alone; 0 lets the cores
    // decide.
    int threads = 0;
    bool dryRun = false;                  // nothing written, nothing asked
    ReportKind report = ReportKind::None; // what standard output shows of the finds
    enum class Colour { Auto, Always, Never } colour = Colour::Auto;
    // The undo journal: the run --undo takes back (0: the newest not undone), the limits
    // --journal-limit gives (each one not given: the settings file's), and --no-journal.
    qint64 undoId = 0;
    std::optional<int> journalRuns;
    std::optional<qint64> journalBytes;
    bool noJournal = false;
    QStringList warnings; // about options that won't do what they say, shown before the run

    // The journal's limits: those given on the command line over `saved`.
    JournalLimits journalLimits(JournalLimits saved) const {
        return {journalRuns.value_or(saved.maxRuns), journalBytes.value_or(saved.maxCopiedBytes)};
    }
};

// Parses the arguments (the program name first). A relative path is made absolute against
// `currentDirectory`, so the log names every file in full. Failures are bad usage.
Result<CliCommand> parseCommandLine(const QStringList& arguments, const QString& currentDirectory);

// `path` made absolute against `currentDirectory` (a trailing separator kept); an empty path
// stays empty.
QString absolutePath(const QString& path, const QString& currentDirectory);

// Reads the texts given as files into the command: every byte counts, line breaks included.
Status loadTexts(CliCommand& command);

// Reads the names --files-from gives into the command's paths, a relative one against
// `currentDirectory`. A list that can't be read, or holds a name longer than any path, is bad
// usage: nothing has been done yet.
Status loadFileList(CliCommand& command, const QString& currentDirectory);

// Decodes a whole file the way a run reads one, without losing a byte.
Result<QString> readTextFile(const QString& path);

QString usageText();
QString versionText();

} // namespace zuk

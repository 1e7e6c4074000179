// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of --help and --version.
#include "cli/cli_command.h"
#include "cli/cli_flags.h"

#include "engine/files/file_types.h"

namespace zuk {

namespace {

QString countWord(std::size_t count) {
    static const char* const words[] = {"no",    "one",   "two",  "three", "four",   "five",  "six",
                                        "seven", "eight", "nine", "ten",   "eleven", "twelve"};
    return count < std::size(words) ? QString::fromLatin1(words[count]) : QString::number(count);
}

} // namespace

QString versionText() {
    return QStringLiteral("zuk-cli " ZUK_VERSION "\nLicence: " ZUK_LICENCE "\n");
}

QString usageText() {
    const QString text = QStringLiteral(
        "Usage: zuk-cli [OPTIONS] --search TEXT [--replace TEXT] [PATH...]\n"
        "       zuk-cli [OPTIONS] --search TEXT [--replace TEXT] --files-from FILE [-0]\n"
        "       zuk-cli [OPTIONS] --batch FILE [--delimiter TEXT] [--quoted] [PATH...]\n"
        "       zuk-cli --batch-test FILE [--delimiter TEXT] [--quoted]\n"
        "       zuk-cli --rollback PATH [--subdirs] [--log] [--yes]\n"
        "       zuk-cli --undo [ID] [--yes]\n"
        "       zuk-cli --history\n"
        "\n"
        "Finds and replaces text (literal, or a regular expression with --regex) in text and\n"
        "web source files.\n"
        "\n"
        "%1"
        "\n"
        "The counters go to standard output (in text mode to standard error), messages to\n"
        "standard error. A file that fails (not text, changed on disk, not writable, out of\n"
        "memory) is named there and the run goes on; so is a folder that can't be read, which\n"
        "is passed over with what is below it. In text mode the input always goes out:\n"
        "unchanged when the run was refused or the text failed. Ctrl+C cancels: the file\n"
        "being worked on is finished with the finds made so far, and the run still closes\n"
        "its log.\n"
        "Several PATHs are one run: one confirmation, one log run, the counters summed; a\n"
        "file reached twice is edited once. --files-from takes the names of a list as bytes\n"
        "(from git ls-files -z or rg -l0 with -0), each as a file of --mode file; a missing\n"
        "one is named and the run goes on.\n"
        "A batch asks once for all its entries. At its end Items Searched is the last run's,\n"
        "the other two counters are summed over the entries. On files (without --dry-run or\n"
        "a report) it is one pass: each file read once, every entry applied in turn, written\n"
        "once, with each entry's counters, messages and log as its own run gives them;\n"
        "NAME_BU holds the file before the batch, --undo takes the whole batch back, and\n"
        "Ctrl+C stops it between two files (a file has every entry or none). Otherwise Ctrl+C\n"
        "stops it after the entry in progress. With --search-only it prints a line per entry\n"
        "before the totals:  Entry N \"SEARCH\": F finds in K files  (or: refused), the search\n"
        "text quoted as in --json.\n"
        "Exit status: 0 done, 1 refused or declined, 2 bad usage, 3 error (a full disk, an\n"
        "I/O error, the log), 4 done but one or more files or folders failed (counted on the\n"
        "last line of standard error), 130 cancelled.\n"
        "\n"
        "--dry-run, --list, --diff and --json work with a replacing or a search-only run and\n"
        "with --batch; the last three print on standard output as the run goes, the counters\n"
        "going to standard error. --list and --json count lines from 1 (a line ends at its\n"
        "LF) and columns from 1, in bytes of the line as stored. --diff names each file\n"
        "relative to the current directory and shows its bytes as stored (a UTF-16 file as\n"
        "\"Binary files ... differ\"). --json prints one object a line:\n"
        "  {\"type\":\"match\",\"path\":P,\"line\":L,\"column\":C,\"offset\":O,\"length\":N,\n"
        "   \"text\":LINE,\"match\":M,\"replacement\":R}   each find; O and N in bytes of the\n"
        "        file as stored, R null in a search-only run\n"
        "  {\"type\":\"file\",\"path\":P,\"finds\":N,\"changed\":B}   after each file with finds\n"
        "  {\"type\":\"error\",\"path\":P,\"message\":M}   a file that failed\n"
        "  {\"type\":\"summary\",\"searched\":S,\"changed\":C,\"replaced\":R,\"failed\":F,\n"
        "   \"cancelled\":B}   last\n"
        "P is a string when the name is UTF-8, otherwise {\"bytes\":\"BASE64\"} of its bytes.\n"
        "In text mode a report takes standard output in the text's place: PATH is\n"
        "\"(standard input)\", in --diff's headers too (apply it with patch FILE), and lines\n"
        "and columns are those of the input's bytes. With --crlf the finds are those of the\n"
        "file as it was: where a later pass found in what an earlier one put, one find spans\n"
        "what both changed, its replacement what they made of it; the file event counts\n"
        "every pass's finds.\n");
    // The flags' descriptions name the file types as %1 (how many) and %2 (which).
    return text.arg(flagsHelp()).arg(countWord(kFileTypes.size()), fileTypeNames());
}

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/run_option_table.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

namespace zuk {

namespace {

using K = OptionKind;
using V = RunOptionValues;
using Id = OptionId;

constexpr CliFlag kMode{"mode", 'm', "dir|file|text",
                        "dir (default): every matching file of the directory PATH\n"
                        "(a file's path means its directory); file: the file PATH;\n"
                        "text: standard input to standard output",
                        5};
constexpr CliFlag kType{"type", 0, "LIST", "a comma list of those types", 8, true};

constexpr CliFlag flag(const char* name, const char* help, int place, bool forRollBack = false) {
    return {name, 0, nullptr, help, place, false, forRollBack};
}

RunOptionRow option(Id id, const char* key, const char* fallback, const char* control,
                    const char* choice, bool V::*field) {
    return {id, K::OptionButton, key, fallback, control, kMode, choice, field};
}
RunOptionRow check(Id id, const char* key, const char* control, CliFlag flag, CheckValue V::*field,
                   const char* fallback = "0") {
    return {id, K::Check, key, fallback, control, flag, nullptr, nullptr, field};
}
RunOptionRow text(Id id, const char* key, const char* fallback, const char* control, CliFlag flag,
                  QString V::*field) {
    return {id, K::Text, key, fallback, control, flag, nullptr, nullptr, nullptr, field};
}

std::vector<RunOptionRow> makeTable() {
    // clang-format off
    std::vector<RunOptionRow> rows = {
        option(Id::OptText, "OptText", "0", "optText", "text", &V::optText),
        option(Id::OptFile, "OptFile", "0", "optFile", "file", &V::optFile),
        option(Id::OptAll, "OptAll", "1", "optAll", "dir", &V::optAll),
        check(Id::SubDirectories, "ChkSub", "chkSub",
              flag("subdirs", "also the sub-directories (and for --rollback)", 6, true), &V::subDirectories),
        check(Id::AllTypes, "AllType", "chkAllType", flag("all-types", "the %1 types %2", 7),
              &V::allTypes, "1"),
    };
    // The file types' keys stand in their own older order.
    std::vector<std::size_t> types(kFileTypes.size());
    for (std::size_t i = 0; i < types.size(); ++i)
        types[i] = i;
    std::sort(types.begin(), types.end(), [](std::size_t a, std::size_t b) {
        return kFileTypes[a].savedPlace < kFileTypes[b].savedPlace;
    });
    for (std::size_t type : types) {
        RunOptionRow row{fileTypeOption(type), K::Check, kFileTypes[type].settingsKey, "0",
                         kFileTypes[type].checkBox, kType, kFileTypes[type].cliName};
        row.fileType = int(type);
        rows.push_back(row);
    }
    rows.insert(rows.end(), {
        check(Id::CustomType, "THS", "chkThis", {}, &V::customType),
        // An empty custom extension comes back as "0".
        text(Id::CustomExtension, "THST", "0", "txtThis",
             {"ext", 0, ".EXT", "a custom extension as well\n"
                                "(without --type and --ext, all %1 types are on)", 9},
             &V::customExtension),
        check(Id::MakeBackups, "BU", "chkBackUp",
              flag("backup", "keep each changed file as NAME_BU", 12), &V::makeBackups),
        check(Id::CaseSensitive, "Case", "chkCase", flag("case", "case-sensitive search", 10),
              &V::caseSensitive),
        check(Id::LogChanges, "LOG", "chkLog", flag("log", "write the activity log", 13, true),
              &V::logChanges),
        check(Id::SearchOnly, "SERONL", "chkSearchOnly",
              flag("search-only", "count, change nothing", 11), &V::searchOnly),
        // The path is the command line's one positional argument.
        text(Id::Path, "Path", "", "txtPath", {}, &V::path),
        text(Id::SearchText, "SStr", "", "txtSearch",
             {.name = "search", .shortName = 's', .valueName = "TEXT", .help = "the text to find",
              .helpPlace = 1, .notWithBatch = true},
             &V::searchText),
        text(Id::ReplaceText, "RStr", "", "txtReplace",
             {.name = "replace", .shortName = 'r', .valueName = "TEXT",
              .help = "the replacement (default: empty)", .helpPlace = 3, .notWithBatch = true},
             &V::replaceText),
        check(Id::DoAllCrlf, "CRLF", "chkDoAllCRLF",
              flag("crlf", "a blank of the search text also matches a line break", 14), &V::doAllCrlf),
        check(Id::KeepSpaceLeft, "SPLT", "chkKeepLeftSpc",
              flag("keep-left", "... keeping the blank before the line break", 15), &V::keepSpaceLeft),
        check(Id::KeepSpaceRight, "SPRT", "chkKeepRightSpc",
              flag("keep-right", "... keeping the blank after the line break", 16), &V::keepSpaceRight),
        // How the search text is read: menu items of the window
        check(Id::Regex, "REGEX", "mnuRegex",
              flag("regex", "the search text is a regular expression; $1, ${name}\n"
                            "and $$ in the replacement put in its groups", 16), &V::regex),
        check(Id::WholeWords, "WORD", "mnuWholeWords",
              flag("word", "a find counts only as a whole word", 16), &V::wholeWords),
        check(Id::PreserveCase, "PRESCASE", "mnuPreserveCase",
              flag("preserve-case", "search without case; each replacement takes its\n"
                                    "find's case (cat/Cat/CAT)", 16), &V::preserveCase),
        // The file selection, kept by the File Filters dialog; the flags repeat, one pattern each.
        text(Id::IncludePatterns, "INCL", "", nullptr,
             {"glob", 0, "PATTERN", "also take the files PATTERN matches below the directory\n"
                                    "(.gitignore's syntax); then only the files named by\n"
                                    "the --glob, --type and --ext flags", 16, true},
             &V::includePatterns),
        text(Id::ExcludePatterns, "EXCL", "", nullptr,
             {"exclude", 0, "PATTERN", "leave out the files and folders PATTERN matches", 16, true},
             &V::excludePatterns),
        check(Id::UseGitIgnore, "GITIGN", nullptr,
              flag("gitignore", "leave out what the tree's .gitignore files exclude", 16),
              &V::useGitIgnore),
        // The undo journal's limits: no control, no flag of their own (--journal-limit); empty
        // for the defaults, 20 runs and 1G.
        text(Id::UndoRuns, "UNDORUNS", "", nullptr, {}, &V::undoRuns),
        text(Id::UndoSize, "UNDOSIZE", "", nullptr, {}, &V::undoSize),
    });
    // clang-format on
    return rows;
}

const std::vector<RunOptionRow>& table() {
    static const std::vector<RunOptionRow> rows = makeTable();
    return rows;
}

// Each option's row, by id; checks that every id has exactly one.
std::array<const RunOptionRow*, kOptionCount> makeIndex() {
    std::array<const RunOptionRow*, kOptionCount> index{};
    for (const RunOptionRow& row : table()) {
        const auto at = std::size_t(row.id);
        if (at >= kOptionCount || index[at])
            throw std::logic_error(std::string("two run options share the id of ") +
                                   row.settingsKey);
        index[at] = &row;
    }
    if (std::count(index.begin(), index.end(), nullptr) != 0)
        throw std::logic_error("a run option has no row");
    return index;
}

} // namespace

CheckValue& RunOptionRow::checkIn(RunOptionValues& values) const {
    return fileType >= 0 ? values.fileTypes[std::size_t(fileType)] : values.*check;
}
CheckValue RunOptionRow::checkIn(const RunOptionValues& values) const {
    if (kind == OptionKind::OptionButton)
        return values.*option ? Checked : Unchecked;
    return fileType >= 0 ? values.fileTypes[std::size_t(fileType)] : values.*check;
}

std::span<const RunOptionRow> runOptionTable() {
    return table();
}

const RunOptionRow& runOption(OptionId id) {
    static const std::array<const RunOptionRow*, kOptionCount> index = makeIndex();
    return *index[std::size_t(id)];
}

const RunOptionRow* runOptionShownBy(const char* control) {
    for (const RunOptionRow& row : table()) {
        if (qstrcmp(control, row.control) == 0)
            return &row;
    }
    return nullptr;
}

FileTypeValues RunOptions::fileTypes() const {
    FileTypeValues values{};
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = check(fileTypeOption(i));
    return values;
}

CheckValue ValueRunOptions::check(OptionId id) const {
    return runOption(id).checkIn(values);
}

QString ValueRunOptions::text(OptionId id) const {
    const RunOptionRow& row = runOption(id);
    return row.text ? values.*row.text : QString();
}

void ValueRunOptions::setCheck(OptionId id, CheckValue value) {
    const RunOptionRow& row = runOption(id);
    if (row.kind == OptionKind::OptionButton)
        values.*row.option = value == Checked;
    else if (row.kind == OptionKind::Check)
        row.checkIn(values) = value;
}

} // namespace zuk

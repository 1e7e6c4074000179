// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/check_value.h"
#include "engine/files/file_types.h"

#include <QString>

#include <cstddef>

namespace zuk {

enum class RunMode { RightBoxText, SelectedFile, AllFiles };

// Every run option; run_option_table.h says what each one is.
enum class OptionId : int {
    OptText,
    OptFile,
    OptAll,
    SubDirectories,
    AllTypes,
    FirstFileType, // one per row of kFileTypes, in its order
    LastFileType = FirstFileType + int(kFileTypes.size()) - 1,
    CustomType,
    CustomExtension,
    MakeBackups,
    CaseSensitive,
    LogChanges,
    SearchOnly,
    Path,
    SearchText,
    ReplaceText,
    DoAllCrlf,
    KeepSpaceLeft,
    KeepSpaceRight,
    // How the search text is read
    Regex,
    WholeWords,
    PreserveCase,
    // The file selection: patterns one a line.
    IncludePatterns,
    ExcludePatterns,
    UseGitIgnore,
    // The undo journal's limits, kept only in the settings file.
    UndoRuns,
    UndoSize,
};
inline constexpr std::size_t kOptionCount = std::size_t(OptionId::UndoSize) + 1;

constexpr OptionId fileTypeOption(std::size_t type) {
    return OptionId(int(OptionId::FirstFileType) + int(type));
}

// The settings of a run, read by id. Never a snapshot: every step reads the field it needs at
// the moment it runs, so a change made during a yield takes effect at the next read.
class RunOptions {
public:
    virtual ~RunOptions() = default;

    // A check box's value; an option button's is Checked when it is selected.
    virtual CheckValue check(OptionId id) const = 0;
    virtual QString text(OptionId id) const = 0;
    // The one kind of field a run writes: backups are turned off for the line-break-tolerant
    // mode.
    virtual void setCheck(OptionId id, CheckValue value) = 0;

    QString searchText() const { return text(OptionId::SearchText); }
    QString replaceText() const { return text(OptionId::ReplaceText); }
    QString path() const { return text(OptionId::Path); }
    bool optText() const { return check(OptionId::OptText) == Checked; }
    bool optFile() const { return check(OptionId::OptFile) == Checked; }
    CheckValue subDirectories() const { return check(OptionId::SubDirectories); }
    CheckValue allTypes() const { return check(OptionId::AllTypes); }
    // The check box of each row of kFileTypes, in its order.
    FileTypeValues fileTypes() const;
    CheckValue customType() const { return check(OptionId::CustomType); }
    QString customExtension() const { return text(OptionId::CustomExtension); }
    CheckValue caseSensitive() const { return check(OptionId::CaseSensitive); }
    CheckValue searchOnly() const { return check(OptionId::SearchOnly); }
    CheckValue makeBackups() const { return check(OptionId::MakeBackups); }
    CheckValue logChanges() const { return check(OptionId::LogChanges); }
    CheckValue doAllCrlf() const { return check(OptionId::DoAllCrlf); }
    CheckValue keepSpaceLeft() const { return check(OptionId::KeepSpaceLeft); }
    CheckValue keepSpaceRight() const { return check(OptionId::KeepSpaceRight); }
    bool regex() const { return check(OptionId::Regex) == Checked; }
    bool wholeWords() const { return check(OptionId::WholeWords) == Checked; }
    bool preserveCase() const { return check(OptionId::PreserveCase) == Checked; }
    void setMakeBackups(CheckValue value) { setCheck(OptionId::MakeBackups, value); }

    // Text mode wins over file mode, which wins over the directory mode; the directory
    // option itself is never tested.
    RunMode mode() const;
};

// Plain values, for the settings file, tests and the command-line front end. A default-made
// value is not the settings' defaults: LoadSettings of no file gives those.
struct RunOptionValues {
    QString searchText;
    QString replaceText;
    QString path;
    bool optText = false;
    bool optFile = false;
    bool optAll = false;
    CheckValue subDirectories = 0;
    CheckValue allTypes = 1;
    FileTypeValues fileTypes{};
    CheckValue customType = 0;
    QString customExtension;
    CheckValue caseSensitive = 0;
    CheckValue searchOnly = 0;
    CheckValue makeBackups = 0;
    CheckValue logChanges = 0;
    CheckValue doAllCrlf = 0;
    CheckValue keepSpaceLeft = 0;
    CheckValue keepSpaceRight = 0;
    CheckValue regex = 0;
    CheckValue wholeWords = 0;
    CheckValue preserveCase = 0;
    QString includePatterns;
    QString excludePatterns;
    CheckValue useGitIgnore = 0;
    QString undoRuns; // a number of runs; empty or unusable: the default
    QString undoSize; // bytes, or with K, M or G

    bool operator==(const RunOptionValues&) const = default;
};

class ValueRunOptions final : public RunOptions {
public:
    ValueRunOptions() = default;
    explicit ValueRunOptions(RunOptionValues values) : values(std::move(values)) {}

    CheckValue check(OptionId id) const override;
    QString text(OptionId id) const override;
    void setCheck(OptionId id, CheckValue value) override;

    // Public so that a test or the front end can change a setting between two reads.
    RunOptionValues values;
};

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/file_types.h"
#include "engine/run/check_value.h"

#include <QString>

namespace zuk {

enum class RunMode { RightBoxText, SelectedFile, AllFiles };

// The settings of a run. Never a snapshot: every step reads the field it needs at the moment
// it runs, so a change made during a yield takes effect at the next read.
class RunOptions {
public:
    virtual ~RunOptions() = default;

    virtual QString searchText() const = 0;
    virtual QString replaceText() const = 0;
    virtual QString path() const = 0;
    virtual bool optText() const = 0;
    virtual bool optFile() const = 0;
    virtual CheckValue subDirectories() const = 0;
    virtual CheckValue allTypes() const = 0;
    // The check box of each row of kFileTypes, in its order.
    virtual FileTypeValues fileTypes() const = 0;
    virtual CheckValue customType() const = 0;
    virtual QString customExtension() const = 0;
    virtual CheckValue caseSensitive() const = 0;
    virtual CheckValue searchOnly() const = 0;
    virtual CheckValue makeBackups() const = 0;
    virtual CheckValue logChanges() const = 0;
    virtual CheckValue doAllCrlf() const = 0;
    virtual CheckValue keepSpaceLeft() const = 0;
    virtual CheckValue keepSpaceRight() const = 0;

    // The one field a run writes: backups are turned off for the line-break-tolerant mode.
    virtual void setMakeBackups(CheckValue value) = 0;

    // Text mode wins over file mode, which wins over the directory mode; the directory
    // option itself is never tested.
    RunMode mode() const;
};

// Plain values, for tests and the command-line front end.
struct RunOptionValues {
    QString searchText;
    QString replaceText;
    QString path;
    bool optText = false;
    bool optFile = false;
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
};

class ValueRunOptions final : public RunOptions {
public:
    ValueRunOptions() = default;
    explicit ValueRunOptions(RunOptionValues values) : values(std::move(values)) {}

    QString searchText() const override { return values.searchText; }
    QString replaceText() const override { return values.replaceText; }
    QString path() const override { return values.path; }
    bool optText() const override { return values.optText; }
    bool optFile() const override { return values.optFile; }
    CheckValue subDirectories() const override { return values.subDirectories; }
    CheckValue allTypes() const override { return values.allTypes; }
    FileTypeValues fileTypes() const override { return values.fileTypes; }
    CheckValue customType() const override { return values.customType; }
    QString customExtension() const override { return values.customExtension; }
    CheckValue caseSensitive() const override { return values.caseSensitive; }
    CheckValue searchOnly() const override { return values.searchOnly; }
    CheckValue makeBackups() const override { return values.makeBackups; }
    CheckValue logChanges() const override { return values.logChanges; }
    CheckValue doAllCrlf() const override { return values.doAllCrlf; }
    CheckValue keepSpaceLeft() const override { return values.keepSpaceLeft; }
    CheckValue keepSpaceRight() const override { return values.keepSpaceRight; }
    void setMakeBackups(CheckValue value) override { values.makeBackups = value; }

    // Public so that a test or the front end can change a setting between two reads.
    RunOptionValues values;
};

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/file_filter.h"
#include "engine/run/run_options.h"

namespace zuk {

// The run's file types: a file is taken when its name, lowered, ends with the extension of a
// chosen type (or of every type with AllTypes), or with the custom extension, trimmed of
// blanks, when CustomType is checked. The options are read at every file, as a run reads
// them; every folder is entered.
class FileTypeFilter final : public FileFilter {
public:
    explicit FileTypeFilter(const RunOptions& options) : m_options(options) {}

    bool takesFile(const QString& folder, const QString& name) const override;
    bool entersFolder(const QString&, const QString&) const override { return true; }

private:
    const RunOptions& m_options;
};

} // namespace zuk

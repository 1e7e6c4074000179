// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/files/file_filter.h"
#include "engine/files/gitignore_filter.h"
#include "engine/files/glob_filter.h"
#include "engine/run/run_options.h"

#include <memory>
#include <optional>

namespace zuk {

// The files a run takes from one walked directory: those of the base filter (the file types),
// and those the include patterns name; less what the exclude patterns and, when asked, the
// tree's ignore files leave out. A folder any of them leaves out is never entered. With no
// pattern and no ignore files the run keeps its base filter alone (make() gives nothing).
class FileSelection final : public FileFilter {
public:
    // Nothing when no selection option is set; an error when a pattern can match nothing.
    static Result<std::unique_ptr<FileSelection>>
    make(const RunOptions& options, const QString& walkedDirectory, const FileFilter& base);

    bool takesFile(const QString& folder, const QString& name) const override;
    bool entersFolder(const QString& folder, const QString& name) const override;

    // The ignore files met so far that could not be read.
    QList<IgnoreFileProblem> problems() const;

private:
    explicit FileSelection(const FileFilter& base) : m_base(base) {}

    const FileFilter& m_base;
    std::optional<GlobFilter> m_include;
    std::optional<GlobFilter> m_exclude;
    std::unique_ptr<GitIgnoreFilter> m_ignore;
};

// The patterns of a text option, one a line, as the system's bytes; blank lines are none.
QList<QByteArray> patternLines(const QString& text);

// What the log's run header says of the selection: a line a pattern, and one for the ignore
// files; none when no selection option is set.
QStringList selectionLines(const RunOptions& options);

// Some selection option is set.
bool selectsFiles(const RunOptions& options);
// The include patterns name files of their own (so a run needs no file type).
bool includeNamesFiles(const RunOptions& options);

} // namespace zuk

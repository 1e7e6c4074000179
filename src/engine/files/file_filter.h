// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace zuk {

// The select seam: which files and folders of a tree a directory run takes. The walk asks
// before it enters a folder (one it may not enter is never listed, nor anything below it), the
// run before it takes a file. Each gets the folder as the walk joined it and the entry's name.
class FileFilter {
public:
    virtual ~FileFilter() = default;
    virtual bool takesFile(const QString& folder, const QString& name) const = 0;
    // Asked on the walk's threads, so it may read nothing that changes during a run.
    virtual bool entersFolder(const QString& folder, const QString& name) const = 0;
};

} // namespace zuk

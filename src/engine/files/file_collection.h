// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/check_value.h"
#include "engine/error.h"
#include "engine/files/file_filter.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace zuk {

// Positions in the DirectoryList are 16-bit: a walk never holds more directories than this.
inline constexpr qsizetype kMaxDirectories = 32767;

// The plain files of one directory, as ListDirectoryFiles gives them.
struct DirectoryFiles {
    QStringList names;
    // Among its hidden entries are names of the writer's temporary files, which a killed
    // writer may have left (see WriteTracker::sweepFolder).
    bool temporaries = false;
};

// The DirectoryList: the start directory exactly as given, then (with sub-directories) every
// directory below it, breadth first, level by level, each level in the platform's listing
// order. Hidden entries (a name starting with "."), anything that is neither a regular file
// nor a directory, and symbolic links are never entered.
struct DirectoryList {
    QStringList directories;
    // The listings of the first directories, when the walk was asked to keep them: files[i]
    // belongs to directories[i]. They are the listing taken as the walk passed.
    QList<DirectoryFiles> files;
    // The directories the walk could not read (no permission, a path too long, gone), by
    // their position in `directories`, with why. Nothing below them is in the list; the walk
    // went on with the rest.
    QHash<qsizetype, Error> unreadable;
    // The tree holds more than kMaxDirectories directories: refused, `directories` is empty
    // and the caller must change nothing.
    bool tooManyDirectories = false;

    // The plain files of directories[index]: the listing the walk kept, why the walk could not
    // read it, or else a listing taken now (ListDirectoryFiles).
    Result<DirectoryFiles> filesOf(qsizetype index) const;

    // The message that refuses a tree that is too big.
    static QString tooManyDirectoriesText(const QString& startDirectory);
};

// What a caller that works while the walk goes on hears of it, and how it ends the walk.
struct WalkWatch {
    // After each level: the list so far, its new directories at the end.
    std::function<void(const DirectoryList& sofar)> levelAdded;
    // Once set, the walk ends soon; its list is then only a beginning.
    const std::atomic<bool>* stop = nullptr;
};

// Builds the DirectoryList below `startDirectory` (a path without a trailing separator).
// With the switch not exactly 1 the list is the start directory alone and nothing on disk is
// touched, not even to see whether it exists. The walk reads every directory anyway, so it can
// keep the plain files' names of its first directories, up to about `fileNamesToKeep` names,
// sparing a second read of each; the rest are listed when the caller reaches them. A wide
// level is read on two threads where there are several cores, unless `threads` is 1 (0 lets
// the cores decide). A folder that `filter` doesn't enter is left out with all below it.
DirectoryList CollectDirectories(const QString& startDirectory, CheckValue subDirectories,
                                 qsizetype fileNamesToKeep = 0, int threads = 0,
                                 const FileFilter* filter = nullptr,
                                 const WalkWatch* watch = nullptr);

// The names of the plain files of one directory, in the platform's listing order: regular
// files and symbolic links to regular files, without hidden ones. The whole listing is taken
// before it is returned, so files the caller then creates or renames are not listed.
Result<DirectoryFiles> ListDirectoryFiles(const QString& directory);

} // namespace zuk

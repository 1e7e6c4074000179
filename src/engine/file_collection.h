#pragma once

#include "engine/check_value.h"
#include "engine/error.h"

#include <QString>
#include <QStringList>

namespace zuk {

// Positions in the DirectoryList are 16-bit: a walk never holds more directories than this.
inline constexpr qsizetype kMaxDirectories = 32767;

// The DirectoryList: the start directory exactly as given, then (with sub-directories) every
// directory below it, breadth first, level by level, each level in the platform's listing
// order. Hidden entries (a name starting with "."), anything that is neither a regular file
// nor a directory, and symbolic links are never entered.
struct DirectoryList {
    QStringList directories;
    // The plain-file names of the first directories, when the walk was asked to keep them:
    // files[i] belongs to directories[i]. They are the listing taken as the walk passed.
    QList<QStringList> files;
    // The failure that ended the walk early; `directories` holds what was found before it.
    Status status;
    // The tree holds more than kMaxDirectories directories: refused, `directories` is empty
    // and the caller must change nothing.
    bool tooManyDirectories = false;

    // The names of the plain files of directories[index]: the ones the walk kept, or else a
    // listing taken now (ListDirectoryFiles).
    Result<QStringList> filesOf(qsizetype index) const;

    // The message that refuses a tree that is too big.
    static QString tooManyDirectoriesText(const QString& startDirectory);
};

// Builds the DirectoryList below `startDirectory` (a path without a trailing separator).
// With the switch not exactly 1 the list is the start directory alone and nothing on disk is
// touched, not even to see whether it exists. The walk reads every directory anyway, so it can
// keep the plain files' names of its first directories, up to about `fileNamesToKeep` names,
// sparing a second read of each; the rest are listed when the caller reaches them.
DirectoryList CollectDirectories(const QString& startDirectory, CheckValue subDirectories,
                                 qsizetype fileNamesToKeep = 0);

// The names of the plain files of one directory, in the platform's listing order: regular
// files and symbolic links to regular files, without hidden ones. The whole listing is taken
// before it is returned, so files the caller then creates or renames are not listed.
Result<QStringList> ListDirectoryFiles(const QString& directory);

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QByteArray>
#include <QList>

namespace zuk {

// Names below a folder open as `dirFd`, none of them followed through a symbolic link: what
// the journal's private folder is reached with.

int openFolderAt(int dirFd, const char* name);
// Makes (0700, with `create`) and opens a folder; with `create` false, a missing one is -1.
// One that is a symbolic link or no folder is refused (75).
Result<int> privateFolderAt(int dirFd, const char* name, bool create);
// The names in the folder, but "." and "..".
QList<QByteArray> namesIn(int dirFd);
Result<QByteArray> readFileAt(int dirFd, const char* name);
// Removes `name` with everything below it.
void removeTreeAt(int dirFd, const QByteArray& name);

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QByteArray>

namespace zuk {

// The temporary file a new text is written to before it is renamed over its target.
struct TemporaryFile {
    int fd = -1;
    QByteArray name; // empty while the file is unnamed
};

// Creates the temporary file in the folder of `target`: unnamed where the file system allows
// it, else a hidden one beside `target`. Either is held under an exclusive lock until it is
// renamed, so that a sweep never takes it.
Result<TemporaryFile> createTemporary(const QByteArray& target);

// Gives the unnamed file open as `fd` a hidden name beside `target`.
Result<QByteArray> nameUnnamed(int fd, const QByteArray& target);
// Gives it `name` in the folder open as `folder`; false with errno set where that is refused.
bool nameUnnamedAt(int fd, int folder, const QByteArray& name);
// Moves the file `name` of the folder open as `folder` to a hidden name beside `target`.
Result<QByteArray> moveBeside(int folder, const QByteArray& name, const QByteArray& target);

// Removes the temporary files a killed writer left in `folder`: only names of ours, and only
// files whose lock is free, so that one another writer is still writing stays.
void sweepStaleTemporaries(const QByteArray& folder);

// Whether a name in a folder is one the writer gives its temporary files: "." NAME ".zuk-" and
// six letters or digits.
bool isTemporaryFileName(const char* name);

// For tests: use hidden named temporary files even where unnamed ones are possible.
void forceNamedTemporaryFiles(bool force);

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QByteArray>
#include <QString>

namespace zuk {

// What a file was when it was read: which file, its size and time (to notice a change on disk
// before overwriting), and its permissions and owner (given to the file written in its place).
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    quint32 mode = 0;
    quint32 uid = 0;
    quint32 gid = 0;
};

struct LoadedBytes {
    QByteArray bytes;
    FileIdentity identity;
};

// Reads a whole file as plain bytes (symbolic links followed). Errors: 53 missing, 70 denied,
// 75 not a regular file or unreadable.
Result<LoadedBytes> readWholeFile(const QString& path);

// The identity of the file at path (symbolic links followed).
Result<FileIdentity> identifyFile(const QString& path);

// Fails when the file at path is no longer the one read as `original` (another file, or a
// changed size or time); 53 when it is gone.
Status checkSameAsRead(const QString& path, const FileIdentity& original);

} // namespace zuk

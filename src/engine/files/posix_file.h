// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/files/file_identity.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/stat.h>
#include <sys/types.h>

namespace zuk {

// What the file modules share below the level of paths as text: names as the system's bytes,
// and what stat says of a file.

QByteArray nativePath(const QString& path);
qint64 mtimeNs(const struct stat& st);
FileIdentity identityOf(const struct stat& st);
bool sameInode(const struct stat& a, const struct stat& b);
// The same file, with the size and time it had when it was read.
bool sameAsRead(const struct stat& st, const FileIdentity& original);
QByteArray folderOf(const QByteArray& path);
QByteArray nameOf(const QByteArray& path);

// Follows symbolic links at the last component until a non-link (or nothing) is reached, so
// the link's destination is written and the link itself stays as it is.
// `last` gets what lstat said of the name returned, when it is there.
Result<QByteArray> resolveLinks(QByteArray path, std::optional<struct stat>& last);

// The permissions a file created with open() would get here.
mode_t defaultFileMode();

// Links that can't be made here, where a copy has to do.
bool linkImpossible(int error);
// A second symbolic link with the destination of `link`.
Status copyLink(const QByteArray& link, const QByteArray& copy);

} // namespace zuk

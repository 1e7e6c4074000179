#pragma once

#include "engine/error.h"

#include <QString>

namespace zuk {

// The backup of a file is the file's full name followed by this, in the same folder.
inline const QString kBackupSuffix = QStringLiteral("_BU");

// Moves the file at `path` aside to path + "_BU", replacing an earlier backup. The caller then
// writes the edited text at `path`, giving it the original's permissions (the identity it
// recorded when it read the file). A symbolic link is moved itself, not its destination.
Status MakeBackup(const QString& path);

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/files/atomic_file.h"

#include <QString>

namespace zuk {

// Makes path + "_BU" the file at `path` as it is now (a hard link, a copy where links are
// impossible), replacing an earlier backup; the file stays under its name. The writer calls it
// right before it renames the edited file over `path` (AtomicFileWriter::open). A symbolic link
// is backed up itself, not its destination.
Status MakeBackup(const QString& path);

} // namespace zuk

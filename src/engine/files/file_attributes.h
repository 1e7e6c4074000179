// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QByteArray>

namespace zuk {

// Copies the extended attributes a new file takes over (the user's own and the access ACL)
// from the file at `from` (links followed) to the file open as `to`. Nothing to do where the
// system has none.
Status copyAttributes(const QByteArray& from, int to);

} // namespace zuk

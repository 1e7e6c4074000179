// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/edit.h"
#include "engine/text/text_codec.h"

#include <QByteArray>
#include <QList>

namespace zuk {

// The unified diff of a one-pass edit of a one-byte or UTF-8 file: headers "--- OLD_NAME" and
// "+++ NEW_NAME" (for a file "a/" and "b/" before its path's bytes), then hunks with `context`
// lines around the lines the finds touch. Lines are the bytes up to and with their LF, CRs kept; a
// last line without one is followed by "\ No newline at end of file". Empty when nothing changes.
QByteArray unifiedDiff(const QByteArray& oldName, const QByteArray& newName, const QByteArray& old,
                       TextEncoding encoding, const QList<Find>& finds, bool colour = false,
                       int context = 3);

// What stands for the diff of a file whose text isn't lines of bytes (UTF-16).
QByteArray binaryDiff(const QByteArray& oldName, const QByteArray& newName);

} // namespace zuk

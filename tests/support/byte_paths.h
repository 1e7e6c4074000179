// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace zuk::test {

// File helpers that take a path as the system's bytes, for names that are not UTF-8.
void writeAt(const QByteArray& path, const QByteArray& bytes);
QByteArray readAt(const QByteArray& path);
bool existsAt(const QByteArray& path); // the name itself (a link need not lead anywhere)
void makeDirectoryAt(const QByteArray& path);
// Writes the file at `relative` below `root`, making the folders on the way as needed.
void writeBelow(const QByteArray& root, const QByteArray& relative, const QByteArray& bytes);
void linkAt(const QByteArray& destination, const QByteArray& link);
// Removes a tree whatever its names (QTemporaryDir can't remove a name that isn't UTF-8).
void removeTreeAt(const QByteArray& path);

} // namespace zuk::test

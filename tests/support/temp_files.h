// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace zuk::test {

// Small file helpers for tests working in a QTemporaryDir.
void writeBytes(const QString& path, const QByteArray& bytes);
QByteArray readBytes(const QString& path);

// Makes folders of the longest names below `parent` until the path of the last one is longer
// than the system takes, and one folder "below" in that one; returns the last one's path.
// Remove it with removeTree: Qt's own removal stops at the system's limit.
QString makePathTooLong(const QString& parent);
// Removes a folder and everything below it, however long its paths.
void removeTree(const QString& path);

} // namespace zuk::test

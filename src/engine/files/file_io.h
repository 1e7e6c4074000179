// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QByteArray>
#include <QString>

namespace zuk {

// The file operations every layer shares, each written once: whole reads and writes of a
// descriptor that survive interruptions by signals, appending, renaming and removing, and the
// name of a file's backup. Paths held as text go through encodePath; the overloads taking
// QByteArray take a path as the system's bytes.

// Writes every byte, retrying after an interruption. 57 when the device takes nothing.
Status writeAll(int fd, const char* data, qsizetype size);
inline Status writeAll(int fd, const QByteArray& bytes) {
    return writeAll(fd, bytes.constData(), bytes.size());
}

// Reads up to `size` bytes, retrying after an interruption; 0 at the end.
Result<qsizetype> readSome(int fd, char* data, qsizetype size);

// Reads until the end. `expected`: the size to start with (one more than a file's size reads
// it in one call and still notices that it grew); without it, 64 KiB.
Result<QByteArray> readAll(int fd, qsizetype expected = 0);

// Appends to the file at path, creating it when missing; 76 when its folder is missing.
Status appendToFile(const QString& path, const QByteArray& bytes);

Status renameFile(const QString& from, const QString& to);
Status renameFile(const QByteArray& from, const QByteArray& to);

// Removes the file (or link) at path; one that is missing already is success. A folder is
// never removed (75).
Status removeFile(const QString& path);

// The backup of a file is the file's full name followed by "_BU", in the same folder.
QString backupPathOf(const QString& path);
QByteArray backupPathOf(const QByteArray& path);
// Whether a file name (without its folder) is a backup's: "_BU" alone names no file.
bool isBackupName(const QString& name);
// The file a backup gives back its name to.
QString backedUpPathOf(const QString& backupPath);

} // namespace zuk

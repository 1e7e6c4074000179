// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace zuk {

// File names are bytes. A path is held as a QString that maps back to exactly the bytes the
// file system gave: valid UTF-8 is decoded as such, and every other byte becomes a lone low
// surrogate U+DC80 + (byte - 0x80), which valid UTF-8 can never hold. So a name that is not
// UTF-8 is never replaced by U+FFFD and written back as some other file's name.

// The bytes to hand to the system for a path held as text.
QByteArray encodePath(const QString& path);

// The text for a path as the system gave it; encodePath gives back exactly these bytes.
QString decodePath(const QByteArray& bytes);

// A path to show or log: bytes that are not UTF-8 as \xNN, control characters and line
// separators escaped (\t, \n, \r, \x1B, \u0085 ...) and a backslash doubled, so a name can't
// split a log line, reach a terminal as an escape sequence or pass for another name.
QString displayPath(const QString& path);

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace zuk {

// The stored value of Key in Section of IniFile, decoded and cut to 1 MiB characters; Default
// when the file, the section or the key is missing, the value is empty or the file can't be
// read. A failure inside the read gives the empty text.
QString ReadIni(const QString& IniFile, const QString& Section, const QString& Key,
                const QString& Default);

// Stores Value under Key in Section of IniFile, creating the file and the section when they
// are missing; the file is rewritten atomically. False when it could not be written.
bool WriteIni(const QString& IniFile, const QString& Section, const QString& Key,
              const QString& Value);

} // namespace zuk

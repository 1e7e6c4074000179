// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ini_file.h"

#include "app/ini_document.h"

#include <exception>

namespace zuk {

QString ReadIni(const QString& IniFile, const QString& Section, const QString& Key,
                const QString& Default) {
    try {
        Result<IniDocument> document = IniDocument::load(IniFile);
        if (!document)
            return Default;
        return document.value().value(Section, Key, Default);
    } catch (const std::exception&) {
        return QString();
    }
}

bool WriteIni(const QString& IniFile, const QString& Section, const QString& Key,
              const QString& Value) {
    try {
        // A file that exists but can't be read is not replaced by one holding only this key.
        Result<IniDocument> document = IniDocument::load(IniFile);
        if (!document)
            return false;
        document.value().setValue(Section, Key, Value);
        return document.value().save(IniFile).ok();
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace zuk

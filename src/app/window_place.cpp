// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_place.h"

#include "app/ini_document.h"

namespace zuk {

namespace {
const QString kKey = QStringLiteral("Place");
} // namespace

std::optional<QRect> loadWindowPlace(const QString& iniPath, const QString& section) {
    const Result<IniDocument> loaded = IniDocument::load(iniPath);
    if (!loaded)
        return std::nullopt;
    const QStringList parts =
        loaded.value().value(section, kKey, QString()).split(u' ', Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return std::nullopt;
    int numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    // A size no window could have is the file's damage, not a place to restore.
    if (numbers[2] < 100 || numbers[3] < 100 || numbers[2] > 20000 || numbers[3] > 20000)
        return std::nullopt;
    return QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
}

Status saveWindowPlace(const QString& iniPath, const QString& section, const QRect& place) {
    Result<IniDocument> loaded = IniDocument::load(iniPath);
    if (!loaded)
        return loaded.error();
    loaded.value().setValue(section, kKey,
                            QStringLiteral("%1 %2 %3 %4")
                                .arg(place.x())
                                .arg(place.y())
                                .arg(place.width())
                                .arg(place.height()));
    return loaded.value().save(iniPath);
}

} // namespace zuk

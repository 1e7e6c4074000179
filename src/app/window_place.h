// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QRect>
#include <QString>

#include <optional>

namespace zuk {

// A window's size and place as the settings file keeps them: "LEFT TOP WIDTH HEIGHT" under the
// key Place of a section of its own, written only once the window was used, so that a settings
// file of someone who never opened it is unchanged. Nothing when missing or unusable.
std::optional<QRect> loadWindowPlace(const QString& iniPath, const QString& section);
Status saveWindowPlace(const QString& iniPath, const QString& section, const QRect& place);

} // namespace zuk

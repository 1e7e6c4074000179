// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>

namespace zuk {

// The application's icon: the installed theme icon named by the application id, else the
// drawn one.
QIcon applicationIcon();

// The icon drawn in code, 32 x 32: a page of text under a magnifying glass, the same picture
// as the installed icon's source data/icons/zukanor.svg.
QPixmap drawnApplicationIcon();

} // namespace zuk

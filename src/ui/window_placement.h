// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace zuk {

// The free area of the screen under `point`; the window's own screen, or the primary one, when
// no screen lies there.
QRect availableAreaAt(const QWidget& window, QPoint point);

// The frame the window system draws around `window`: the one it has drawn, but at least a title
// bar as the style draws one and thin borders, which stand in before it is first shown.
QMargins frameMargins(const QWidget& window);

// The largest size up to `designed` that fits `room`. A side that is cut brings a scroll bar
// `scrollBar` wide across the other side, which grows by that much where there is room.
QSize fittedSize(QSize designed, QSize room, int scrollBar = 0);

// Moves a top-level window's frame to `wanted`, shifted as little as needed to lie on the free
// area of the screen under that point; a window larger than that area keeps the left end of its
// title bar on it.
void placeWindow(QWidget& window, QPoint wanted);

// A fixed border, as the described windows have: a minimize box, no maximize box.
void useFixedBorder(QWidget& window);

// Shows a secondary window, restored if minimised, above the others and active.
void bringForward(QWidget* window);

} // namespace zuk

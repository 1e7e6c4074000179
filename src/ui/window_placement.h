#pragma once

#include <QPoint>

class QWidget;

namespace zuk {

// Moves a top-level window's frame to `wanted`, shifted as little as needed to keep the top
// and left end of its title bar, and a good hold of it, on the available area of the screen
// under that point, so it can always be dragged.
void placeWindow(QWidget& window, QPoint wanted);

// A fixed border, as the described windows have: a minimize box, no maximize box.
void useFixedBorder(QWidget& window);

// Shows a secondary window, restored if minimised, above the others and active.
void bringForward(QWidget* window);

} // namespace zuk

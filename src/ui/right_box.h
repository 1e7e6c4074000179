// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPlainTextEdit>

namespace zuk {

// The right-hand box. A right button press asks for the box's own menu (and moves nothing);
// the toolkit's built-in menu is off.
class RightBox final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit RightBox(QWidget* parent = nullptr);

Q_SIGNALS:
    void rightButtonPressed(const QPoint& globalPosition);
    // The box is about to paint (it is on screen).
    void aboutToPaint();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/right_box.h"

#include <QMouseEvent>

namespace zuk {

RightBox::RightBox(QWidget* parent) : QPlainTextEdit(parent) {
    setContextMenuPolicy(Qt::NoContextMenu);
}

void RightBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        Q_EMIT rightButtonPressed(event->globalPosition().toPoint());
        return;
    }
    QPlainTextEdit::mousePressEvent(event);
}

void RightBox::paintEvent(QPaintEvent* event) {
    Q_EMIT aboutToPaint();
    QPlainTextEdit::paintEvent(event);
}

} // namespace zuk

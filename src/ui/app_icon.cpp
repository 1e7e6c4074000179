// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace zuk {

QIcon applicationIcon() {
    return QIcon::fromTheme(QStringLiteral(ZUK_APP_ID), QIcon(drawnApplicationIcon()));
}

QPixmap drawnApplicationIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    // The page, with a folded corner and a few lines of text.
    QPainterPath page;
    page.moveTo(4, 2);
    page.lineTo(19, 2);
    page.lineTo(25, 8);
    page.lineTo(25, 29);
    page.lineTo(4, 29);
    page.closeSubpath();
    painter.setPen(QPen(QColor(0, 0, 128), 1.2));
    painter.setBrush(Qt::white);
    painter.drawPath(page);
    painter.setBrush(QColor(192, 192, 192));
    painter.drawPolygon(QPolygonF({QPointF(19, 2), QPointF(19, 8), QPointF(25, 8)}));
    painter.setPen(QPen(QColor(128, 128, 128), 1.5));
    for (int y : {11, 15, 19, 23})
        painter.drawLine(QPointF(8, y), QPointF(y == 15 ? 16 : 21, y));
    painter.setPen(QPen(QColor(255, 0, 0), 2));
    painter.drawLine(QPointF(8, 15), QPointF(16, 15));

    // The magnifying glass over the lower right.
    painter.setPen(QPen(QColor(128, 64, 0), 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(24, 24), QPointF(30, 30));
    painter.setPen(QPen(QColor(0, 0, 128), 2.2));
    painter.setBrush(QColor(0, 255, 255, 110));
    painter.drawEllipse(QPointF(18, 18), 6.5, 6.5);
    painter.end();
    return pixmap;
}

} // namespace zuk

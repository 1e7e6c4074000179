// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace zuk {

namespace {

// Borders as thin window managers draw them; thicker ones are measured once drawn.
constexpr int kBorder = 4;

} // namespace

QRect availableAreaAt(const QWidget& window, QPoint point) {
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QMargins frameMargins(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    const int titleBar = window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return {std::max(inner.left() - frame.left(), kBorder),
            std::max(inner.top() - frame.top(), titleBar),
            std::max(frame.right() - inner.right(), kBorder),
            std::max(frame.bottom() - inner.bottom(), kBorder)};
}

QSize fittedSize(QSize designed, QSize room, int scrollBar) {
    QSize size = designed.boundedTo(room);
    if (designed.height() > room.height())
        size.setWidth(std::min(designed.width() + scrollBar, room.width()));
    if (designed.width() > room.width())
        size.setHeight(std::min(designed.height() + scrollBar, room.height()));
    return size.expandedTo(QSize(1, 1));
}

void placeWindow(QWidget& window, QPoint wanted) {
    const QRect available = availableAreaAt(window, wanted);
    if (available.isEmpty()) {
        window.move(wanted);
        return;
    }
    const QMargins frame = frameMargins(window);
    const int frameWidth = window.width() + frame.left() + frame.right();
    const int frameHeight = window.height() + frame.top() + frame.bottom();
    const int right = std::max(available.left(), available.right() + 1 - frameWidth);
    const int bottom = std::max(available.top(), available.bottom() + 1 - frameHeight);
    window.move(std::clamp(wanted.x(), available.left(), right),
                std::clamp(wanted.y(), available.top(), bottom));
}

void useFixedBorder(QWidget& window) {
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
}

void bringForward(QWidget* window) {
    window->show();
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}

} // namespace zuk

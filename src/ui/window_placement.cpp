#include "ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace zuk {

void placeWindow(QWidget& window, QPoint wanted) {
    const QScreen* screen = QGuiApplication::screenAt(wanted);
    if (!screen)
        screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        window.move(wanted);
        return;
    }
    const QRect available = screen->availableGeometry();
    // Before the window is first shown the frame is not known yet; the style's title bar
    // height stands in for it.
    const int frameWidth = std::max(window.frameGeometry().width(), window.width());
    const int titleBar = std::max(window.geometry().top() - window.frameGeometry().top(),
                                  window.style()->pixelMetric(QStyle::PM_TitleBarHeight));
    // Enough of the title bar to take hold of stays on the screen; the rest may lie beyond.
    const int grip = std::min(frameWidth, 4 * titleBar);
    const int right = std::max(available.left(), available.right() + 1 - grip);
    const int bottom = std::max(available.top(), available.bottom() + 1 - titleBar);
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

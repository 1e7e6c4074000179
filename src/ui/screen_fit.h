// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QSize>

class QScrollArea;
class QWidget;

namespace zuk {

// Keeps every control of a window within reach on any screen, however small or scaled: where
// the window's designed size doesn't fit the free area of its screen, the window takes the room
// there is and its content scrolls; it never lies partly off that area. Where the design fits,
// the window is exactly as designed. Every window of the application sizes and places itself
// through one of these.
class ScreenFit final {
public:
    enum class Sizing {
        // The window's size is fixed: the design, or less with its content scrolling.
        Fixed,
        // The design is the size the window starts at; its own content scrolls (the viewers).
        Resizable,
    };

    // Fixed: makes the window's content a scroll area (a main window's central widget) around
    // the page that the window builds its controls in.
    ScreenFit(QWidget& window, Sizing sizing);
    ScreenFit(const ScreenFit&) = delete;
    ScreenFit& operator=(const ScreenFit&) = delete;

    // Fixed only: the designed client area, and the scroll area that shows it, with scroll bars
    // only when the window is smaller than the page. A control that takes the focus is
    // scrolled into view.
    QWidget* page() const { return m_page; }
    QScrollArea* scrollArea() const { return m_area; }

    // The window's designed size, without the frame; the window takes what fits on its screen
    // where it stands now, and a window already placed stays on that screen.
    void setDesignedSize(QSize size);
    QSize designedSize() const { return m_designed; }
    // Fits the window to the screen at `wanted` and moves its frame there, shifted as little as
    // needed to lie on that screen's free area.
    void place(QPoint wanted);

private:
    void fitAt(QPoint point);

    QWidget& m_window;
    Sizing m_sizing;
    QScrollArea* m_area = nullptr;
    QWidget* m_page = nullptr;
    QSize m_designed;
};

} // namespace zuk

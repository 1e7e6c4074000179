// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/screen_fit.h"

#include "ui/window_placement.h"

#include <QApplication>
#include <QMainWindow>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

namespace zuk {

ScreenFit::ScreenFit(QWidget& window, Sizing sizing) : m_window(window), m_sizing(sizing) {
    if (sizing != Sizing::Fixed)
        return;
    m_area = new QScrollArea;
    m_area->setObjectName(QStringLiteral("scrollArea"));
    m_area->setFrameShape(QFrame::NoFrame);
    // Not a Tab stop of its own: the focus goes from control to control as designed.
    m_area->setFocusPolicy(Qt::NoFocus);
    m_page = new QWidget;
    m_area->setWidget(m_page);
    if (auto* mainWindow = qobject_cast<QMainWindow*>(&window)) {
        mainWindow->setCentralWidget(m_area);
    } else {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_area);
    }
    // Tab, a mnemonic or a command may give the focus to a control scrolled out of sight: it
    // comes into view whole, or a box larger than the view with its caret.
    QObject::connect(qApp, &QApplication::focusChanged, m_area,
                     [area = m_area, page = m_page](QWidget*, QWidget* now) {
                         if (!now || !page->isAncestorOf(now))
                             return;
                         const QRect rect(now->mapTo(page, QPoint(0, 0)), now->size());
                         const QSize view = area->viewport()->size();
                         if (rect.width() > view.width() || rect.height() > view.height()) {
                             area->ensureWidgetVisible(now, 0, 0);
                             return;
                         }
                         // The far edges first: a point shown is one just inside the view.
                         area->ensureVisible(rect.x() + rect.width(), rect.y() + rect.height(), 0,
                                             0);
                         area->ensureVisible(rect.left(), rect.top(), 0, 0);
                     });
}

void ScreenFit::setDesignedSize(QSize size) {
    m_designed = size;
    fitAt(m_window.pos());
    // A window not placed yet is left for the window system to place.
    if (m_window.isVisible() || m_window.testAttribute(Qt::WA_Moved))
        placeWindow(m_window, m_window.pos());
}

void ScreenFit::place(QPoint wanted) {
    fitAt(wanted);
    placeWindow(m_window, wanted);
}

void ScreenFit::fitAt(QPoint point) {
    if (m_designed.isEmpty())
        return;
    const QMargins frame = frameMargins(m_window);
    const QSize room = availableAreaAt(m_window, point).size() -
                       QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    if (m_sizing == Sizing::Resizable) {
        m_window.resize(room.isEmpty() ? m_designed : fittedSize(m_designed, room));
        return;
    }
    const int scrollBar = m_window.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize size = room.isEmpty() ? m_designed : fittedSize(m_designed, room, scrollBar);
    // Bars where the window is smaller than the page, and none elsewhere: a bar shown while
    // the page and the window changed size one after the other would otherwise stay.
    bool across = size.width() < m_designed.width();
    bool down = size.height() < m_designed.height();
    if (down && !across)
        across = size.width() < m_designed.width() + scrollBar;
    if (across && !down)
        down = size.height() < m_designed.height() + scrollBar;
    m_area->setHorizontalScrollBarPolicy(across ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    m_area->setVerticalScrollBarPolicy(down ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    m_window.setFixedSize(size);
}

} // namespace zuk

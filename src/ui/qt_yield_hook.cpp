// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_yield_hook.h"

#include <QCoreApplication>

namespace zuk {

QtYieldHook::QtYieldHook(int intervalMs) : m_intervalMs(intervalMs) {
    m_sinceLast.start();
}

void QtYieldHook::yield() {
    if (m_sinceLast.elapsed() < m_intervalMs)
        return;
    QCoreApplication::processEvents();
    m_sinceLast.restart();
}

} // namespace zuk

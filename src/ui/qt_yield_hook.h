// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/yield_hook.h"

#include <QElapsedTimer>

namespace zuk {

// Lets the event loop handle pending input, but at most once per interval: a run calls this
// once per find, and handling events that often would slow a big run down many times over.
class QtYieldHook final : public YieldHook {
public:
    explicit QtYieldHook(int intervalMs = 15);
    void yield() override;

private:
    QElapsedTimer m_sinceLast;
    int m_intervalMs;
};

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zuk {

// Called wherever a long command yields to the event loop: once per find and once per file
// name. The window's hook handles pending input (a Cancel press, changed options) there.
class YieldHook {
public:
    virtual ~YieldHook() = default;
    virtual void yield() = 0;
};

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/yield_hook.h"

#include <functional>

namespace zuk::test {

// A yield hook that counts its calls and runs a test's action at each, e.g. to press Cancel
// at an exact find.
class FunctionYield : public YieldHook {
public:
    FunctionYield() = default;
    explicit FunctionYield(std::function<void(int)> action) : action(std::move(action)) {}
    void yield() override {
        ++calls;
        if (action)
            action(calls);
    }
    std::function<void(int)> action;
    int calls = 0;
};

} // namespace zuk::test

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace zuk {

// A check box's state: 0 clear, 1 checked, 2 greyed (only ever from a settings file).
// Decisions test for exactly 1 or exactly 0, so 2 satisfies neither.
using CheckValue = qint16;

inline constexpr CheckValue Unchecked = 0;
inline constexpr CheckValue Checked = 1;
inline constexpr CheckValue Greyed = 2;

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace zuk {

// The help text: beside the executable (a build folder, or a portable copy), else in the
// installed data folder ../share/zukanor beside the executable's bin folder. Empty when
// neither exists.
QString findHelpFile(const QString& executableFolder);

} // namespace zuk

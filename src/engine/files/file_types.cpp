// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_types.h"

#include <QString>

namespace zuk {

std::optional<std::size_t> fileTypeNamed(QStringView name) {
    for (std::size_t i = 0; i < kFileTypes.size(); ++i) {
        if (name == QLatin1StringView(kFileTypes[i].cliName))
            return i;
    }
    return std::nullopt;
}

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/all_of_filter.h"

#include <algorithm>

namespace zuk {

bool AllOfFilter::takesFile(const QString& folder, const QString& name) const {
    return std::all_of(m_filters.begin(), m_filters.end(),
                       [&](const FileFilter* f) { return f->takesFile(folder, name); });
}

bool AllOfFilter::entersFolder(const QString& folder, const QString& name) const {
    return std::all_of(m_filters.begin(), m_filters.end(),
                       [&](const FileFilter* f) { return f->entersFolder(folder, name); });
}

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/file_filter.h"

#include <QList>

namespace zuk {

// Filters together: a file or folder is taken when every one of them takes it.
class AllOfFilter final : public FileFilter {
public:
    explicit AllOfFilter(QList<const FileFilter*> filters) : m_filters(std::move(filters)) {}

    bool takesFile(const QString& folder, const QString& name) const override;
    bool entersFolder(const QString& folder, const QString& name) const override;

private:
    QList<const FileFilter*> m_filters;
};

} // namespace zuk

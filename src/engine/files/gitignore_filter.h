// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/file_filter.h"
#include "engine/files/ignore_rules.h"

#include <QHash>
#include <QList>
#include <QString>

#include <shared_mutex>

namespace zuk {

// The ignore rules of one walked directory, asked in the walk's terms: a folder as the walk
// joined it and the name of an entry in it (text that maps back to the system's bytes). The
// rules of a folder are made the first time something in it is asked about, and kept; a
// folder outside the walked directory is none of this filter's business (everything taken).
// The walk's threads may ask at the same time.
class GitIgnoreFilter final : public FileFilter {
public:
    explicit GitIgnoreFilter(const QString& walkedDirectory);

    bool takesFile(const QString& folder, const QString& name) const override;
    bool entersFolder(const QString& folder, const QString& name) const override;

    // The ignore files met so far that could not be read, in the order they were met.
    QList<IgnoreFileProblem> problems() const;

private:
    IgnoreRules::Ptr rulesOf(const QString& folder) const;

    QString m_walked;
    mutable std::shared_mutex m_lock;
    mutable QHash<QString, IgnoreRules::Ptr> m_rules;
    mutable QList<IgnoreFileProblem> m_problems;
};

} // namespace zuk

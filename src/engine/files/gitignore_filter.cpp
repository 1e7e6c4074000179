// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/gitignore_filter.h"

#include "engine/files/path_bytes.h"

#include <mutex>

namespace zuk {

GitIgnoreFilter::GitIgnoreFilter(const QString& walkedDirectory) : m_walked(walkedDirectory) {}

bool GitIgnoreFilter::takesFile(const QString& folder, const QString& name) const {
    const IgnoreRules::Ptr rules = rulesOf(folder);
    return !rules || !rules->excludesFile(encodePath(name));
}

bool GitIgnoreFilter::entersFolder(const QString& folder, const QString& name) const {
    const IgnoreRules::Ptr rules = rulesOf(folder);
    return !rules || !rules->excludesFolder(encodePath(name));
}

QList<IgnoreFileProblem> GitIgnoreFilter::problems() const {
    std::shared_lock lock(m_lock);
    return m_problems;
}

IgnoreRules::Ptr GitIgnoreFilter::rulesOf(const QString& folder) const {
    {
        std::shared_lock lock(m_lock);
        if (const auto found = m_rules.constFind(folder); found != m_rules.cend())
            return *found;
    }
    // Made without the lock, since it reads files: another thread may make the same, and the
    // first kept is the one used.
    IgnoreRules::Ptr rules;
    if (folder == m_walked) {
        rules = IgnoreRules::forDirectory(encodePath(folder));
    } else {
        const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
        if (slash < m_walked.size() || !folder.startsWith(m_walked) ||
            folder[m_walked.size()] != QLatin1Char('/'))
            return nullptr;
        const IgnoreRules::Ptr above = rulesOf(folder.first(slash));
        if (!above)
            return nullptr;
        rules = above->enter(encodePath(folder.sliced(slash + 1)));
    }
    std::unique_lock lock(m_lock);
    if (const auto found = m_rules.constFind(folder); found != m_rules.cend())
        return *found;
    m_rules.insert(folder, rules);
    m_problems += rules->problems();
    return rules;
}

} // namespace zuk

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/glob_filter.h"

#include "engine/files/path_bytes.h"

namespace zuk {

namespace {

// The patterns of an include filter that decide about a folder.
bool decidesFolders(const GlobPattern& pattern) {
    return pattern.negated() || pattern.directoryOnly();
}

} // namespace

GlobFilter::GlobFilter(Kind kind, const QString& walkedDirectory)
    : m_kind(kind), m_walked(walkedDirectory) {}

Result<GlobFilter> GlobFilter::make(Kind kind, const QString& walkedDirectory,
                                    const QList<QByteArray>& patterns) {
    GlobFilter filter(kind, walkedDirectory);
    for (const QByteArray& text : patterns) {
        Result<std::optional<GlobPattern>> parsed =
            GlobPattern::parse(text, GlobPattern::Syntax::Argument);
        if (!parsed)
            return parsed.error();
        if (!parsed.value())
            return Error{ErrorNumber::InvalidArgument,
                         QStringLiteral("The pattern \"%1\" names nothing.")
                             .arg(displayPath(decodePath(text)))};
        if (!parsed.value()->negated())
            filter.m_lastPlain = filter.m_patterns.size();
        filter.m_patterns.add(std::move(*parsed.value()));
    }
    return filter;
}

bool GlobFilter::takesFile(const QString& folder, const QString& name) const {
    const std::optional<QByteArray> path = pathBelow(folder, name);
    return !path || takesPath(*path);
}

bool GlobFilter::entersFolder(const QString& folder, const QString& name) const {
    const std::optional<QByteArray> path = pathBelow(folder, name);
    return !path || entersPath(*path);
}

bool GlobFilter::takesPath(QByteArrayView path) const {
    if (m_kind == Kind::Exclude)
        return !m_patterns.excludes(GlobPath(path), false);
    qsizetype last = m_patterns.lastMatch(GlobPath(path), false);
    // Only patterns after the last found so far can change the answer.
    for (qsizetype slash = path.lastIndexOf('/'); slash > 0 && last < m_patterns.size() - 1;
         slash = path.first(slash).lastIndexOf('/'))
        last = std::max(
            last, m_patterns.lastMatch(GlobPath(path.first(slash)), true, last, decidesFolders));
    return last >= 0 ? !m_patterns.at(last).negated() : !namesFiles();
}

bool GlobFilter::entersPath(QByteArrayView path) const {
    if (m_kind == Kind::Exclude)
        return !m_patterns.excludes(GlobPath(path), true);
    const qsizetype last = m_patterns.lastMatch(GlobPath(path), true, -1, decidesFolders);
    return last < 0 || !m_patterns.at(last).negated() || m_lastPlain > last;
}

std::optional<QByteArray> GlobFilter::pathBelow(const QString& folder, const QString& name) const {
    if (folder == m_walked)
        return encodePath(name);
    if (!folder.startsWith(m_walked) || folder.size() <= m_walked.size() ||
        folder[m_walked.size()] != QLatin1Char('/'))
        return std::nullopt;
    return encodePath(folder.sliced(m_walked.size() + 1) + QLatin1Char('/') + name);
}

} // namespace zuk

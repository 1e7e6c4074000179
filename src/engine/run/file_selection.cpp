// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/file_selection.h"

#include "engine/files/path_bytes.h"

namespace zuk {

QList<QByteArray> patternLines(const QString& text) {
    QList<QByteArray> patterns;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            patterns.append(encodePath(line.toString()));
    }
    return patterns;
}

QStringList selectionLines(const RunOptions& options) {
    QStringList lines;
    for (const auto& [id, caption] :
         {std::pair{OptionId::IncludePatterns, QStringLiteral("====> Include Pattern - ")},
          std::pair{OptionId::ExcludePatterns, QStringLiteral("====> Exclude Pattern - ")}}) {
        for (const QByteArray& pattern : patternLines(options.text(id)))
            lines.append(caption + decodePath(pattern));
    }
    if (options.check(OptionId::UseGitIgnore) == Checked)
        lines.append(QStringLiteral("====> Skip what .gitignore files exclude"));
    return lines;
}

bool selectsFiles(const RunOptions& options) {
    return !patternLines(options.text(OptionId::IncludePatterns)).isEmpty() ||
           !patternLines(options.text(OptionId::ExcludePatterns)).isEmpty() ||
           options.check(OptionId::UseGitIgnore) == Checked;
}

bool includeNamesFiles(const RunOptions& options) {
    const QList<QByteArray> include = patternLines(options.text(OptionId::IncludePatterns));
    if (include.isEmpty())
        return false;
    const Result<GlobFilter> filter = GlobFilter::make(GlobFilter::Kind::Include, {}, include);
    return filter && filter.value().namesFiles();
}

Result<std::unique_ptr<FileSelection>> FileSelection::make(const RunOptions& options,
                                                           const QString& walkedDirectory,
                                                           const FileFilter& base) {
    if (!selectsFiles(options))
        return std::unique_ptr<FileSelection>();
    std::unique_ptr<FileSelection> selection(new FileSelection(base));
    for (const auto& [id, kind, into] :
         {std::tuple{OptionId::IncludePatterns, GlobFilter::Kind::Include,
                     &FileSelection::m_include},
          std::tuple{OptionId::ExcludePatterns, GlobFilter::Kind::Exclude,
                     &FileSelection::m_exclude}}) {
        const QList<QByteArray> patterns = patternLines(options.text(id));
        if (patterns.isEmpty())
            continue;
        Result<GlobFilter> filter = GlobFilter::make(kind, walkedDirectory, patterns);
        if (!filter)
            return filter.error();
        ((*selection).*into).emplace(std::move(filter.value()));
    }
    if (options.check(OptionId::UseGitIgnore) == Checked)
        selection->m_ignore = std::make_unique<GitIgnoreFilter>(walkedDirectory);
    return selection;
}

bool FileSelection::takesFile(const QString& folder, const QString& name) const {
    if ((m_exclude && !m_exclude->takesFile(folder, name)) ||
        (m_ignore && !m_ignore->takesFile(folder, name)))
        return false;
    if (!m_include)
        return m_base.takesFile(folder, name);
    // Patterns that name files widen the file types; "!" patterns alone only narrow them.
    if (m_include->namesFiles())
        return m_base.takesFile(folder, name) || m_include->takesFile(folder, name);
    return m_base.takesFile(folder, name) && m_include->takesFile(folder, name);
}

bool FileSelection::entersFolder(const QString& folder, const QString& name) const {
    return (!m_exclude || m_exclude->entersFolder(folder, name)) &&
           (!m_ignore || m_ignore->entersFolder(folder, name)) &&
           (!m_include || m_include->entersFolder(folder, name)) &&
           m_base.entersFolder(folder, name);
}

QList<IgnoreFileProblem> FileSelection::problems() const {
    return m_ignore ? m_ignore->problems() : QList<IgnoreFileProblem>();
}

} // namespace zuk

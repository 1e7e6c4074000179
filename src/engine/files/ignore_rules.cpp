// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/ignore_rules.h"

#include "engine/files/file_io.h"

#include <QVarLengthArray>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk {

namespace {

// The ignore files of a folder, in the order they are added: the later decides.
constexpr const char* kIgnoreFileNames[] = {".gitignore", ".ignore"};
// An ignore file larger than this is passed over and named (recent git has the same bound).
constexpr qint64 kLargestIgnoreFile = 100 << 20;
// A ".git" file ("gitdir: PATH") or a "commondir" file is a line.
constexpr qint64 kLargestPointerFile = 64 << 10;

QByteArray joined(const QByteArray& folder, QByteArrayView name) {
    QByteArray path = folder;
    if (!path.endsWith('/'))
        path += '/';
    path += name;
    return path;
}

QByteArray parentOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.first(slash);
}

bool exists(const QByteArray& path) {
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

// The contents of a regular file; nothing when there is none by that name (or something else
// than a regular file is there). Inside the tree a symbolic link is not followed, as git does
// for its own files there.
Result<std::optional<QByteArray>> readRegularFile(const QByteArray& path, bool followLinks,
                                                  qint64 largest) {
    const int fd = ::open(path.constData(),
                          O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::optional<QByteArray>();
        return errorFromErrno(errno);
    }
    struct stat st;
    std::optional<Result<QByteArray>> read;
    if (::fstat(fd, &st) != 0)
        read.emplace(errorFromErrno(errno));
    else if (S_ISREG(st.st_mode) && st.st_size > largest)
        read.emplace(pathFileAccessError(QStringLiteral("too large")));
    else if (S_ISREG(st.st_mode))
        read.emplace(readAll(fd, qsizetype(st.st_size) + 1));
    ::close(fd);
    if (!read)
        return std::optional<QByteArray>();
    if (!read->ok())
        return read->error();
    return std::optional<QByteArray>(std::move(*read).value());
}

// The first line of a pointer file, as a path: relative ones are taken from `folder`.
std::optional<QByteArray> pointedPath(const QByteArray& file, const QByteArray& folder,
                                      QByteArrayView prefix) {
    const auto read = readRegularFile(file, true, kLargestPointerFile);
    if (!read || !read.value())
        return std::nullopt;
    QByteArray line = *read.value();
    line.truncate(line.indexOf('\n') < 0 ? line.size() : line.indexOf('\n'));
    if (!line.startsWith(prefix))
        return std::nullopt;
    line = line.sliced(prefix.size()).trimmed();
    if (line.isEmpty())
        return std::nullopt;
    return line.startsWith('/') ? line : joined(folder, line);
}

// The repository's git folder: ".git", or where a worktree's ".git" file ("gitdir: ...")
// leads. The index is there.
QByteArray gitFolderOf(const QByteArray& top) {
    const QByteArray gitFolder = joined(top, ".git");
    return pointedPath(gitFolder, top, "gitdir:").value_or(gitFolder);
}

// The repository's own exclude file: in its git folder, or where that folder's "commondir"
// leads.
QByteArray excludeFileOf(const QByteArray& top) {
    const QByteArray gitFolder = gitFolderOf(top);
    const QByteArray common =
        pointedPath(joined(gitFolder, "commondir"), gitFolder, "").value_or(gitFolder);
    return joined(common, "info/exclude");
}

// The directory with its links resolved, as git sees the folder it works in; as given, made
// absolute, when it can't be resolved.
QByteArray resolvedDirectory(const QByteArray& directory) {
    if (char* real = ::realpath(directory.constData(), nullptr)) {
        QByteArray resolved(real);
        std::free(real);
        return resolved;
    }
    if (directory.startsWith('/'))
        return directory;
    char here[PATH_MAX];
    return ::getcwd(here, sizeof here) ? joined(QByteArray(here), directory) : directory;
}

} // namespace

IgnoreRules::Ptr IgnoreRules::forDirectory(const QByteArray& directory) {
    const QByteArray walked = resolvedDirectory(directory);
    std::optional<QByteArray> top;
    for (QByteArray folder = walked;; folder = parentOf(folder)) {
        if (exists(joined(folder, ".git"))) {
            top = folder;
            break;
        }
        if (folder == "/" || !folder.startsWith('/'))
            break;
    }

    std::shared_ptr<IgnoreRules> rules(new IgnoreRules);
    rules->m_directory = top.value_or(walked);
    if (top) {
        const QByteArray excludeFile = excludeFileOf(*top);
        auto excludes = std::make_shared<PatternSet>();
        const auto read = readRegularFile(excludeFile, true, kLargestIgnoreFile);
        if (!read)
            rules->m_problems.append({excludeFile, read.error()});
        else if (read.value())
            excludes->addIgnoreFile(*read.value());
        rules->m_repositoryExcludes = std::move(excludes);
        // A repository without an index (nothing added yet) tracks nothing.
        const QByteArray indexFile = joined(gitFolderOf(*top), "index");
        auto tracked = std::make_shared<TrackedFiles>();
        const auto index = readRegularFile(indexFile, true, std::numeric_limits<qint64>::max());
        if (!index) {
            rules->m_problems.append({indexFile, index.error()});
        } else if (index.value()) {
            Result<TrackedFiles> parsed = TrackedFiles::parse(*index.value());
            if (parsed)
                *tracked = std::move(parsed.value());
            else
                rules->m_problems.append({indexFile, parsed.error()});
        }
        rules->m_tracked = std::move(tracked);
    }
    rules->readIgnoreFiles();

    // Down from the top to the walked directory, each folder on the way asked as the walk
    // would ask it.
    QList<IgnoreFileProblem> problems;
    // An excluded folder's rules exclude everything in it but the files tracked there.
    for (const QByteArray& name : walked.sliced(rules->m_directory.size()).split('/')) {
        if (name.isEmpty())
            continue;
        problems += rules->m_problems;
        rules = rules->child(name);
    }
    rules->m_problems = problems + rules->m_problems;
    return rules;
}

bool IgnoreRules::excludesFile(QByteArrayView name) const {
    return excludes(name, false) && !(m_tracked && m_tracked->tracks(fromTop(name)));
}

bool IgnoreRules::excludesFolder(QByteArrayView name) const {
    if (name == ".git" || exists(joined(m_directory, name) + "/.git"))
        return true;
    return excludes(name, true) && !(m_tracked && m_tracked->holdsTracked(fromTop(name)));
}

IgnoreRules::Ptr IgnoreRules::enter(QByteArrayView name) const {
    return child(name);
}

std::shared_ptr<IgnoreRules> IgnoreRules::child(QByteArrayView name) const {
    std::shared_ptr<IgnoreRules> rules(new IgnoreRules);
    rules->m_directory = joined(m_directory, name);
    rules->m_fromTop = m_fromTop;
    rules->m_fromTop.append(name).append('/');
    rules->m_tracked = m_tracked;
    // Entered although excluded (it holds tracked files): the rest of it is excluded.
    rules->m_excludesEverything = m_excludesEverything || excludes(name, true);
    if (rules->m_excludesEverything)
        return rules;
    rules->m_above = m_patterns.isEmpty() ? m_above : shared_from_this();
    rules->m_repositoryExcludes = m_repositoryExcludes;
    rules->readIgnoreFiles();
    return rules;
}

void IgnoreRules::readIgnoreFiles() {
    for (const char* name : kIgnoreFileNames) {
        const QByteArray path = joined(m_directory, name);
        const auto read = readRegularFile(path, false, kLargestIgnoreFile);
        if (!read)
            m_problems.append({path, read.error()});
        else if (read.value())
            m_patterns.addIgnoreFile(*read.value());
    }
}

bool IgnoreRules::excludes(QByteArrayView name, bool isDirectory) const {
    if (m_excludesEverything || name == ".git")
        return true;
    // Asked of every entry of the walk: the path is put together without the heap.
    QVarLengthArray<char, 1024> joinedPath(m_fromTop.size() + name.size());
    std::memcpy(joinedPath.data(), m_fromTop.constData(), size_t(m_fromTop.size()));
    std::memcpy(joinedPath.data() + m_fromTop.size(), name.data(), size_t(name.size()));
    const QByteArrayView path(joinedPath.data(), joinedPath.size());
    for (const IgnoreRules* rules = m_patterns.isEmpty() ? m_above.get() : this; rules;
         rules = rules->m_above.get()) {
        const GlobPath below(path.sliced(rules->m_fromTop.size()));
        const qsizetype last = rules->m_patterns.lastMatch(below, isDirectory);
        if (last >= 0)
            return !rules->m_patterns.at(last).negated();
    }
    return m_repositoryExcludes && m_repositoryExcludes->excludes(GlobPath(path), isDirectory);
}

} // namespace zuk

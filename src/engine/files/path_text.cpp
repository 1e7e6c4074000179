// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/path_text.h"

#include "engine/files/path_bytes.h"

#include <cerrno>
#include <sys/stat.h>

namespace zuk {

namespace {

// The errors that mean "nothing by that name".
bool isAbsence(int error) {
    return error == ENOENT || error == ENOTDIR;
}

bool isRoot(const struct stat& st) {
    struct stat root;
    return ::stat("/", &root) == 0 && root.st_dev == st.st_dev && root.st_ino == st.st_ino;
}

// A directory to work on, unless it is the root in some spelling ("//", "/.", "/tmp/..", a link).
PathDirectory directoryUnlessRoot(const QString& directory, const struct stat& st) {
    if (isRoot(st))
        return {PathDirectory::Kind::Root, {}};
    return {PathDirectory::Kind::Directory, directory};
}

} // namespace

PathDirectory directoryOfPathText(const QString& pathText) {
    if (pathText.isEmpty())
        return {};
    struct stat st;
    if (isPathSeparator(pathText.back())) {
        const QString directory = pathText.chopped(1);
        if (directory.isEmpty())
            return {PathDirectory::Kind::Root, {}}; // the separator alone
        if (::stat(encodePath(directory).constData(), &st) != 0) {
            if (isAbsence(errno))
                return {PathDirectory::Kind::Missing, {}};
            // Named exactly: the walk reports what keeps it from being read.
            return {PathDirectory::Kind::Directory, directory};
        }
        if (!S_ISDIR(st.st_mode))
            return {PathDirectory::Kind::Missing, {}}; // no directory of that name
        return directoryUnlessRoot(directory, st);
    }
    // Without a trailing separator the text may name a file, whose folder is meant; so it must
    // exist, or a typo would widen the work to the parent's whole tree.
    if (::stat(encodePath(pathText).constData(), &st) != 0) {
        // A bare name that is nothing here gives no directory at all, as it always did.
        if (!lastSeparator(pathText))
            return {};
        return {PathDirectory::Kind::Missing, {}};
    }
    if (S_ISDIR(st.st_mode))
        return directoryUnlessRoot(pathText, st);
    const std::optional<qsizetype> separator = lastSeparator(pathText);
    if (!separator)
        return {};
    if (*separator == 0)
        return {PathDirectory::Kind::Root, {}}; // a file in the root
    const QString folder = pathText.left(*separator);
    if (::stat(encodePath(folder).constData(), &st) != 0)
        return {};
    return directoryUnlessRoot(folder, st);
}

bool pathIsMissing(const QString& path) {
    struct stat st;
    return ::stat(encodePath(path).constData(), &st) != 0 && isAbsence(errno);
}

QString missingPathText(const QString& pathText) {
    return QStringLiteral("Path not found: \"%1\" does not exist. Nothing was changed; check the "
                          "path.")
        .arg(displayPath(pathText));
}

QString rootPathText(const QString& pathText) {
    return QStringLiteral("Root folder: \"%1\" would work in the root of the file system. Nothing "
                          "was changed; choose a folder below it.")
        .arg(displayPath(pathText));
}

QString pathRefusalText(PathDirectory::Kind kind, const QString& pathText,
                        const QString& noDirectoryText) {
    switch (kind) {
    case PathDirectory::Kind::Missing:
        return missingPathText(pathText);
    case PathDirectory::Kind::Root:
        return rootPathText(pathText);
    case PathDirectory::Kind::Directory:
    case PathDirectory::Kind::NoDirectory:
        break;
    }
    return noDirectoryText;
}

} // namespace zuk

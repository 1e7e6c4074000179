// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QString>

#include <optional>

namespace zuk {

// Paths as the user types them: the platform's separator joins and splits them (on Windows
// "/" is accepted as well).
inline QChar nativeSeparator() {
    return QDir::separator();
}

inline bool isPathSeparator(QChar c) {
#ifdef Q_OS_WIN
    return c == u'\\' || c == u'/';
#else
    return c == u'/';
#endif
}

// The position of the last separator of `path`, if any.
inline std::optional<qsizetype> lastSeparator(const QString& path) {
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (isPathSeparator(path[i]))
            return i;
    }
    return std::nullopt;
}

// The directory a run or a roll back works on, from the text of the path box: a text ending in
// a separator, or naming an existing directory, is that directory; one naming an existing file
// is that file's folder. A path that names nothing is Missing, never its parent; whatever resolves
// to the root (or names a file in it) is Root; a bare name (no separator) that names no
// directory gives NoDirectory.
struct PathDirectory {
    enum class Kind { Directory, NoDirectory, Missing, Root };
    Kind kind = Kind::NoDirectory;
    QString directory; // with Directory: the one to work on, without a trailing separator
};
PathDirectory directoryOfPathText(const QString& pathText);

// True when nothing exists at path (links followed): no such file, or a part of it that is no
// directory.
bool pathIsMissing(const QString& path);

// The refusal of a path that names nothing.
QString missingPathText(const QString& pathText);

// The refusal of a path that leads to the root.
QString rootPathText(const QString& pathText);

// The refusal of the path text `pathText` that gave `kind` (not a Directory); `noDirectoryText`
// is the command's own message for a missing path.
QString pathRefusalText(PathDirectory::Kind kind, const QString& pathText,
                        const QString& noDirectoryText);

} // namespace zuk

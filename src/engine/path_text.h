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
// a separator, or naming an existing directory, is that directory; anything else names a file,
// whose folder it is. Empty when there is none (no separator at all, or the root).
QString directoryOfPathText(const QString& pathText);

} // namespace zuk

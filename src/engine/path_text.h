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

} // namespace zuk

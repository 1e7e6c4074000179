// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSet>

namespace zuk {

// The names of the files a git repository tracks, as its index holds them (index versions 2,
// 3 and 4; names only, nothing else of an entry): paths from the repository's top, "/"
// separated, as bytes. Never changed once read, so a walk's threads may share it.
class TrackedFiles {
public:
    // The index's bytes; an error when they are not an index this reads.
    static Result<TrackedFiles> parse(QByteArrayView bytes);

    // `path` is a tracked file.
    bool tracks(QByteArrayView path) const {
        return m_files.contains(QByteArray::fromRawData(path.data(), path.size()));
    }
    // A tracked file lies somewhere below the folder `path`.
    bool holdsTracked(QByteArrayView path) const {
        return m_folders.contains(QByteArray::fromRawData(path.data(), path.size()));
    }

private:
    void add(const QByteArray& path);

    QSet<QByteArray> m_files;
    QSet<QByteArray> m_folders;
};

} // namespace zuk

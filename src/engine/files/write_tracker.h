// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

namespace zuk {

// Remembers where a command wrote, so that it can end with one sync instead of one per file.
// The first time it notes a folder, it removes the temporary files a killed writer left there
// (those whose lock is free).
class WriteTracker {
public:
    // `device`: the file system of the file, when the caller knows it.
    void note(const QString& writtenPath, std::optional<quint64> device = std::nullopt);
    // Removes the temporary files a killed writer left in `folder` (those whose lock is free),
    // once until the next sync: for a command that works in a folder without writing there.
    void sweepFolder(const QString& folder);
    // Flushes every file system written to (syncfs), once each. Forgets what it noted.
    Status syncAll();
    bool isEmpty() const { return m_paths.isEmpty(); }

private:
    void sweepOnce(const QByteArray& folder);

    QList<quint64> m_devices;
    QList<QString> m_paths;
    QSet<QByteArray> m_sweptFolders;
};

} // namespace zuk

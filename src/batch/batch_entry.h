// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace zuk {

// One search/replace pair of a batch entries file.
struct BatchEntry {
    QString search;
    QString replace;

    bool operator==(const BatchEntry&) const = default;
};

// The two texts of an entry, seen in the entry itself.
struct BatchEntryView {
    QStringView search;
    QStringView replace;
};

// SplitEntry without copying the texts: views into `entry`, valid while it lives.
std::optional<BatchEntryView> splitEntryInPlace(QStringView entry, QStringView delimiter);

// Cuts an entry at the delimiter (matched exactly): the search text before its first
// occurrence, the replace text up to the second one or the end; the rest is ignored and
// nothing is trimmed. Empty when the entry doesn't hold the delimiter, or the delimiter is
// empty (it would cut nothing).
std::optional<BatchEntry> SplitEntry(const QString& entry, const QString& delimiter);

} // namespace zuk

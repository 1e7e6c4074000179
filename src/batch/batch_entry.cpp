// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_entry.h"

namespace zuk {

std::optional<BatchEntryView> splitEntryInPlace(QStringView entry, QStringView delimiter) {
    if (delimiter.isEmpty())
        return std::nullopt;
    const qsizetype first = entry.indexOf(delimiter);
    if (first < 0)
        return std::nullopt;
    const qsizetype from = first + delimiter.size();
    const qsizetype second = entry.indexOf(delimiter, from);
    const qsizetype length = second < 0 ? entry.size() - from : second - from;
    return BatchEntryView{entry.first(first), entry.sliced(from, length)};
}

std::optional<BatchEntry> SplitEntry(const QString& entry, const QString& delimiter) {
    const std::optional<BatchEntryView> split = splitEntryInPlace(entry, delimiter);
    if (!split)
        return std::nullopt;
    return BatchEntry{split->search.toString(), split->replace.toString()};
}

} // namespace zuk

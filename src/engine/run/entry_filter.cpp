// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/entry_filter.h"

namespace zuk {

namespace {

std::vector<LiteralSetEntry> entriesOf(const QStringList& searches, const RunOptions& options) {
    // A replacement that preserves case searches without it.
    const Qt::CaseSensitivity cs = options.caseSensitive() == Checked && !options.preserveCase()
                                       ? Qt::CaseSensitive
                                       : Qt::CaseInsensitive;
    const bool lineBreaks = options.doAllCrlf() != Unchecked;
    std::vector<LiteralSetEntry> entries;
    for (const QString& search : searches)
        entries.push_back({search, cs, lineBreaks, !options.regex()});
    return entries;
}

} // namespace

EntryFilter::EntryFilter(const QStringList& searches, const QStringList& replacements,
                         const RunOptions& options)
    : m_set(entriesOf(searches, options)) {
    // An expression, always maybe present, needs nothing of its replacement (which may insert
    // what it found).
    for (const QString& replacement : replacements)
        m_created.push_back(m_set.createdBy(replacement));
}

std::vector<bool> EntryFilter::present(const TextBuffer& text) const {
    return text.holdsBytes() ? m_set.present(text.bytes())
                             : m_set.present(QStringView(text.text()));
}

void EntryFilter::replaced(qsizetype entry, std::vector<bool>& present) const {
    const std::vector<bool>& created = m_created[size_t(entry)];
    for (size_t i = 0; i < present.size(); ++i)
        present[i] = present[i] || created[i];
}

} // namespace zuk

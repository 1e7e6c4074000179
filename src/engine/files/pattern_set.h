// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/glob_pattern.h"

#include <QByteArrayView>

#include <vector>

namespace zuk {

// Patterns in their order, where the last that matches a path decides about it: one ignore
// file, or the patterns of one option.
class PatternSet {
public:
    void add(GlobPattern pattern);
    // Adds the patterns of an ignore file's text: a pattern a line (a CR ending a line is
    // dropped, and a UTF-8 byte-order mark at the start), comments and blank lines passed over,
    // and so are the patterns that can match nothing.
    void addIgnoreFile(QByteArrayView text);
    bool isEmpty() const { return m_patterns.empty(); }
    qsizetype size() const { return qsizetype(m_patterns.size()); }
    const GlobPattern& at(qsizetype index) const { return m_patterns[size_t(index)]; }

    // The position of the last pattern that matches, -1 when none does. Only the patterns
    // after position `after`, and those `tried` takes when it is given, are tried.
    using Which = bool (*)(const GlobPattern&);
    qsizetype lastMatch(const GlobPath& path, bool isDirectory, qsizetype after = -1,
                        Which tried = nullptr) const;
    // The last pattern that matches is a plain one, not a "!" one.
    bool excludes(const GlobPath& path, bool isDirectory) const;

private:
    std::vector<GlobPattern> m_patterns;
};

} // namespace zuk

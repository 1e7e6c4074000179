// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/pattern_set.h"

namespace zuk {

void PatternSet::addIgnoreFile(QByteArrayView text) {
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    while (!text.isEmpty()) {
        const qsizetype newline = text.indexOf('\n');
        QByteArrayView line = newline < 0 ? text : text.first(newline);
        text = newline < 0 ? QByteArrayView() : text.sliced(newline + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        Result<std::optional<GlobPattern>> parsed =
            GlobPattern::parse(line, GlobPattern::Syntax::IgnoreFile);
        if (parsed && parsed.value())
            add(std::move(*parsed.value()));
    }
}

void PatternSet::add(GlobPattern pattern) {
    m_patterns.push_back(std::move(pattern));
}

qsizetype PatternSet::lastMatch(const GlobPath& path, bool isDirectory, qsizetype after,
                                Which tried) const {
    for (qsizetype i = size() - 1; i > after; --i) {
        const GlobPattern& pattern = m_patterns[size_t(i)];
        if ((!tried || tried(pattern)) && pattern.matches(path, isDirectory))
            return i;
    }
    return -1;
}

bool PatternSet::excludes(const GlobPath& path, bool isDirectory) const {
    const qsizetype last = lastMatch(path, isDirectory);
    return last >= 0 && !at(last).negated();
}

} // namespace zuk

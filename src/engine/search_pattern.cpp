#include "engine/search_pattern.h"

namespace zuk {

namespace {

bool isLineBreakChar(QChar c) {
    return c == u'\r' || c == u'\n';
}

// Length of the line break at `at` (CR LF counts as one), 0 when there is none.
qsizetype lineBreakLength(QStringView text, qsizetype at) {
    if (at >= text.size())
        return 0;
    if (text[at] == u'\r')
        return at + 1 < text.size() && text[at + 1] == u'\n' ? 2 : 1;
    if (text[at] == u'\n')
        return at > 0 && text[at - 1] == u'\r' ? 0 : 1; // the LF of a CR LF is no break of its own
    return 0;
}

} // namespace

SearchPattern::SearchPattern(const QString& searchText) {
    QString segment;
    for (qsizetype i = 0; i < searchText.size(); ++i) {
        const qsizetype breakLength = lineBreakLength(searchText, i);
        if (breakLength > 0) {
            m_segments.append(segment);
            segment.clear();
            i += breakLength - 1;
        } else if (searchText[i] != u'\n') {
            segment.append(searchText[i]);
        }
    }
    m_segments.append(segment);
    m_exact = QStringMatcher(m_segments.front(), Qt::CaseSensitive);
    m_folded = QStringMatcher(m_segments.front(), Qt::CaseInsensitive);
}

qsizetype SearchPattern::findFirstSegment(QStringView subject, qsizetype from,
                                          Qt::CaseSensitivity cs) const {
    const QString& first = m_segments.front();
    if (first.isEmpty()) {
        // The pattern starts with a line break: find the next break of the subject.
        for (qsizetype i = from; i < subject.size(); ++i) {
            if (isLineBreakChar(subject[i]) && lineBreakLength(subject, i) > 0)
                return i;
        }
        return -1;
    }
    if (first.size() == 1)
        return subject.indexOf(first.front(), from, cs);
    return (cs == Qt::CaseSensitive ? m_exact : m_folded).indexIn(subject, from);
}

qsizetype SearchPattern::matchAt(QStringView subject, qsizetype at, Qt::CaseSensitivity cs) const {
    qsizetype pos = at;
    for (qsizetype i = 0; i < m_segments.size(); ++i) {
        if (i > 0) {
            const qsizetype breakLength = lineBreakLength(subject, pos);
            if (breakLength == 0)
                return -1;
            pos += breakLength;
        }
        const QString& segment = m_segments[i];
        if (segment.isEmpty())
            continue;
        if (subject.size() - pos < segment.size() ||
            subject.sliced(pos, segment.size()).compare(segment, cs) != 0)
            return -1;
        pos += segment.size();
    }
    return pos - at;
}

TextMatch SearchPattern::findIn(QStringView subject, qsizetype from, Qt::CaseSensitivity cs) const {
    if (isEmpty() || from < 0)
        return {};
    const bool plain = m_segments.size() == 1;
    while (from <= subject.size()) {
        const qsizetype candidate = findFirstSegment(subject, from, cs);
        if (candidate < 0)
            return {};
        if (plain)
            return {candidate, m_segments.front().size()};
        const qsizetype length = matchAt(subject, candidate, cs);
        if (length >= 0)
            return {candidate, length};
        from = candidate + 1;
    }
    return {};
}

QString withLineBreaks(const QString& text, const QString& lineBreak) {
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString result;
    result.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype breakLength = lineBreakLength(text, i);
        if (breakLength > 0) {
            result.append(lineBreak);
            i += breakLength - 1;
        } else if (text[i] != u'\n') {
            result.append(text[i]);
        }
    }
    return result;
}

} // namespace zuk

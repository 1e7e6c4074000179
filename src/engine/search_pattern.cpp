#include "engine/search_pattern.h"

#include <algorithm>
#include <cstring>

namespace zuk {

namespace {

char16_t unitAt(QStringView text, qsizetype i) {
    return text[i].unicode();
}
char16_t unitAt(QByteArrayView text, qsizetype i) {
    return uchar(text[i]);
}

// Length of the line break at `at` (CR LF counts as one), 0 when there is none.
template <typename View> qsizetype lineBreakLength(View text, qsizetype at) {
    if (at >= text.size())
        return 0;
    if (unitAt(text, at) == u'\r')
        return at + 1 < text.size() && unitAt(text, at + 1) == u'\n' ? 2 : 1;
    if (unitAt(text, at) == u'\n')
        return at > 0 && unitAt(text, at - 1) == u'\r' ? 0 : 1; // the LF of a CR LF is no break
    return 0;
}

template <typename View> qsizetype nextLineBreak(View text, qsizetype from) {
    for (qsizetype i = from; i < text.size(); ++i) {
        const char16_t c = unitAt(text, i);
        if ((c == u'\r' || c == u'\n') && lineBreakLength(text, i) > 0)
            return i;
    }
    return -1;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

bool asciiEqualIgnoringCase(const char* a, const char* b, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

bool segmentEquals(QStringView subject, qsizetype at, const QString& segment,
                   Qt::CaseSensitivity cs) {
    return subject.sliced(at, segment.size()).compare(segment, cs) == 0;
}

bool segmentEquals(QByteArrayView subject, qsizetype at, const QByteArray& segment,
                   Qt::CaseSensitivity cs) {
    const char* here = subject.data() + at;
    return cs == Qt::CaseSensitive
               ? std::memcmp(here, segment.constData(), size_t(segment.size())) == 0
               : asciiEqualIgnoringCase(here, segment.constData(), segment.size());
}

template <typename View, typename Segments>
qsizetype matchSegments(View subject, qsizetype at, const Segments& segments,
                        Qt::CaseSensitivity cs) {
    qsizetype pos = at;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        if (i > 0) {
            const qsizetype breakLength = lineBreakLength(subject, pos);
            if (breakLength == 0)
                return -1;
            pos += breakLength;
        }
        const auto& segment = segments[i];
        if (segment.isEmpty())
            continue;
        if (subject.size() - pos < segment.size() || !segmentEquals(subject, pos, segment, cs))
            return -1;
        pos += segment.size();
    }
    return pos - at;
}

} // namespace

SearchPattern::SearchPattern(const QString& searchText)
    : m_segments(splitAtLineBreaks(searchText)) {
    const QString& first = m_segments.front();
    if (!first.isEmpty()) {
        m_exact = SubstringFinder(first, SubstringFinder::Fold::None);
        m_folded = SubstringFinder(first, SubstringFinder::Fold::Full);
        if (std::any_of(first.begin(), first.end(), [](QChar c) { return c.isSurrogate(); }))
            m_foldedPairs.emplace(first, Qt::CaseInsensitive);
    }

    m_longestMatch = 2 * (m_segments.size() - 1);
    for (const QString& s : std::as_const(m_segments)) {
        m_longestMatch += s.size();
        for (QChar c : s) {
            m_ascii = m_ascii && c.unicode() < 0x80;
            const char16_t lower = QChar::toLower(c.unicode());
            m_foldsFromOutsideAscii = m_foldsFromOutsideAscii || lower == u'k' || lower == u's';
        }
    }
    if (m_ascii) {
        for (const QString& s : std::as_const(m_segments))
            m_byteSegments.append(s.toLatin1());
        if (!first.isEmpty()) {
            m_exactBytes = SubstringFinder(first, SubstringFinder::Fold::None);
            m_foldedBytes = SubstringFinder(first, SubstringFinder::Fold::Ascii);
        }
    }
}

qsizetype SearchPattern::findFirstSegment(QStringView subject, qsizetype from,
                                          Qt::CaseSensitivity cs) const {
    const QString& first = m_segments.front();
    if (first.isEmpty())
        return nextLineBreak(subject, from); // the pattern starts with a line break
    if (cs == Qt::CaseSensitive)
        return m_exact.indexIn(subject, from);
    return m_foldedPairs ? m_foldedPairs->indexIn(subject, from) : m_folded.indexIn(subject, from);
}

qsizetype SearchPattern::findFirstSegment(QByteArrayView subject, qsizetype from,
                                          Qt::CaseSensitivity cs) const {
    const QByteArray& first = m_byteSegments.front();
    if (first.isEmpty())
        return nextLineBreak(subject, from);
    return (cs == Qt::CaseSensitive ? m_exactBytes : m_foldedBytes).indexIn(subject, from);
}

qsizetype SearchPattern::matchAt(QStringView subject, qsizetype at, Qt::CaseSensitivity cs) const {
    return matchSegments(subject, at, m_segments, cs);
}

qsizetype SearchPattern::matchAt(QByteArrayView subject, qsizetype at,
                                 Qt::CaseSensitivity cs) const {
    return matchSegments(subject, at, m_byteSegments, cs);
}

template <typename View>
TextMatch SearchPattern::find(View subject, qsizetype from, Qt::CaseSensitivity cs) const {
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

TextMatch SearchPattern::findIn(QStringView subject, qsizetype from, Qt::CaseSensitivity cs) const {
    return find(subject, from, cs);
}

TextMatch SearchPattern::findInBytes(QByteArrayView subject, qsizetype from,
                                     Qt::CaseSensitivity cs) const {
    Q_ASSERT(m_ascii);
    return find(subject, from, cs);
}

QList<QString> splitAtLineBreaks(const QString& text) {
    QList<QString> pieces;
    QString piece;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype breakLength = lineBreakLength(QStringView(text), i);
        if (breakLength > 0) {
            pieces.append(piece);
            piece.clear();
            i += breakLength - 1;
        } else if (text[i] != u'\n') {
            piece.append(text[i]);
        }
    }
    pieces.append(piece);
    return pieces;
}

QString withLineBreaks(const QString& text, const QString& lineBreak) {
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString result;
    result.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype breakLength = lineBreakLength(QStringView(text), i);
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

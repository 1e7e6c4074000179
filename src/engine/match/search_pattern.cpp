// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/search_pattern.h"

#include <QHashFunctions>

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
        if (c <= u'\r' && (c == u'\r' || c == u'\n') && lineBreakLength(text, i) > 0)
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

// Short segments are compared here: a call per line costs more than the comparison.
bool segmentEquals(QStringView subject, qsizetype at, const QString& segment,
                   Qt::CaseSensitivity cs) {
    const QStringView here = subject.sliced(at, segment.size());
    if (cs == Qt::CaseSensitive)
        return segment.size() > 16 ? here == segment
                                   : std::equal(here.begin(), here.end(), segment.begin());
    // ASCII folds alone, whatever comes before it; the rest is left to Qt.
    for (qsizetype i = 0; i < segment.size(); ++i) {
        const char16_t a = here[i].unicode();
        const char16_t b = segment[i].unicode();
        if (a >= 0x80 || b >= 0x80)
            return here.compare(segment, cs) == 0;
        if (asciiLower(char(a)) != asciiLower(char(b)))
            return false;
    }
    return true;
}

bool segmentEquals(QByteArrayView subject, qsizetype at, const QByteArray& segment,
                   Qt::CaseSensitivity cs) {
    const char* here = subject.data() + at;
    const qsizetype n = segment.size();
    if (cs == Qt::CaseInsensitive)
        return asciiEqualIgnoringCase(here, segment.constData(), n);
    if (n > 16)
        return std::memcmp(here, segment.constData(), size_t(n)) == 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (here[i] != segment[i])
            return false;
    }
    return true;
}

// The length of the match of `segments` at `at`, or -1. A failed check adds the units it looked
// at to `examined`.
template <typename View, typename Segments>
qsizetype matchSegments(View subject, qsizetype at, const Segments& segments,
                        Qt::CaseSensitivity cs, qsizetype& examined) {
    qsizetype pos = at;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        if (i > 0) {
            const qsizetype breakLength = lineBreakLength(subject, pos);
            if (breakLength == 0) {
                examined += pos - at + 1;
                return -1;
            }
            pos += breakLength;
        }
        const auto& segment = segments[i];
        if (segment.isEmpty())
            continue;
        if (subject.size() - pos < segment.size() || !segmentEquals(subject, pos, segment, cs)) {
            examined += pos - at + segment.size() + 1;
            return -1;
        }
        pos += segment.size();
    }
    return pos - at;
}

// A hash of `line` that lines equal under segmentEquals share.
size_t lineKey(QStringView line, Qt::CaseSensitivity cs, std::vector<char32_t>& units,
               size_t seed) {
    units.clear();
    char32_t last = 0;
    for (QChar c : line) {
        const char32_t unit = c.unicode();
        if (cs == Qt::CaseSensitive) {
            units.push_back(unit);
            continue;
        }
        // As QStringView::compare folds: a low surrogate after a high one stands for the pair.
        const bool pair = QChar::isLowSurrogate(unit) && QChar::isHighSurrogate(last);
        units.push_back(QChar::toCaseFolded(
            pair ? QChar::surrogateToUcs4(char16_t(last), char16_t(unit)) : unit));
        last = unit;
    }
    return qHashBits(units.data(), units.size() * sizeof(char32_t), seed);
}

size_t lineKey(QByteArrayView line, Qt::CaseSensitivity cs, std::vector<char32_t>& units,
               size_t seed) {
    units.clear();
    for (char c : line)
        units.push_back(uchar(cs == Qt::CaseSensitive ? c : asciiLower(c)));
    return qHashBits(units.data(), units.size() * sizeof(char32_t), seed);
}

// fallback[i]: the length of the longest proper border of ids[0..i].
std::vector<qsizetype> kmpFallback(const std::vector<qsizetype>& ids) {
    std::vector<qsizetype> fallback(ids.size(), 0);
    qsizetype k = 0;
    for (size_t i = 1; i < ids.size(); ++i) {
        while (k > 0 && ids[i] != ids[size_t(k)])
            k = fallback[size_t(k - 1)];
        if (ids[i] == ids[size_t(k)])
            ++k;
        fallback[i] = k;
    }
    return fallback;
}

} // namespace

SearchPattern::SearchPattern(const QString& searchText)
    : m_segments(splitAtLineBreaks(searchText)) {
    const QString& first = m_segments.front();
    if (!first.isEmpty()) {
        m_exact = SubstringFinder(first, SubstringFinder::Fold::None);
        m_folded = SubstringFinder(first, SubstringFinder::Fold::Full);
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

    if (m_segments.size() < 2)
        return;
    const QString* anchor = &first;
    for (const QString& segment : std::as_const(m_segments)) {
        if (segment.size() >= anchor->size())
            anchor = &segment;
    }
    if (!anchor->isEmpty()) {
        m_hasAnchor = true;
        m_anchorExact = SubstringFinder(*anchor, SubstringFinder::Fold::None);
        m_anchorFolded = SubstringFinder(*anchor, SubstringFinder::Fold::Full);
        if (m_ascii)
            m_anchorFoldedBytes = SubstringFinder(*anchor, SubstringFinder::Fold::Ascii);
    }

    if (m_segments.size() < 3)
        return;
    m_seed = QHashSeed::globalSeed();
    const qsizetype middleEnd = m_segments.size() - 1;
    qsizetype longestMiddle = 0;
    for (qsizetype i = 1; i < middleEnd; ++i)
        longestMiddle = std::max(longestMiddle, m_segments[i].size());
    m_middleLengths.assign(size_t(longestMiddle + 1), false);
    std::vector<char32_t> units;
    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        MiddleLines& middle = m_middle[cs == Qt::CaseSensitive ? 0 : 1];
        for (qsizetype i = 1; i < middleEnd; ++i) {
            const QString& segment = m_segments[i];
            m_middleLengths[size_t(segment.size())] = true;
            const size_t key = lineKey(segment, cs, units, m_seed);
            qsizetype id = i;
            for (auto [it, end] = middle.byKey.equal_range(key); it != end && id == i; ++it) {
                if (QStringView(m_segments[it->second]).compare(segment, cs) == 0)
                    id = it->second;
            }
            if (id == i)
                middle.byKey.emplace(key, i);
            middle.ids.push_back(id);
        }
        middle.fallback = kmpFallback(middle.ids);
    }
}

qsizetype SearchPattern::findFirstSegment(QStringView subject, qsizetype from,
                                          Qt::CaseSensitivity cs) const {
    const QString& first = m_segments.front();
    if (first.isEmpty())
        return nextLineBreak(subject, from); // the pattern starts with a line break
    if (cs == Qt::CaseSensitive)
        return m_exact.indexIn(subject, from);
    return m_folded.indexIn(subject, from);
}

qsizetype SearchPattern::findFirstSegment(QByteArrayView subject, qsizetype from,
                                          Qt::CaseSensitivity cs) const {
    const QByteArray& first = m_byteSegments.front();
    if (first.isEmpty())
        return nextLineBreak(subject, from);
    return (cs == Qt::CaseSensitive ? m_exactBytes : m_foldedBytes).indexIn(subject, from);
}

// The first occurrence of the anchor at or after `from` (-1: none), or `from` when there is no
// anchor to look for.
qsizetype SearchPattern::findAnchor(QStringView subject, qsizetype from,
                                    Qt::CaseSensitivity cs) const {
    if (!m_hasAnchor)
        return from;
    return (cs == Qt::CaseSensitive ? m_anchorExact : m_anchorFolded).indexIn(subject, from);
}

qsizetype SearchPattern::findAnchor(QByteArrayView subject, qsizetype from,
                                    Qt::CaseSensitivity cs) const {
    if (!m_hasAnchor)
        return from;
    return (cs == Qt::CaseSensitive ? m_anchorExact : m_anchorFoldedBytes).indexIn(subject, from);
}

template <typename View>
TextMatch SearchPattern::find(View subject, qsizetype from, Qt::CaseSensitivity cs,
                              Scan scan) const {
    if (isEmpty() || from < 0)
        return {};
    const bool plain = m_segments.size() == 1;
    const auto& segments = segmentsFor(subject);
    // Checking candidates costs as much as the lines after them that look like the search
    // text, which a crafted subject makes quadratic: the search by lines then takes over.
    const qsizetype start = from;
    qsizetype examined = 0;
    while (from <= subject.size()) {
        if (!plain && (scan == Scan::ByLines || examined > 2 * (from - start) + m_longestMatch)) {
            const qsizetype at = findByLines(subject, from, cs);
            return at < 0 ? TextMatch{}
                          : TextMatch{at, matchSegments(subject, at, segments, cs, examined)};
        }
        const qsizetype candidate = findFirstSegment(subject, from, cs);
        if (candidate < 0)
            return {};
        if (plain)
            return {candidate, m_segments.front().size()};
        const qsizetype length = matchSegments(subject, candidate, segments, cs, examined);
        if (length >= 0)
            return {candidate, length};
        from = candidate + 1;
    }
    return {};
}

// A match is a run of whole lines: the first ends with the first segment, the middle ones equal
// the middle segments, the last starts with the last segment. KMP over the middle lines'
// identities finds the runs, each line looked at a bounded number of times.
template <typename View>
qsizetype SearchPattern::findByLines(View subject, qsizetype from, Qt::CaseSensitivity cs) const {
    const auto& segments = segmentsFor(subject);
    const auto& first = segments.front();
    const auto& last = segments.back();
    const MiddleLines& middle = m_middle[cs == Qt::CaseSensitive ? 0 : 1];
    const qsizetype middles = segments.size() - 2;
    const qsizetype n = subject.size();
    // The start and end of the last middles + 1 lines; the first line starts at `from`.
    std::vector<std::pair<qsizetype, qsizetype>> lines(size_t(middles + 1));
    std::vector<char32_t> units;
    qsizetype matched = 0; // middle segments matched by the lines up to this one
    qsizetype slot = 0;
    qsizetype start = from;
    qsizetype end = nextLineBreak(subject, from);
    qsizetype previousStart = from; // of the line before, which may still be a first line
    qsizetype anchor = -1;
    for (bool firstLine = true; end >= 0; firstLine = false) {
        if (matched == 0) {
            // No match started before the line before: one that starts later holds the anchor.
            if (anchor < previousStart && (anchor = findAnchor(subject, previousStart, cs)) < 0)
                return -1;
            if (anchor - m_longestMatch > start) {
                start = previousStart = anchor - m_longestMatch;
                end = nextLineBreak(subject, start);
                firstLine = true;
                if (end < 0)
                    return -1;
            }
        }
        const qsizetype next =
            end + (unitAt(subject, end) == u'\r' && end + 1 < n && unitAt(subject, end + 1) == u'\n'
                       ? 2
                       : 1);
        // After a line break, the next CR or LF is one.
        qsizetype nextEnd = next;
        while (nextEnd < n &&
               (unitAt(subject, nextEnd) > u'\r' ||
                (unitAt(subject, nextEnd) != u'\r' && unitAt(subject, nextEnd) != u'\n')))
            ++nextEnd;
        lines[size_t(slot)] = {start, end};
        slot = slot == middles ? 0 : slot + 1; // now the slot of the line `middles` back
        if (middles > 0 && !firstLine) {
            const qsizetype id =
                middleLineId(subject, start, end, cs, middle.ids[size_t(matched)], units);
            while (matched > 0 && middle.ids[size_t(matched)] != id)
                matched = middle.fallback[size_t(matched - 1)];
            if (middle.ids[size_t(matched)] == id)
                ++matched;
        }
        if (matched == middles) {
            const auto [firstStart, firstEnd] = lines[size_t(slot)];
            const qsizetype at = firstEnd - first.size();
            if (at >= firstStart && nextEnd - next >= last.size() &&
                segmentEquals(subject, next, last, cs) &&
                (first.isEmpty() || (findFirstSegment(subject.first(firstEnd), at, cs) == at &&
                                     segmentEquals(subject, at, first, cs))))
                return at;
            if (middles > 0)
                matched = middle.fallback[size_t(matched - 1)];
        }
        previousStart = start;
        start = next;
        end = nextEnd < n ? nextEnd : -1;
    }
    return -1;
}

// The index of the middle segment that the line [start, end) equals (`expected` tried first),
// or -1.
template <typename View>
qsizetype SearchPattern::middleLineId(View subject, qsizetype start, qsizetype end,
                                      Qt::CaseSensitivity cs, qsizetype expected,
                                      std::vector<char32_t>& units) const {
    const qsizetype length = end - start;
    if (length >= qsizetype(m_middleLengths.size()) || !m_middleLengths[size_t(length)])
        return -1;
    const auto& segments = segmentsFor(subject);
    const auto equals = [&](qsizetype id) {
        return segments[id].size() == length && segmentEquals(subject, start, segments[id], cs);
    };
    if (equals(expected))
        return expected;
    const MiddleLines& middle = m_middle[cs == Qt::CaseSensitive ? 0 : 1];
    const size_t key = lineKey(subject.sliced(start, length), cs, units, m_seed);
    for (auto [it, stop] = middle.byKey.equal_range(key); it != stop; ++it) {
        if (it->second != expected && equals(it->second))
            return it->second;
    }
    return -1;
}

TextMatch SearchPattern::findIn(QStringView subject, qsizetype from, Qt::CaseSensitivity cs,
                                Scan scan) const {
    return find(subject, from, cs, scan);
}

TextMatch SearchPattern::findInBytes(QByteArrayView subject, qsizetype from, Qt::CaseSensitivity cs,
                                     Scan scan) const {
    Q_ASSERT(m_ascii);
    return find(subject, from, cs, scan);
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

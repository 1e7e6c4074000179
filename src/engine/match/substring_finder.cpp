// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/substring_finder.h"

#include <QChar>

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace zuk {

namespace {

char16_t asciiFold(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// The unit at `i` of `text` under Fold::Full: the low surrogate of a pair as the folded
// character (so it never equals a lone surrogate), any other unit on its own.
char32_t fullFold(const char16_t* text, qsizetype i) {
    const char16_t c = text[i];
    if (c < 0x80)
        return asciiFold(c);
    if (QChar::isLowSurrogate(c) && i > 0 && QChar::isHighSurrogate(text[i - 1]))
        return QChar::toCaseFolded(QChar::surrogateToUcs4(text[i - 1], c));
    return QChar::toCaseFolded(c);
}

// How common a unit is in ordinary text, higher for more common: the scan looks for the
// needle's least common unit, so that its candidates are few.
int commonness(char32_t c) {
    static constexpr char kLetters[] = "etaoinshrdlcumwfgypbvkjxqz"; // most common first
    if (c == u' ')
        return 100;
    if (c >= u'a' && c <= u'z')
        return 90 - int(std::strchr(kLetters, char(c)) - kLetters);
    if (c >= u'A' && c <= u'Z')
        return 40 - int(std::strchr(kLetters, char(c + 32)) - kLetters) / 2;
    if (c == u'\n' || c == u'\r' || c == u'\t' || c == u'.' || c == u',' || c == u'<' ||
        c == u'>' || c == u'"' || c == u'=' || c == u'/')
        return 60;
    if (c >= u'0' && c <= u'9')
        return 45;
    return c < 0x80 ? 30 : 10;
}

// The maximal suffix of x under the order (reversed or not), and its period.
qsizetype maximalSuffix(const std::vector<char32_t>& x, bool reversed, qsizetype& period) {
    const qsizetype m = qsizetype(x.size());
    qsizetype ms = -1, j = 0, k = 1, p = 1;
    while (j + k < m) {
        const char32_t a = x[size_t(j + k)];
        const char32_t b = x[size_t(ms + k)];
        if (reversed ? a > b : a < b) {
            j += k;
            k = 1;
            p = j - ms;
        } else if (a == b) {
            if (k != p) {
                ++k;
            } else {
                j += p;
                k = 1;
            }
        } else {
            ms = j;
            j = ms + 1;
            k = p = 1;
        }
    }
    period = p;
    return ms;
}

// One unit of a needle in the byte form: a byte matches when (byte | orMask) == unit, which
// for a lower-case letter under folding takes both of its cases and nothing else.
struct ByteTest {
    unsigned char unit;
    unsigned char orMask;
    bool matches(unsigned char c) const { return (c | orMask) == unit; }
};

// The first j in [first, last] where both units stand at their offsets, or -1. The caller
// guarantees that j + offset stays below n for every j up to last.
struct PairScan {
    qsizetype offset1;
    ByteTest t1;
    qsizetype offset2;
    ByteTest t2;

    qsizetype scalar(const unsigned char* h, qsizetype j, qsizetype last) const {
        for (; j <= last; ++j) {
            if (t1.matches(h[j + offset1]) && t2.matches(h[j + offset2]))
                return j;
        }
        return -1;
    }

#if defined(__x86_64__)
    // Thirty-two positions at a time; a candidate is only a position where both units match.
    __attribute__((target("avx2"))) qsizetype wide(const unsigned char* h, qsizetype n, qsizetype j,
                                                   qsizetype last) const {
        const qsizetype reach = std::max(offset1, offset2) + 32;
        const __m256i unit1 = _mm256_set1_epi8(char(t1.unit));
        const __m256i or1 = _mm256_set1_epi8(char(t1.orMask));
        const __m256i unit2 = _mm256_set1_epi8(char(t2.unit));
        const __m256i or2 = _mm256_set1_epi8(char(t2.orMask));
        for (; j + 31 <= last && j + reach <= n; j += 32) {
            const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + j + offset1));
            const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + j + offset2));
            const __m256i both =
                _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(a, or1), unit1),
                                 _mm256_cmpeq_epi8(_mm256_or_si256(b, or2), unit2));
            if (const unsigned mask = unsigned(_mm256_movemask_epi8(both)); mask != 0)
                return j + __builtin_ctz(mask);
        }
        return scalar(h, j, last);
    }
#endif

    qsizetype find(const unsigned char* h, qsizetype n, qsizetype first, qsizetype last) const {
#if defined(__x86_64__)
        return wide(h, n, first, last);
#else
        (void)n;
        return scalar(h, first, last);
#endif
    }

    // Without AVX2 the scan for one unit (memchr) is the faster one.
    static bool worthwhile() {
#if defined(__x86_64__)
        static const bool avx2 = __builtin_cpu_supports("avx2");
        return avx2;
#else
        return false;
#endif
    }
};

} // namespace

SubstringFinder::SubstringFinder(QStringView needle, Fold fold) : m_fold(fold) {
    m_needle.reserve(size_t(needle.size()));
    for (qsizetype i = 0; i < needle.size(); ++i) {
        const char16_t u = needle.utf16()[i];
        m_needle.push_back(fold == Fold::None    ? u
                           : fold == Fold::Ascii ? asciiFold(u)
                                                 : fullFold(needle.utf16(), i));
    }
    const qsizetype m = size();
    qsizetype p1 = 1, p2 = 1;
    const qsizetype ms1 = maximalSuffix(m_needle, false, p1);
    const qsizetype ms2 = maximalSuffix(m_needle, true, p2);
    m_ell = ms1 > ms2 ? ms1 : ms2;
    m_period = ms1 > ms2 ? p1 : p2;
    m_periodic =
        m_ell + 1 + m_period <= m &&
        std::equal(m_needle.begin(), m_needle.begin() + (m_ell + 1), m_needle.begin() + m_period);
    if (!m_periodic)
        m_period = std::max(m_ell + 1, m - m_ell - 1) + 1;

    // The scan needs a unit that only matches itself: under full folding that is an ASCII
    // non-letter (no other character folds to one, and a surrogate folds to a surrogate or to a
    // character beyond the BMP).
    int best = 1000;
    for (qsizetype i = 0; i < m; ++i) {
        const char32_t u = m_needle[size_t(i)];
        const bool letter = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
        if (fold == Fold::Full && (u >= 0x80 || letter))
            continue;
        if (commonness(u) < best) {
            best = commonness(u);
            m_rare = i;
        }
    }
    if (fold == Fold::Full || m_rare < 0)
        return;
    int second = 1000;
    for (qsizetype i = 0; i < m; ++i) {
        if (i != m_rare && commonness(m_needle[size_t(i)]) < second) {
            second = commonness(m_needle[size_t(i)]);
            m_second = i;
        }
    }
}

template <typename Unit, typename FoldUnit>
qsizetype SubstringFinder::twoWay(const Unit* y, qsizetype n, qsizetype from, FoldUnit fold) const {
    const char32_t* x = m_needle.data();
    const qsizetype m = size();
    const qsizetype ell = m_ell;
    qsizetype j = from;
    if (m_periodic) {
        qsizetype memory = -1;
        while (j <= n - m) {
            qsizetype i = std::max(ell, memory) + 1;
            while (i < m && x[i] == fold(y, i + j))
                ++i;
            if (i >= m) {
                i = ell;
                while (i > memory && x[i] == fold(y, i + j))
                    --i;
                if (i <= memory)
                    return j;
                j += m_period;
                memory = m - m_period - 1;
            } else {
                j += i - ell;
                memory = -1;
            }
        }
    } else {
        while (j <= n - m) {
            qsizetype i = ell + 1;
            while (i < m && x[i] == fold(y, i + j))
                ++i;
            if (i >= m) {
                i = ell;
                while (i >= 0 && x[i] == fold(y, i + j))
                    --i;
                if (i < 0)
                    return j;
                j += m_period;
            } else {
                j += i - ell;
            }
        }
    }
    return -1;
}

template <typename Unit, typename FoldUnit, typename Scan>
qsizetype SubstringFinder::search(const Unit* hay, qsizetype n, qsizetype from, FoldUnit fold,
                                  Scan scan) const {
    const qsizetype m = size();
    if (from < 0 || m == 0 || n - from < m)
        return -1;
    if (m_rare >= 0) {
        const char32_t* x = m_needle.data();
        // The candidates are checked while that costs no more than a few units per unit passed.
        qsizetype work = 0;
        qsizetype j = from;
        while (j <= n - m) {
            const qsizetype at = scan(hay, j + m_rare, n - m + m_rare + 1);
            if (at < 0)
                return -1;
            j = at - m_rare;
            qsizetype i = 0;
            while (i < m && x[i] == fold(hay, j + i))
                ++i;
            if (i == m)
                return j;
            ++j;
            work += i + 1;
            if (work > 4 * (j - from) + 4 * m)
                return twoWay(hay, n, j, fold);
        }
        return -1;
    }
    return twoWay(hay, n, from, fold);
}

qsizetype SubstringFinder::indexIn(QByteArrayView haystack, qsizetype from) const {
    const auto* hay = reinterpret_cast<const unsigned char*>(haystack.data());
    const qsizetype n = haystack.size();
    const unsigned char rare = m_rare >= 0 ? (unsigned char)(m_needle[size_t(m_rare)]) : 0;
    const auto exactByte = [](const unsigned char* h, qsizetype i) { return char32_t(h[i]); };
    const auto foldedByte = [](const unsigned char* h, qsizetype i) {
        return char32_t(asciiFold(h[i]));
    };
    if (m_second >= 0 && PairScan::worthwhile()) {
        const auto test = [this](qsizetype i) {
            const auto u = (unsigned char)(m_needle[size_t(i)]);
            const bool letter = m_fold == Fold::Ascii && u >= 'a' && u <= 'z';
            return ByteTest{u, (unsigned char)(letter ? 0x20 : 0)};
        };
        const PairScan scan{m_rare, test(m_rare), m_second, test(m_second)};
        // Told the range of the rare unit's position, as a scan for it is.
        const auto pair = [&](const unsigned char* h, qsizetype at, qsizetype end) -> qsizetype {
            const qsizetype j = scan.find(h, n, at - m_rare, end - 1 - m_rare);
            return j < 0 ? -1 : j + m_rare;
        };
        if (m_fold == Fold::None)
            return search(hay, n, from, exactByte, pair);
        return search(hay, n, from, foldedByte, pair);
    }
    const auto exact = [rare](const unsigned char* h, qsizetype at, qsizetype end) -> qsizetype {
        const void* p = std::memchr(h + at, rare, size_t(end - at));
        return p ? static_cast<const unsigned char*>(p) - h : -1;
    };
    if (m_fold == Fold::None)
        return search(hay, n, from, exactByte, exact);
    const bool letter = rare >= 'a' && rare <= 'z';
    if (!letter)
        return search(hay, n, from, foldedByte, exact);
    // Both cases of a letter: the nearer one, looked for in stretches that double, so that a
    // scan costs about the distance to what it finds even when the other case never comes.
    const unsigned char upper = rare - 32;
    const auto both = [rare, upper](const unsigned char* h, qsizetype at,
                                    qsizetype end) -> qsizetype {
        for (qsizetype stretch = 64;; stretch *= 2) {
            const qsizetype stop = std::min(end, at + stretch);
            const void* lower = std::memchr(h + at, rare, size_t(stop - at));
            const qsizetype limit = lower ? static_cast<const unsigned char*>(lower) - h : stop;
            if (const void* p = std::memchr(h + at, upper, size_t(limit - at)))
                return static_cast<const unsigned char*>(p) - h;
            if (lower)
                return limit;
            if (stop == end)
                return -1;
            at = stop;
        }
    };
    return search(hay, n, from, foldedByte, both);
}

qsizetype SubstringFinder::indexIn(QStringView haystack, qsizetype from) const {
    const char16_t* hay = haystack.utf16();
    const qsizetype n = haystack.size();
    const QChar rare = m_rare >= 0 ? QChar(char16_t(m_needle[size_t(m_rare)])) : QChar();
    const auto scan = [&](const char16_t*, qsizetype at, qsizetype end) -> qsizetype {
        const qsizetype found = haystack.first(end).indexOf(rare, at);
        return found;
    };
    if (m_fold == Fold::None)
        return search(
            hay, n, from, [](const char16_t* h, qsizetype i) { return char32_t(h[i]); }, scan);
    if (m_fold == Fold::Ascii)
        return search(
            hay, n, from, [](const char16_t* h, qsizetype i) { return char32_t(asciiFold(h[i])); },
            scan);
    return search(hay, n, from, fullFold, scan);
}

} // namespace zuk

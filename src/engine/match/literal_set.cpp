// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/literal_set.h"

#include <algorithm>
#include <bit>

namespace zuk {

namespace {

constexpr quint32 kEnds = 0x80000000u;

// Without case, only these characters outside ASCII fold to ASCII letters.
constexpr char16_t kLongS = 0x017f;
constexpr char16_t kKelvin = 0x212a;

} // namespace

QByteArray anchorOf(const LiteralSetEntry& entry) {
    if (!entry.literal)
        return {};
    const QString& text = entry.searchText;
    qsizetype bestStart = 0;
    qsizetype bestLength = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size()) {
            const char16_t c = text[i].unicode();
            // A line break of the search matches any form of one; outside ASCII the text's
            // encoding decides the bytes.
            if (c < 0x80 && c != u'\r' && c != u'\n' && !(entry.blanksMayBreak && c == u' '))
                continue;
        }
        if (i - start > bestLength) {
            bestStart = start;
            bestLength = i - start;
        }
        start = i + 1;
    }
    QByteArray anchor = QStringView(text)
                            .sliced(bestStart, std::min(bestLength, LiteralSet::kLongestAnchor))
                            .toLatin1();
    return entry.cs == Qt::CaseInsensitive ? anchor.toLower() : anchor;
}

LiteralSet::LiteralSet(const std::vector<LiteralSetEntry>& entries) {
    std::vector<bool> folded;
    for (const LiteralSetEntry& entry : entries) {
        m_anchors.push_back(anchorOf(entry));
        folded.push_back(entry.cs == Qt::CaseInsensitive);
    }
    // Many long anchors would make a table of moves too big for the caches, or for memory:
    // cut shorter (which only takes more texts in), they fit.
    for (qsizetype longest = kLongestAnchor / 2; longest >= 4 && movesFor(folded) > kMostMoves;
         longest /= 2) {
        for (QByteArray& anchor : m_anchors)
            anchor.truncate(longest);
    }

    std::array<std::vector<std::pair<QByteArray, qint32>>, 2> anchors;
    for (size_t e = 0; e < m_anchors.size(); ++e) {
        m_lowered.push_back(m_anchors[e].toLower());
        if (m_anchors[e].isEmpty())
            continue;
        const size_t k = folded[e] ? 1 : 0;
        anchors[k].emplace_back(m_anchors[e], qint32(e));
        ++m_anchored[k];
    }
    for (size_t k = 0; k < 2; ++k) {
        m_automata[k].folded = k == 1;
        if (!anchors[k].empty())
            m_automata[k].build(anchors[k]);
    }
}

qsizetype LiteralSet::movesFor(const std::vector<bool>& folded) const {
    // At most a state per byte of the anchors, and a class per distinct byte (a letter's two
    // cases share one) and two more, in a row of a power of two.
    std::array<qsizetype, 2> states{1, 1};
    std::array<std::array<bool, 256>, 2> bytes{};
    for (size_t e = 0; e < m_anchors.size(); ++e) {
        const size_t k = folded[e] ? 1 : 0;
        states[k] += m_anchors[e].size();
        for (char b : m_anchors[e])
            bytes[k][uchar(b)] = true;
    }
    qsizetype moves = 0;
    for (size_t k = 0; k < 2; ++k) {
        const auto classes = quint32(std::count(bytes[k].begin(), bytes[k].end(), true) + 2);
        moves += states[k] * qsizetype(std::bit_ceil(classes));
    }
    return moves;
}

void LiteralSet::Automaton::build(const std::vector<std::pair<QByteArray, qint32>>& anchors) {
    classOf.fill(0);
    qsizetype next = 1;
    for (const auto& [anchor, entry] : anchors) {
        for (char b : anchor) {
            if (classOf[uchar(b)] == 0)
                classOf[uchar(b)] = quint8(next++);
        }
    }
    if (folded) {
        for (char c = 'A'; c <= 'Z'; ++c)
            classOf[uchar(c)] = classOf[uchar(c - 'A' + 'a')];
        lead = quint8(next++); // moves as a byte no anchor holds
        classOf[0xc5] = classOf[0xe2] = lead;
    }
    // A power of two, so that a state's number is a shift of its row.
    classes = std::bit_ceil(quint32(next));
    shift = std::countr_zero(quint32(classes));
    const auto at = [this](qsizetype state, qsizetype c) { return size_t(state * classes + c); };

    // The trie: -1 where no anchor goes on.
    std::vector<qint32> go(size_t(classes), -1);
    std::vector<std::pair<qint32, qint32>> ends; // state, entry
    for (const auto& [anchor, entry] : anchors) {
        qint32 state = 0;
        for (char b : anchor) {
            const size_t slot = at(state, classOf[uchar(b)]);
            if (go[slot] < 0) {
                go[slot] = qint32(go.size() / size_t(classes));
                go.resize(go.size() + size_t(classes), -1);
            }
            state = go[slot];
        }
        ends.emplace_back(state, entry);
        longestAnchor = std::max(longestAnchor, anchor.size());
    }
    const qsizetype states = qsizetype(go.size()) / classes;
    std::vector<char> ending(size_t(states), 0);
    for (const auto& [state, entry] : ends)
        ending[size_t(state)] = 1;

    // Breadth first, each state's missing moves are those of its longest proper suffix in the
    // trie, whose row is complete by then.
    std::vector<qint32> suffix(size_t(states), 0);
    nextEnding.assign(size_t(states), -1);
    std::vector<qint32> queue{0};
    for (size_t head = 0; head < queue.size(); ++head) {
        const qint32 state = queue[head];
        for (qsizetype c = 0; c < classes; ++c) {
            qint32& move = go[at(state, c)];
            if (move < 0) {
                move = state == 0 ? 0 : go[at(suffix[size_t(state)], c)];
                continue;
            }
            const qint32 s = state == 0 ? 0 : go[at(suffix[size_t(state)], c)];
            suffix[size_t(move)] = s;
            nextEnding[size_t(move)] = ending[size_t(s)] ? s : nextEnding[size_t(s)];
            queue.push_back(move);
        }
    }

    moves.resize(go.size());
    for (size_t i = 0; i < go.size(); ++i) {
        const qint32 to = go[i];
        const bool ends = ending[size_t(to)] || nextEnding[size_t(to)] >= 0;
        moves[i] = quint32(to * classes) | (ends ? kEnds : 0);
    }
    std::sort(ends.begin(), ends.end());
    endsFrom.assign(size_t(states + 1), 0);
    endings.clear();
    for (const auto& [state, entry] : ends) {
        ++endsFrom[size_t(state + 1)];
        endings.push_back(entry);
    }
    for (size_t s = 1; s < endsFrom.size(); ++s)
        endsFrom[s] += endsFrom[s - 1];
}

qsizetype LiteralSet::Automaton::report(quint32 state, std::vector<bool>& found,
                                        std::vector<char>& seen) const {
    qsizetype fresh = 0;
    for (qint32 s = qint32(state >> shift); s >= 0 && !seen[size_t(s)]; s = nextEnding[size_t(s)]) {
        seen[size_t(s)] = 1;
        for (qint32 k = endsFrom[size_t(s)]; k < endsFrom[size_t(s) + 1]; ++k) {
            if (!found[size_t(endings[size_t(k)])]) {
                found[size_t(endings[size_t(k)])] = true;
                ++fresh;
            }
        }
    }
    return fresh;
}

template <typename Unit>
quint32 LiteralSet::Automaton::classAt(const Unit* text, qsizetype n, qsizetype& i) const {
    if constexpr (sizeof(Unit) == 1) {
        const quint32 c = classOf[text[i]];
        if (c != lead) [[likely]]
            return c;
        // The UTF-8 forms of the long s and the Kelvin sign, which fold to s and k.
        if (text[i] == 0xc5 && i + 1 < n && text[i + 1] == 0xbf) {
            i += 1;
            return classOf['s'];
        }
        if (text[i] == 0xe2 && i + 2 < n && text[i + 1] == 0x84 && text[i + 2] == 0xaa) {
            i += 2;
            return classOf['k'];
        }
        return 0;
    } else {
        const char16_t u = text[i];
        return u < 0x80                 ? classOf[u]
               : folded && u == kLongS  ? classOf['s']
               : folded && u == kKelvin ? classOf['k']
                                        : 0;
    }
}

template <typename Unit>
void LiteralSet::Automaton::scan(const Unit* text, qsizetype n, std::vector<bool>& found,
                                 qsizetype wanted) const {
    // Each move waits for the one before: a long text is read as four lanes that move in turn,
    // each starting early enough to see whole every anchor that ends in its part (a character
    // that folds to an ASCII letter may take three bytes).
    constexpr qsizetype kLanes = 4;
    const qsizetype overlap = 3 * longestAnchor;
    const qsizetype lanes = n >= 8 * kLanes * overlap ? kLanes : 1;
    std::array<qsizetype, kLanes> at{};
    std::array<qsizetype, kLanes> end{};
    std::array<quint32, kLanes> state{};
    for (qsizetype q = 0; q < lanes; ++q) {
        at[size_t(q)] = std::max<qsizetype>(0, q * n / lanes - overlap);
        end[size_t(q)] = (q + 1) * n / lanes;
    }

    std::vector<char> seen(size_t(nextEnding.size()), 0);
    const quint32* move = moves.data();
    // False once every anchor is found.
    const auto step = [&](qsizetype& i, quint32& s) {
        const quint32 to = move[s + classAt(text, n, i)];
        ++i;
        s = to & ~kEnds;
        if ((to & kEnds) && !seen[s >> shift]) [[unlikely]] {
            wanted -= report(s, found, seen);
            return wanted > 0;
        }
        return true;
    };
    // A step reads at most three units: the lanes move together while none can pass its end
    // (in locals, which stay in registers).
    if (lanes == kLanes) {
        qsizetype i0 = at[0], i1 = at[1], i2 = at[2], i3 = at[3];
        quint32 s0 = 0, s1 = 0, s2 = 0, s3 = 0;
        for (;;) {
            const qsizetype steps =
                std::min({end[0] - i0, end[1] - i1, end[2] - i2, end[3] - i3}) / 3;
            if (steps == 0)
                break;
            for (qsizetype k = 0; k < steps; ++k) {
                if (!step(i0, s0) || !step(i1, s1) || !step(i2, s2) || !step(i3, s3))
                    return;
            }
        }
        at = {i0, i1, i2, i3};
        state = {s0, s1, s2, s3};
    }
    for (size_t q = 0; q < size_t(lanes); ++q) {
        while (at[q] < end[q]) {
            if (!step(at[q], state[q]))
                return;
        }
    }
}

template <typename Unit>
std::vector<bool> LiteralSet::presentIn(const Unit* text, qsizetype n) const {
    std::vector<bool> found(m_anchors.size(), false);
    for (size_t i = 0; i < m_anchors.size(); ++i)
        found[i] = m_anchors[i].isEmpty();
    for (size_t k = 0; k < 2; ++k) {
        if (!m_automata[k].isEmpty())
            m_automata[k].scan(text, n, found, m_anchored[k]);
    }
    return found;
}

std::vector<bool> LiteralSet::createdBy(QStringView replaceText) const {
    // Letters are compared without case, as a replacement that preserves case changes them.
    // Outside ASCII a character may be written as an ASCII letter (the Kelvin sign, the long
    // s) or change into several in another case: such a replacement may make anything.
    const QByteArray r = replaceText.toLatin1().toLower();
    const bool ascii = std::all_of(replaceText.begin(), replaceText.end(),
                                   [](QChar c) { return c.unicode() < 0x80; });
    std::array<std::vector<qsizetype>, 256> placesOf; // in r
    for (qsizetype p = 0; p < r.size(); ++p)
        placesOf[uchar(r[p])].push_back(p);

    std::vector<bool> created(m_anchors.size(), false);
    for (size_t e = 0; e < m_anchors.size(); ++e) {
        const QByteArray& anchor = m_lowered[e];
        // An empty replacement joins two pieces, which may make any anchor but a single byte.
        if (!ascii || anchor.isEmpty() || (r.isEmpty() && anchor.size() > 1)) {
            created[e] = true;
            continue;
        }
        // Some placing of the replacement, `d` after the anchor's start, that overlaps the anchor
        // and agrees with it, the text around holding the rest.
        const auto agrees = [&](qsizetype d) {
            const qsizetype to = std::min(anchor.size(), d + r.size());
            qsizetype x = std::max<qsizetype>(0, d);
            while (x < to && anchor[x] == r[x - d])
                ++x;
            return x == to;
        };
        // Placed from the anchor's start or before it, a byte of it meets the anchor's first;
        // placed later, its first byte meets one of the anchor's.
        for (const qsizetype p : placesOf[uchar(anchor[0])]) {
            if (agrees(-p)) {
                created[e] = true;
                break;
            }
        }
        for (qsizetype d = 1; d < anchor.size() && !r.isEmpty() && !created[e]; ++d)
            created[e] = anchor[d] == r[0] && agrees(d);
    }
    return created;
}

std::vector<bool> LiteralSet::present(QByteArrayView text) const {
    return presentIn(reinterpret_cast<const uchar*>(text.data()), text.size());
}

std::vector<bool> LiteralSet::present(QStringView text) const {
    return presentIn(text.utf16(), text.size());
}

} // namespace zuk

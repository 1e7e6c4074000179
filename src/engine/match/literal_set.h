// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <vector>

namespace zuk {

// One search of a set, as far as telling whether it can find anything depends on it.
struct LiteralSetEntry {
    QString searchText;
    // Without case also when the replacement preserves case, which searches without it.
    Qt::CaseSensitivity cs = Qt::CaseSensitive;
    // A blank of the search text may match a line break (the search runs as its variants).
    bool blanksMayBreak = false;
    // False for a regular expression, which is always taken as maybe present.
    bool literal = true;
};

// The piece of an entry's search text that every match of it holds: the longest run of ASCII
// without line breaks (nor blanks, when a blank may match a line break), cut to
// LiteralSet::kLongestAnchor bytes, in small letters when it is searched without case. Empty
// when there is none: the entry is then always taken as maybe present.
QByteArray anchorOf(const LiteralSetEntry& entry);

// Tells, in one pass over a text, which entries of a set of literal searches may find something
// there: an entry left out surely finds nothing (nor do its line-break variants), so its search
// can be skipped; one taken in usually finds something. The text is the bytes of a UTF-8 or
// one-byte text, or the characters of any text (a UTF-16 file's). Built once, then read by any
// number of threads.
class LiteralSet {
public:
    static constexpr qsizetype kLongestAnchor = 32;
    // The most moves the tables hold (4 bytes each): more anchors are cut shorter.
    static constexpr qsizetype kMostMoves = qsizetype(1) << 20;

    explicit LiteralSet(const std::vector<LiteralSetEntry>& entries);

    qsizetype size() const { return qsizetype(m_anchors.size()); }
    const QByteArray& anchor(qsizetype entry) const { return m_anchors[size_t(entry)]; }

    // One flag per entry: false when the entry surely finds nothing in `text`.
    std::vector<bool> present(QByteArrayView text) const;
    std::vector<bool> present(QStringView text) const;
    // The entries that a literal replacement by `replaceText` may make present in a text where
    // they were not (its text joined with what lies around it, or two pieces joined where it
    // is empty): after such a replacement, present() of the text before it, with these added,
    // still leaves out only entries that find nothing.
    std::vector<bool> createdBy(QStringView replaceText) const;

private:
    // An Aho-Corasick automaton over the anchors of one case rule, as a full table of moves
    // over classes of bytes.
    struct Automaton {
        bool folded = false;
        qsizetype classes = 0;
        int shift = 0; // of a state's number to the start of its row
        qsizetype longestAnchor = 0;
        // Without case, the class of the bytes that may start the UTF-8 form of a character folding
        // to an ASCII letter (0xff: none).
        quint8 lead = 0xff;
        std::array<quint8, 256> classOf{}; // 0: a byte no anchor holds
        // [state * classes + class]: the next state times `classes`, with kEnds set when some
        // anchor ends there.
        std::vector<quint32> moves;
        std::vector<qint32> nextEnding; // the longest proper suffix state where an anchor ends
        std::vector<qint32> endsFrom;   // the anchors ending at a state: endsFrom[s]..[s + 1]
        std::vector<qint32> endings;    // entry indexes

        void build(const std::vector<std::pair<QByteArray, qint32>>& anchors);
        bool isEmpty() const { return moves.empty(); }
        // Marks the entries ending at `state` and its suffixes; returns how many were new.
        qsizetype report(quint32 state, std::vector<bool>& found, std::vector<char>& seen) const;
        // The class of the unit at `i`, moving `i` onto the last byte of a character folded.
        template <typename Unit> quint32 classAt(const Unit* text, qsizetype n, qsizetype& i) const;
        // Marks the entries whose anchors occur in `text`; `wanted` of them are not marked yet.
        template <typename Unit>
        void scan(const Unit* text, qsizetype n, std::vector<bool>& found, qsizetype wanted) const;
    };

    template <typename Unit> std::vector<bool> presentIn(const Unit* text, qsizetype n) const;
    // An upper bound of the moves the anchors take.
    qsizetype movesFor(const std::vector<bool>& folded) const;

    std::vector<QByteArray> m_anchors;
    std::vector<QByteArray> m_lowered;   // the anchors in small letters
    std::array<Automaton, 2> m_automata; // case-sensitive, without case
    std::array<qsizetype, 2> m_anchored{};
};

} // namespace zuk

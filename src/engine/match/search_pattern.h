// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/match/substring_finder.h"
#include "engine/match/text_match.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <unordered_map>
#include <vector>

namespace zuk {

// A search text compiled once per pass. Each line break in it (CR LF, LF or CR) matches any
// one line break of the subject; a line break of the subject is one unit, so a match never
// starts on the LF of a CR LF pair.
class SearchPattern {
public:
    // How a search text with line breaks is found: each occurrence of its first line checked in
    // turn (fast on ordinary text) until that costs more than the ground it covers, then line by
    // line (linear whatever the subject); or line by line from the start.
    enum class Scan { Adaptive, ByLines };

    explicit SearchPattern(const QString& searchText);

    TextMatch findIn(QStringView subject, qsizetype from, Qt::CaseSensitivity cs,
                     Scan scan = Scan::Adaptive) const;
    bool isEmpty() const { return m_segments.size() == 1 && m_segments.front().isEmpty(); }
    bool hasLineBreaks() const { return m_segments.size() > 1; }
    // The longest run of the subject a match covers: a line break may take two.
    qsizetype longestMatch() const { return m_longestMatch; }

    // A pattern of plain ASCII finds the same occurrences in the bytes of a UTF-8 or one-byte
    // text as in its characters (positions and lengths then count bytes), except that without
    // case the Kelvin sign and the long s fold to "k" and "s": see foldsFromOutsideAscii.
    bool isAscii() const { return m_ascii; }
    // True when some non-ASCII character folds to a letter of the pattern (k or s).
    bool foldsFromOutsideAscii() const { return m_foldsFromOutsideAscii; }
    TextMatch findInBytes(QByteArrayView subject, qsizetype from, Qt::CaseSensitivity cs,
                          Scan scan = Scan::Adaptive) const;

private:
    // The segments between the first and the last, which a match takes as whole lines: each as
    // the index of the first segment equal to it under one case rule, and the KMP fallback
    // over that sequence.
    struct MiddleLines {
        std::vector<qsizetype> ids;
        std::vector<qsizetype> fallback;
        std::unordered_multimap<size_t, qsizetype> byKey;
    };

    const QList<QString>& segmentsFor(QStringView) const { return m_segments; }
    const QList<QByteArray>& segmentsFor(QByteArrayView) const { return m_byteSegments; }
    qsizetype findFirstSegment(QStringView subject, qsizetype from, Qt::CaseSensitivity cs) const;
    qsizetype findFirstSegment(QByteArrayView subject, qsizetype from,
                               Qt::CaseSensitivity cs) const;
    qsizetype findAnchor(QStringView subject, qsizetype from, Qt::CaseSensitivity cs) const;
    qsizetype findAnchor(QByteArrayView subject, qsizetype from, Qt::CaseSensitivity cs) const;
    template <typename View>
    TextMatch find(View subject, qsizetype from, Qt::CaseSensitivity cs, Scan scan) const;
    template <typename View>
    qsizetype findByLines(View subject, qsizetype from, Qt::CaseSensitivity cs) const;
    template <typename View>
    qsizetype middleLineId(View subject, qsizetype start, qsizetype end, Qt::CaseSensitivity cs,
                           qsizetype expected, std::vector<char32_t>& units) const;

    QList<QString> m_segments; // the text between line breaks; line breaks stand between them
    SubstringFinder m_exact;   // the first segment
    SubstringFinder m_folded;
    bool m_ascii = true;
    qsizetype m_longestMatch = 0;
    bool m_foldsFromOutsideAscii = false;
    QList<QByteArray> m_byteSegments; // the segments as bytes, when the pattern is ASCII
    SubstringFinder m_exactBytes;
    SubstringFinder m_foldedBytes;
    // The longest segment, which every match holds within longestMatch() of its start: the
    // search by lines passes over ground without it.
    bool m_hasAnchor = false;
    SubstringFinder m_anchorExact;
    SubstringFinder m_anchorFolded;
    SubstringFinder m_anchorFoldedBytes;
    std::array<MiddleLines, 2> m_middle; // case-sensitive, without case
    std::vector<bool> m_middleLengths;   // true at the length of some middle segment
    size_t m_seed = 0;
};

// `text` with every line break (CR LF, LF or CR) written as `lineBreak`.
QString withLineBreaks(const QString& text, const QString& lineBreak);

// The pieces of `text` between its line breaks (one more than it has line breaks).
QList<QString> splitAtLineBreaks(const QString& text);

} // namespace zuk

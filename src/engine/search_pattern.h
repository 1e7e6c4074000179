#pragma once

#include "engine/substring_finder.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringMatcher>

#include <optional>

namespace zuk {

struct TextMatch {
    qsizetype position = -1; // -1: none
    qsizetype length = 0;    // characters of the subject covered (a line break may be 1 or 2)
    bool found() const { return position >= 0; }
};

// A search text compiled once per pass. Each line break in it (CR LF, LF or CR) matches any
// one line break of the subject; a line break of the subject is one unit, so a match never
// starts on the LF of a CR LF pair.
class SearchPattern {
public:
    explicit SearchPattern(const QString& searchText);

    TextMatch findIn(QStringView subject, qsizetype from, Qt::CaseSensitivity cs) const;
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
    TextMatch findInBytes(QByteArrayView subject, qsizetype from, Qt::CaseSensitivity cs) const;

private:
    qsizetype matchAt(QStringView subject, qsizetype at, Qt::CaseSensitivity cs) const;
    qsizetype matchAt(QByteArrayView subject, qsizetype at, Qt::CaseSensitivity cs) const;
    qsizetype findFirstSegment(QStringView subject, qsizetype from, Qt::CaseSensitivity cs) const;
    qsizetype findFirstSegment(QByteArrayView subject, qsizetype from,
                               Qt::CaseSensitivity cs) const;
    template <typename View>
    TextMatch find(View subject, qsizetype from, Qt::CaseSensitivity cs) const;

    QList<QString> m_segments; // the text between line breaks; line breaks stand between them
    SubstringFinder m_exact;   // the first segment
    SubstringFinder m_folded;
    // Folding a surrogate pair takes the pair: a first segment outside the BMP is left to Qt.
    std::optional<QStringMatcher> m_foldedPairs;
    bool m_ascii = true;
    qsizetype m_longestMatch = 0;
    bool m_foldsFromOutsideAscii = false;
    QList<QByteArray> m_byteSegments; // the segments as bytes, when the pattern is ASCII
    SubstringFinder m_exactBytes;
    SubstringFinder m_foldedBytes;
};

// `text` with every line break (CR LF, LF or CR) written as `lineBreak`.
QString withLineBreaks(const QString& text, const QString& lineBreak);

// The pieces of `text` between its line breaks (one more than it has line breaks).
QList<QString> splitAtLineBreaks(const QString& text);

} // namespace zuk

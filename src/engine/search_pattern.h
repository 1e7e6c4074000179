#pragma once

#include <QList>
#include <QString>
#include <QStringMatcher>

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

private:
    qsizetype matchAt(QStringView subject, qsizetype at, Qt::CaseSensitivity cs) const;
    qsizetype findFirstSegment(QStringView subject, qsizetype from, Qt::CaseSensitivity cs) const;

    QList<QString> m_segments; // the text between line breaks; line breaks stand between them
    QStringMatcher m_exact;
    QStringMatcher m_folded;
};

// `text` with every line break (CR LF, LF or CR) written as `lineBreak`.
QString withLineBreaks(const QString& text, const QString& lineBreak);

} // namespace zuk

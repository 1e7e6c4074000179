// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/search_pattern.h"

#include <QStringMatcher>
#include <gtest/gtest.h>

#include <random>

using namespace zuk;

namespace {

QList<qsizetype> allStarts(const QString& pattern, const QString& subject,
                           Qt::CaseSensitivity cs = Qt::CaseSensitive) {
    const SearchPattern p(pattern);
    QList<qsizetype> starts;
    for (TextMatch m = p.findIn(subject, 0, cs); m.found();
         m = p.findIn(subject, m.position + 1, cs))
        starts.append(m.position);
    return starts;
}

} // namespace

TEST(SearchPattern, FindsPlainTextWithOrWithoutCase) {
    EXPECT_EQ(allStarts("Ab", "ab AB Ab"), (QList<qsizetype>{6}));
    EXPECT_EQ(allStarts("Ab", "ab AB Ab", Qt::CaseInsensitive), (QList<qsizetype>{0, 3, 6}));
    EXPECT_EQ(allStarts("aa", "aaaa"), (QList<qsizetype>{0, 1, 2}));
    // Unicode case folding, also outside Latin-1 and beyond the BMP.
    EXPECT_EQ(allStarts(QStringLiteral("straße"), QStringLiteral("STRAẞE"), Qt::CaseInsensitive),
              (QList<qsizetype>{0}));
    EXPECT_EQ(allStarts(QStringLiteral("\U00010428x"), QStringLiteral("-\U00010400X"),
                        Qt::CaseInsensitive),
              (QList<qsizetype>{1}));
    EXPECT_TRUE(allStarts("x", "").isEmpty());
}

TEST(SearchPattern, LineBreakOfTheSearchTextMatchesAnyLineBreakAsOneUnit) {
    const SearchPattern p(QStringLiteral("old\r\ntext"));
    for (const QString& subject : {QStringLiteral("an old\ntext"), QStringLiteral("an old\r\ntext"),
                                   QStringLiteral("an old\rtext")}) {
        const TextMatch m = p.findIn(subject, 0, Qt::CaseSensitive);
        EXPECT_EQ(m.position, 3) << subject.toStdString();
        EXPECT_EQ(m.length, subject.size() - 3);
    }
    EXPECT_FALSE(p.findIn(QStringLiteral("old\n\ntext"), 0, Qt::CaseSensitive).found());
    EXPECT_FALSE(p.findIn(QStringLiteral("old text"), 0, Qt::CaseSensitive).found());

    // A break typed as LF matches CR LF, and a trailing break takes the whole CR LF.
    const TextMatch trailing =
        SearchPattern(QStringLiteral("a\n")).findIn(QStringLiteral("a\r\nb"), 0, Qt::CaseSensitive);
    EXPECT_EQ(trailing.length, 3);
    // A leading break never starts on the LF half of a CR LF pair.
    EXPECT_EQ(allStarts(QStringLiteral("\nb"), QStringLiteral("x\r\nb\nb")),
              (QList<qsizetype>{1, 4}));
}

TEST(SearchPattern, WithLineBreaksRewritesEveryForm) {
    EXPECT_EQ(withLineBreaks(QStringLiteral("a\r\nb\nc\rd"), QStringLiteral("\r\n")),
              QStringLiteral("a\r\nb\r\nc\r\nd"));
    EXPECT_EQ(withLineBreaks(QStringLiteral("a\r\n\nb"), QStringLiteral("\n")),
              QStringLiteral("a\n\nb"));
    EXPECT_EQ(withLineBreaks(QStringLiteral("plain"), QStringLiteral("\r")),
              QStringLiteral("plain"));
}

namespace {

// The search as it was before the search by lines: each occurrence of the first segment (found
// by Qt, which folds a low surrogate with the high one before it in the subject) checked in
// turn, the check written out plainly.
TextMatch referenceFind(const QList<QString>& segments, QStringView subject, qsizetype from,
                        Qt::CaseSensitivity cs) {
    const QStringMatcher first(segments.front(), cs);
    const auto breakAt = [&](qsizetype i) -> qsizetype {
        if (i >= subject.size())
            return 0;
        if (subject[i] == u'\r')
            return i + 1 < subject.size() && subject[i + 1] == u'\n' ? 2 : 1;
        return subject[i] == u'\n' && (i == 0 || subject[i - 1] != u'\r') ? 1 : 0;
    };
    for (qsizetype at = from; at >= 0 && at <= subject.size(); ++at) {
        if (segments.front().isEmpty()) {
            while (at < subject.size() && breakAt(at) == 0)
                ++at;
        } else {
            at = first.indexIn(subject, at);
        }
        if (at < 0 || at >= subject.size() + (segments.front().isEmpty() ? 0 : 1))
            return {};
        qsizetype pos = at;
        bool matches = true;
        for (qsizetype i = 0; i < segments.size() && matches; ++i) {
            const qsizetype breakLength = i > 0 ? breakAt(pos) : 0;
            matches = i == 0 || breakLength > 0;
            pos += breakLength;
            const QString& segment = segments[i];
            matches = matches && subject.size() - pos >= segment.size() &&
                      subject.sliced(pos, segment.size()).compare(segment, cs) == 0;
            pos += segment.size();
        }
        if (matches)
            return {at, pos - at};
    }
    return {};
}

} // namespace

TEST(SearchPattern, MultiLineSearchFindsWhatCheckingEachCandidateFinds) {
    const QStringList ascii = {"", "", "a", "A", "b", "ab", "aA"};
    const QStringList wide =
        ascii + QStringList{QStringLiteral("\u212A"),     "k",
                            QStringLiteral("\U00010400"), QStringLiteral("\U00010428"),
                            QString(QChar(0xD801)),       QString(QChar(0xDC28))};
    // Letters whose case folding Qt does its own way: outside ASCII, beyond the BMP.
    const QStringList folded = {"a",
                                "K",
                                "k",
                                QStringLiteral("\u212A"),
                                "s",
                                QStringLiteral("\u017F"),
                                QStringLiteral("\U00010400"),
                                QStringLiteral("\U00010428")};
    const QStringList breaks = {"\n", "\r\n", "\r"};
    struct Row {
        QStringList pieces;
        int maxLines; // of the subject
        bool bytesToo;
    };
    std::mt19937 random(15);
    for (const Row& row : {Row{ascii, 12, true}, Row{ascii, 60, true}, Row{wide, 20, false},
                           Row{folded, 20, false}}) {
        const auto join = [&](int lines) {
            QString text = row.pieces[random() % row.pieces.size()];
            for (int i = 1; i < lines; ++i)
                text += breaks[random() % 3] + row.pieces[random() % row.pieces.size()];
            return text;
        };
        for (int round = 0; round < 1500; ++round) {
            const QString pattern = join(2 + int(random() % 4));
            const QString subject = join(1 + int(random() % row.maxLines));
            const QList<QString> segments = splitAtLineBreaks(pattern);
            const SearchPattern p(pattern);
            const QByteArray bytes = subject.toLatin1();
            for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
                for (qsizetype from = -1; from <= subject.size() + 1; ++from) {
                    const TextMatch want = referenceFind(segments, subject, from, cs);
                    for (const auto scan :
                         {SearchPattern::Scan::Adaptive, SearchPattern::Scan::ByLines}) {
                        std::vector<TextMatch> got{p.findIn(subject, from, cs, scan)};
                        if (row.bytesToo)
                            got.push_back(p.findInBytes(bytes, from, cs, scan));
                        for (const TextMatch& m : got) {
                            ASSERT_TRUE(m.position == want.position && m.length == want.length)
                                << qPrintable(pattern.toUtf8().toPercentEncoding()) << " in "
                                << qPrintable(subject.toUtf8().toPercentEncoding()) << " from "
                                << from << " cs " << cs << " scan " << int(scan) << ": "
                                << m.position << "+" << m.length << " instead of " << want.position
                                << "+" << want.length;
                        }
                    }
                }
            }
        }
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/substring_finder.h"

#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringMatcher>
#include <gtest/gtest.h>

using namespace zuk;

namespace {

qsizetype naive(const QString& hay, const QString& needle, qsizetype from, bool fold) {
    for (qsizetype j = from; j + needle.size() <= hay.size(); ++j) {
        if (hay.sliced(j, needle.size())
                .compare(needle, fold ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0)
            return j;
    }
    return -1;
}

} // namespace

// Periodic and aperiodic needles over small alphabets (where the scan's candidates are many and
// the Two-Way fallback runs), in both forms, against a plain comparison at every position.
TEST(SubstringFinder, FindsWhatAPlainComparisonFinds) {
    QRandomGenerator random(15);
    const QList<QString> alphabets = {"ab", "aB ", "abA", "xyz\n", "a`@A"};
    for (int round = 0; round < 3000; ++round) {
        const QString& alphabet = alphabets[round % alphabets.size()];
        const auto text = [&](int length) {
            QString t;
            for (int i = 0; i < length; ++i)
                t += alphabet[random.bounded(alphabet.size())];
            return t;
        };
        const QString needle = round % 5 == 0 ? QString(1 + random.bounded(20), u'a') + "b"
                                              : text(1 + random.bounded(12));
        const QString hay = text(random.bounded(120));
        const bool fold = round % 2 == 1;
        const SubstringFinder bytes(needle, fold ? SubstringFinder::Fold::Ascii
                                                 : SubstringFinder::Fold::None);
        const SubstringFinder units(needle, fold ? SubstringFinder::Fold::Full
                                                 : SubstringFinder::Fold::None);
        const QByteArray hayBytes = hay.toLatin1();
        for (qsizetype from = 0; from <= hay.size(); from += 1 + random.bounded(9)) {
            const qsizetype expected = naive(hay, needle, from, fold);
            ASSERT_EQ(bytes.indexIn(QByteArrayView(hayBytes), from), expected)
                << round << " " << needle.toStdString() << " in " << hay.toStdString();
            ASSERT_EQ(units.indexIn(QStringView(hay), from), expected) << round;
        }
    }
}

// A rare letter in either case far apart: the byte form looks for the nearer case over long
// stretches.
TEST(SubstringFinder, FindsEitherCaseOfASparseLetter) {
    QRandomGenerator random(15);
    for (int round = 0; round < 300; ++round) {
        QByteArray hay(random.bounded(2000), 'a');
        for (int i = random.bounded(6); i > 0 && !hay.isEmpty(); --i)
            hay[random.bounded(hay.size())] = random.bounded(2) ? 'b' : 'B';
        const QString needle = round % 2 ? "b" : "ab";
        const SubstringFinder finder(needle, SubstringFinder::Fold::Ascii);
        for (qsizetype from = 0; from <= hay.size(); from += 1 + random.bounded(40))
            ASSERT_EQ(finder.indexIn(QByteArrayView(hay), from),
                      naive(QString::fromLatin1(hay), needle, from, true))
                << round << " from " << from;
    }
}

// Without case a low surrogate after a high one folds as their pair, also when the high one
// stands before `from` or before the match, while a needle's first unit has none before it:
// random texts over letters Qt folds its own way (Deseret pairs of both cases, lone surrogates,
// the Kelvin sign, the long s) against Qt's own search. Needles are pieces of the alphabet, cuts
// of the text (which may split a pair) or periodic runs of pairs.
TEST(SubstringFinder, FoldsSurrogatePairsAsQtDoes) {
    const QString upper = QStringLiteral("\U00010400"), lower = QStringLiteral("\U00010428");
    const QStringList pairs = {upper, lower, QStringLiteral("\U00010401"),
                               QStringLiteral("\U00010429")};
    const QStringList lone = {QString(QChar(0xD801)), QString(QChar(0xDC28))};
    const QStringList others = {
        "a", "B", "k", "s", QStringLiteral("\u212A"), QStringLiteral("\u017F")};
    // With "-" the scan for a rare unit finds the candidates; without, Two-Way does.
    const QList<QStringList> alphabets = {pairs + lone + others,
                                          pairs + lone + others + QStringList{"-"},
                                          QStringList{upper, lower, "b"}};
    QRandomGenerator random(15);
    for (const QStringList& alphabet : alphabets) {
        const auto text = [&](int pieces) {
            QString t;
            for (int i = 0; i < pieces; ++i)
                t += alphabet[random.bounded(alphabet.size())];
            return t;
        };
        for (int round = 0; round < 1500; ++round) {
            const QString hay = text(random.bounded(80));
            const QString piece = alphabet[random.bounded(alphabet.size())];
            const QString run = (random.bounded(2) ? upper : lower).repeated(1 + random.bounded(9));
            QString needle = round % 4 == 0   ? run + piece
                             : round % 4 == 1 ? piece + run
                                              : text(1 + random.bounded(6));
            if (round % 4 == 2 && !hay.isEmpty())
                needle = hay.mid(random.bounded(hay.size()), 1 + random.bounded(8));
            const SubstringFinder finder(needle, SubstringFinder::Fold::Full);
            const QStringMatcher qt(needle, Qt::CaseInsensitive);
            for (qsizetype from = 0; from <= hay.size(); ++from)
                ASSERT_EQ(finder.indexIn(QStringView(hay), from), qt.indexIn(hay, from))
                    << qPrintable(needle.toUtf8().toPercentEncoding()) << " in "
                    << qPrintable(hay.toUtf8().toPercentEncoding()) << " from " << from;
        }
    }
    // Qt's own search misses this one (its skip table folds the 255th unit from the end without
    // the high surrogate before it); a comparison finds it.
    const QString needle = upper + QString(254, u'b');
    const QString hay = QString(254, u'x') + lower + QString(254, u'b');
    EXPECT_EQ(hay.sliced(254).compare(needle, Qt::CaseInsensitive), 0);
    EXPECT_EQ(SubstringFinder(needle, SubstringFinder::Fold::Full).indexIn(QStringView(hay), 0),
              254);
}

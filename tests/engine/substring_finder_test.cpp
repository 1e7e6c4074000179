#include "engine/substring_finder.h"

#include <QList>
#include <QRandomGenerator>
#include <QString>
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

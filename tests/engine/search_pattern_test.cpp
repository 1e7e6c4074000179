#include "engine/search_pattern.h"

#include <gtest/gtest.h>

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

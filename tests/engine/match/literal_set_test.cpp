// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/case_form.h"
#include "engine/match/literal_matcher.h"
#include "engine/match/literal_set.h"
#include "engine/run/replacement_routines.h"
#include "engine/text/text_codec.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace zuk;

namespace {

constexpr auto CS = Qt::CaseSensitive;
constexpr auto CI = Qt::CaseInsensitive;

// Whether the literal search of `entry` (as its line-break variants, when a blank may match a
// line break) finds something in `subject`.
bool searchFinds(const LiteralSetEntry& entry, const Subject& subject) {
    ValueRunOptions options;
    for (const bool left : {false, true}) {
        for (const bool right : {false, true}) {
            options.values.keepSpaceLeft = left;
            options.values.keepSpaceRight = right;
            const QStringList variants = entry.blanksMayBreak
                                             ? BuildVariantList(entry.searchText, options)
                                             : QStringList{entry.searchText};
            for (const QString& variant : variants) {
                const LiteralMatcher matcher(variant, QString());
                if (subject.inBytes && matcher.byteForm() == Matcher::ByteForm::Never)
                    continue;
                if (matcher.find(subject, 0, entry.cs).found())
                    return true;
            }
        }
    }
    return false;
}

} // namespace

TEST(LiteralSet, AnchorIsTheLongestRunEveryMatchHolds) {
    struct Case {
        QString text;
        Qt::CaseSensitivity cs;
        bool blanks;
        bool literal;
        QByteArray anchor;
    };
    const Case cases[] = {
        {"hello world", CS, false, true, "hello world"},
        {"hello world", CS, true, true, "hello"},
        {"ab\r\nlonger\rc\nd", CS, false, true, "longer"},
        {"Stra\u00dfe K\u00f6ln", CI, false, true, "stra"},
        {"\u65e5\u672c", CS, false, true, ""},
        {"\r\n", CS, false, true, ""},
        {"", CS, false, true, ""},
        {"lit.*eral", CS, false, false, ""},
        {QString(40, u'A') + " b", CI, false, true, QByteArray(32, 'a')},
    };
    for (const Case& c : cases) {
        const LiteralSetEntry entry{c.text, c.cs, c.blanks, c.literal};
        EXPECT_EQ(anchorOf(entry), c.anchor) << c.text.toStdString();
        EXPECT_EQ(LiteralSet({entry}).present(QByteArrayView()),
                  std::vector<bool>{c.anchor.isEmpty()})
            << c.text.toStdString();
    }
}

// Random sets of searches over small alphabets (cases, line breaks, blanks, characters outside
// ASCII, among them those that fold to ASCII letters) against texts of 0 to 1200 characters: each
// entry is taken exactly when its anchor occurs (so nothing else is taken), and whenever its
// search finds something, in the characters or the bytes of UTF-8 and one-byte texts.
TEST(LiteralSet, TakesEverySearchThatFindsSomething) {
    QRandomGenerator random(27);
    const QString alphabet = QStringLiteral("aAsSkK b\r\n\u00e9\u017f\u212a\U0001F600");
    const QByteArray bytes = "aSk \r\n\xc5\xbf\xe2\x84\xaa\xe9";
    const auto pick = [&](const auto& from, int length) {
        std::remove_cvref_t<decltype(from)> t;
        for (int i = 0; i < length; ++i)
            t += from[random.bounded(from.size())];
        return t;
    };
    for (int round = 0; round < 4000; ++round) {
        std::vector<LiteralSetEntry> entries(size_t(1 + random.bounded(8)));
        for (LiteralSetEntry& e : entries) {
            e = {pick(alphabet, random.bounded(7)), random.bounded(2) ? CS : CI,
                 random.bounded(3) == 0, random.bounded(10) != 0};
        }
        const LiteralSet set(entries);
        const QString text = pick(alphabet, random.bounded(round % 10 == 0 ? 1200 : 61));
        const QByteArray utf8 = text.toUtf8();
        const QByteArray oneByte = pick(bytes, random.bounded(61));
        const QString decoded = decodeBody(oneByte, TextEncoding::Windows1252);
        const std::vector<bool> inText = set.present(QStringView(text));
        const std::vector<bool> inUtf8 = set.present(QByteArrayView(utf8));
        const std::vector<bool> inOneByte = set.present(QByteArrayView(oneByte));
        for (size_t i = 0; i < entries.size(); ++i) {
            const LiteralSetEntry& e = entries[i];
            const QString anchor = QString::fromLatin1(set.anchor(qsizetype(i)));
            SCOPED_TRACE(QString("round %1 entry \"%2\" in \"%3\"")
                             .arg(round)
                             .arg(e.searchText, text)
                             .toStdString());
            const bool holdsAnchor = anchor.isEmpty() || text.contains(anchor, e.cs);
            EXPECT_EQ(inText[i], holdsAnchor);
            EXPECT_EQ(inUtf8[i], holdsAnchor);
            if (searchFinds(e, Subject::ofText(text)) ||
                searchFinds(e, Subject::ofBytes(utf8, ByteText::Utf8))) {
                EXPECT_TRUE(inText[i] && inUtf8[i]);
            }
            if (searchFinds(e, Subject::ofText(decoded)) ||
                searchFinds(e, Subject::ofBytes(oneByte, ByteText::OneByte))) {
                EXPECT_TRUE(inOneByte[i]);
            }
        }
    }
}

// A long text is read in parts: an anchor is seen wherever it stands, also in the UTF-8 form of
// characters that fold to its letters.
TEST(LiteralSet, SeesAnAnchorAnywhereInALongText) {
    const LiteralSet set({{"needle", CS}, {"kiss", CI}});
    const QByteArray filler(800, 'x');
    EXPECT_EQ(set.present(QByteArrayView(filler)), (std::vector<bool>{false, false}));
    for (const QByteArray& anchor :
         {QByteArray("needle"), QByteArray("\xe2\x84\xaaI\xc5\xbf\xc5\xbf")}) {
        const bool kiss = anchor != "needle";
        for (qsizetype at = 0; at + anchor.size() <= filler.size(); ++at) {
            const QByteArray text = QByteArray(filler).replace(at, anchor.size(), anchor);
            ASSERT_EQ(set.present(QByteArrayView(text)), (std::vector<bool>{!kiss, kiss})) << at;
        }
    }
}

// Many long searches are looked for by shorter anchors, which still take every text that holds
// one of the searches.
TEST(LiteralSet, CutsTheAnchorsOfManyLongSearches) {
    QRandomGenerator random(32);
    std::vector<LiteralSetEntry> entries;
    for (int e = 0; e < 2000; ++e) {
        QString search;
        for (int i = 0; i < 32; ++i)
            search += QChar(u'!' + random.bounded(94));
        entries.push_back({search, e % 2 ? CS : CI});
    }
    const LiteralSet set(entries);
    EXPECT_LT(set.anchor(0).size(), LiteralSet::kLongestAnchor);
    const QString filler(300, u'\n');
    EXPECT_EQ(set.present(QStringView(filler)), std::vector<bool>(entries.size(), false));
    for (size_t e = 0; e < entries.size(); e += 97)
        EXPECT_TRUE(set.present(QStringView(filler + entries[e].searchText + filler))[e]) << e;
}

// After a replacement, the entries present before it and those it may create are all that can
// be present: random texts with a piece or two replaced by a random replacement (empty, with
// line breaks, outside ASCII, in the case forms a replacement that preserves case takes).
TEST(LiteralSet, ReplacementCreatesOnlyWhatItSays) {
    QRandomGenerator random(2727);
    const QString alphabet = QStringLiteral("askAK \r\n\u00df\u017f\u212a");
    const auto pick = [&](int length) {
        QString t;
        for (int i = 0; i < length; ++i)
            t += alphabet[random.bounded(alphabet.size())];
        return t;
    };
    for (int round = 0; round < 4000; ++round) {
        std::vector<LiteralSetEntry> entries(size_t(1 + random.bounded(6)));
        for (LiteralSetEntry& e : entries)
            e = {pick(1 + random.bounded(4)), random.bounded(2) ? CS : CI};
        const LiteralSet set(entries);
        const QString before = pick(random.bounded(30));
        const QString typed = round % 3 == 0 ? QString() : pick(1 + random.bounded(4));
        const QString replacement = inCaseForm({typed}, CaseForm(random.bounded(4))).front();
        QString after = before;
        for (int site = 1 + random.bounded(2); site > 0; --site) {
            const qsizetype at = random.bounded(after.size() + 1);
            after.replace(at, random.bounded(after.size() - at + 1), replacement);
        }
        const std::vector<bool> wasPresent = set.present(QStringView(before));
        const std::vector<bool> created = set.createdBy(typed);
        const std::vector<bool> isPresent = set.present(QStringView(after));
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_TRUE(!isPresent[i] || wasPresent[i] || created[i])
                << "round " << round << ": \"" << entries[i].searchText.toStdString() << "\" in \""
                << after.toStdString() << "\" made by \"" << typed.toStdString() << "\"";
        }
    }
}

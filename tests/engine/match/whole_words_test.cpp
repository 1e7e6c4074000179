// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/search_pattern.h"
#include "engine/match/whole_words.h"
#include "engine/text/text_codec.h"

#include <gtest/gtest.h>

#include <random>

using namespace zuk;

TEST(WholeWords, TestTheCharactersOnEitherSideInEveryFormOfText) {
    // Each text holds "cat" once; whether it is a whole word there.
    const std::pair<const char16_t*, bool> cases[] = {
        {u"cat", true},
        {u"a cat.", true},
        {u"(cat)", true},
        {u"x\r\ncat\n", true},
        {u"\u00e9cat", false}, // a letter outside ASCII
        {u"cat\u00e9", false},
        {u"e\u0301cat", false}, // a combining mark belongs to its letter
        {u"\u0661cat", false},  // a digit of another script
        {u"cat1", false},
        {u"_cat", false},
        {u"\U0001D49Ccat", false},    // a letter beyond the BMP
        {u"\u00ab cat \u00bb", true}, // punctuation outside ASCII
        {u"\u2014cat\u2014", true},
    };
    for (const auto& [subject, whole] : cases) {
        const QString text = QString::fromUtf16(subject);
        const qsizetype at = text.indexOf(u"cat");
        const std::string shown = text.toStdString();
        EXPECT_EQ(isWholeWord(text, at, 3), whole) << shown;

        const QByteArray utf8 = text.toUtf8();
        EXPECT_EQ(isWholeWord(utf8, ByteText::Utf8, utf8.indexOf("cat"), 3), whole) << shown;

        if (canEncode(text, TextEncoding::Windows1252)) {
            const QByteArray oneByte = encodeText(text, TextEncoding::Windows1252);
            EXPECT_EQ(isWholeWord(oneByte, ByteText::OneByte, oneByte.indexOf("cat"), 3), whole)
                << shown;
        }
    }
}

// A literal search for whole words: each find that is not one gives way to the next that
// may be, wholeWordRestart() units on. Against every whole-word occurrence, overlaps included.
TEST(WholeWords, RestartPassesOverNoWholeWord) {
    const char16_t* const pieces[] = {u"a", u"b", u"-", u" ", u"\u00e9", u"A", u"\n"};
    const char16_t* const searches[] = {u"a", u"aa", u"ab", u"a-a", u"-a", u"a-", u"aba", u"a a"};
    std::mt19937 random(11);
    std::uniform_int_distribution<size_t> piece(0, std::size(pieces) - 1);
    for (const char16_t* search : searches) {
        const QString searchText = QString::fromUtf16(search);
        const SearchPattern pattern(searchText);
        const qsizetype restart = wholeWordRestart(searchText);
        for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
            for (int n = 0; n < 300; ++n) {
                QString text;
                for (int k = 0; k < 14; ++k)
                    text += QString::fromUtf16(pieces[piece(random)]);
                QList<qsizetype> expected;
                for (qsizetype at = 0; at + searchText.size() <= text.size(); ++at) {
                    if (QStringView(text).sliced(at, searchText.size()).compare(searchText, cs) ==
                            0 &&
                        isWholeWord(text, at, searchText.size()))
                        expected << at;
                }
                QList<qsizetype> found;
                qsizetype from = 0;
                for (TextMatch m = pattern.findIn(text, from, cs); m.found();
                     m = pattern.findIn(text, from, cs)) {
                    if (isWholeWord(text, m.position, m.length)) {
                        found << m.position;
                        from = m.position + 1;
                    } else {
                        from = m.position + restart;
                    }
                }
                EXPECT_EQ(found, expected)
                    << searchText.toStdString() << " in " << text.toStdString();
            }
        }
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/regex_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace zuk;

namespace {

// A text long enough for many checkpoints, of every width of character and form of line break.
QString longText() {
    const char16_t* const pieces[] = {u"a",    u"\u00e9", u"\u20ac", u"\U0001F600",
                                      u"\r\n", u"\r",     u"\n"};
    std::mt19937 random(3);
    std::uniform_int_distribution<size_t> piece(0, std::size(pieces) - 1);
    QString text;
    while (text.size() < 30'000)
        text += QString::fromUtf16(pieces[piece(random)]);
    return text;
}

// Each unit's place in the view (a unit inside a pair takes the place after it), and the units
// that start a character, in order and then some at random, so the mapping also goes back.
void expectMapping(const RegexText& text, const std::vector<qsizetype>& view,
                   const std::vector<bool>& starts) {
    std::vector<qsizetype> order(view.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = qsizetype(i);
    std::vector<qsizetype> shuffled = order;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(5));
    order.insert(order.end(), shuffled.begin(), shuffled.begin() + 2000);
    for (const qsizetype s : order) {
        ASSERT_EQ(text.toView(s), view[size_t(s)]) << s;
        if (starts[size_t(s)]) {
            ASSERT_EQ(text.toSubject(view[size_t(s)]), s) << s;
        }
    }
}

} // namespace

TEST(RegexText, MapsEveryPositionBothWaysInAnyOrder) {
    const QString text = longText();
    const RegexText inText = RegexText::ofText(text);
    std::vector<qsizetype> view(size_t(text.size() + 1));
    std::vector<bool> starts(view.size(), true);
    for (qsizetype s = 0; s < text.size(); ++s) {
        const bool lowHalf = text[s].isLowSurrogate();
        const bool lfOfPair = s > 0 && text[s] == u'\n' && text[s - 1] == u'\r';
        starts[size_t(s)] = !lowHalf && !lfOfPair;
        const qsizetype bytes = lowHalf || lfOfPair         ? 0
                                : text[s].isHighSurrogate() ? 4
                                                            : QString(text[s]).toUtf8().size();
        view[size_t(s + 1)] = view[size_t(s)] + bytes;
    }
    // A unit inside a pair starts where the pair ends.
    for (qsizetype s = 0; s < text.size(); ++s) {
        if (text[s].isLowSurrogate())
            view[size_t(s)] = view[size_t(s + 1)];
    }
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    EXPECT_EQ(QByteArray(inText.utf8().data(), qsizetype(inText.utf8().size())),
              normalized.toUtf8());
    expectMapping(inText, view, starts);

    const QByteArray utf8 = text.toUtf8();
    const RegexText inBytes = RegexText::ofUtf8(utf8);
    std::vector<qsizetype> byteView(size_t(utf8.size() + 1));
    std::vector<bool> byteStarts(byteView.size());
    qsizetype pairs = 0;
    for (qsizetype s = 0; s <= utf8.size(); ++s) {
        const bool lfOfPair = s < utf8.size() && s > 0 && utf8[s] == '\n' && utf8[s - 1] == '\r';
        byteStarts[size_t(s)] = !lfOfPair;
        byteView[size_t(s)] = s - pairs;
        pairs += lfOfPair;
    }
    EXPECT_EQ(QByteArray(inBytes.utf8().data(), qsizetype(inBytes.utf8().size())),
              normalized.toUtf8());
    expectMapping(inBytes, byteView, byteStarts);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/path_bytes.h"

#include <gtest/gtest.h>

#include <random>

using namespace zuk;

namespace {

// UTF-16 as it stands, lone surrogates included.
QString u16(const char16_t* text) {
    return QString(reinterpret_cast<const QChar*>(text));
}

// Random names that are mostly bytes at or above 0x80, so that valid sequences, cut-off ones,
// overlong forms and encoded surrogates all come up.
QByteArray randomBytes(std::mt19937& random) {
    static const uchar kInteresting[] = {0x00, '/',  'a',  0x7F, 0x80, 0xBF, 0xC0, 0xC1,
                                         0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5,
                                         0xFF, 0xA0, 0x9F, 0x8F, 0x90, 0xBD, 0xDC, 0xB2};
    std::uniform_int_distribution<int> length(0, 12);
    std::uniform_int_distribution<int> choice(0, 1);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<int> pick(0, int(std::size(kInteresting)) - 1);
    QByteArray bytes;
    for (int i = length(random); i > 0; --i)
        bytes += char(choice(random) ? kInteresting[pick(random)] : any(random));
    return bytes;
}

} // namespace

TEST(PathBytes, EveryByteStringComesBackExactly) {
    std::mt19937 random(20261208);
    for (int i = 0; i < 200000; ++i) {
        const QByteArray bytes = randomBytes(random);
        const QString text = decodePath(bytes);
        ASSERT_EQ(encodePath(text), bytes) << bytes.toHex().constData();
        // Valid UTF-8 reads as it always did; nothing else turns into U+FFFD.
        if (QString::fromUtf8(bytes).toUtf8() == bytes) {
            ASSERT_EQ(text, QString::fromUtf8(bytes)) << bytes.toHex().constData();
        }
        ASSERT_EQ(text.count(QChar(0xFFFD)), bytes.count("\xEF\xBF\xBD"));
        ASSERT_EQ(decodePath(bytes + '/' + bytes), text + '/' + text);
    }
}

TEST(PathBytes, NamesDecodeAndShowAsTabled) {
    const struct {
        QByteArray bytes;
        QString text;
        QString shown;
    } cases[] = {
        {"caf\xc3\xa9.htm", u16(u"caf\u00e9.htm"), u16(u"caf\u00e9.htm")},
        {"caf\xe9.htm", u16(u"caf\xdce9.htm"), "caf\\xE9.htm"},
        {"caf\xef\xbf\xbd.htm", u16(u"caf\ufffd.htm"), u16(u"caf\ufffd.htm")},
        {"\xed\xa0\x80", u16(u"\xdced\xdca0\xdc80"), "\\xED\\xA0\\x80"}, // a surrogate
        {"\xc0\xaf", u16(u"\xdcc0\xdcaf"), "\\xC0\\xAF"},                // overlong "/"
        {"\xf0\x9f\x99\x82", u16(u"\U0001F642"), u16(u"\U0001F642")},    // a pair
        {"a\tb\nc\rd\x1b[2Je\x7f", "a\tb\nc\rd\x1b[2Je\x7f", "a\\tb\\nc\\rd\\x1B[2Je\\x7F"},
        {"\xc2\x85\xe2\x80\xa8\xe2\x80\xae", u16(u"\u0085\u2028\u202e"), "\\u0085\\u2028\\u202E"},
        {"back\\slash", "back\\slash", "back\\\\slash"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decodePath(c.bytes), c.text) << c.bytes.toHex().constData();
        EXPECT_EQ(encodePath(c.text), c.bytes) << c.bytes.toHex().constData();
        EXPECT_EQ(displayPath(c.text), c.shown) << c.bytes.toHex().constData();
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/text/text_codec.h"

#include <gtest/gtest.h>

namespace zuk {
namespace {

QByteArray bytesOf(const char* data, qsizetype size) {
    return QByteArray(data, size);
}

// Decoding and saving back with the same mark must give the very same bytes.
void expectRoundTrip(const QByteArray& original, TextEncoding expected) {
    SCOPED_TRACE(original.toHex(' ').toStdString());
    const Result<DecodedText> decoded = decodeText(original);
    ASSERT_TRUE(decoded.ok()) << decoded.error().message().toStdString();
    EXPECT_EQ(decoded.value().encoding, expected);
    EXPECT_TRUE(canEncode(decoded.value().text, expected));
    const QByteArray saved = byteOrderMark(expected) + encodeText(decoded.value().text, expected);
    EXPECT_EQ(saved, original);
}

TEST(TextCodec, Utf8FilesRoundTripAndDecodeToTheirCharacters) {
    expectRoundTrip("", TextEncoding::Utf8);
    expectRoundTrip("plain ascii, longer than eight bytes\r\nline two\nthree\rlast",
                    TextEncoding::Utf8);
    expectRoundTrip("caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80 end of line\r\n",
                    TextEncoding::Utf8);

    const auto decoded = decodeText("a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z");
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.value().text, QStringLiteral("a\u00E9\u4E2D\U0001F600z"));
}

TEST(TextCodec, Utf8MarkIsKeptExactlyOnce) {
    expectRoundTrip("\xEF\xBB\xBFhello\r\nworld", TextEncoding::Utf8Bom);
    expectRoundTrip("\xEF\xBB\xBF", TextEncoding::Utf8Bom);
    const auto decoded = decodeText("\xEF\xBB\xBFhi");
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.value().text, QStringLiteral("hi"));
    // A second mark is text, not a mark.
    const auto twice = decodeText("\xEF\xBB\xBF\xEF\xBB\xBFx");
    ASSERT_TRUE(twice.ok());
    EXPECT_EQ(twice.value().text, QStringLiteral("\uFEFFx"));
}

TEST(TextCodec, InvalidUtf8FallsBackToOneBytePerCharacter) {
    const char* invalid[] = {
        "\xE9", // a lone Windows-1252 letter
        "caf\xE9 au lait, long enough for the fast path\xE9",
        "\xC0\xAF",             // overlong
        "\xE0\x80\xAF",         // overlong
        "\xF0\x80\x80\xAF",     // overlong
        "\xED\xA0\x80",         // a surrogate encoded in UTF-8
        "\xF4\x90\x80\x80",     // above U+10FFFF
        "\xF8\x88\x80\x80\x80", // five-byte form
        "ok \xE4\xB8",          // truncated at the end
        "\xE4\xB8x",            // truncated in the middle
        "\x80",                 // lone continuation byte
        "\x81\x8D\x8F\x90\x9D", // the five bytes Windows-1252 leaves unassigned
    };
    for (const char* bytes : invalid)
        expectRoundTrip(bytes, TextEncoding::Windows1252);

    const auto decoded = decodeText("\x80\x81\x8D\x8F\x90\x9D\x9F\xE9");
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.value().text,
              QStringLiteral("\u20AC\u0081\u008D\u008F\u0090\u009D\u0178\u00E9"));
}

TEST(TextCodec, Utf8MarkBeforeInvalidBytesBecomesCharacters) {
    const QByteArray original("\xEF\xBB\xBF"
                              "abc\xE9");
    expectRoundTrip(original, TextEncoding::Windows1252);
    const auto decoded = decodeText(original);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.value().text, QStringLiteral("\u00EF\u00BB\u00BF"
                                                   "abc\u00E9"));
}

TEST(TextCodec, Utf16WithMarkRoundTripsEvenWithLoneSurrogates) {
    // "a", U+1F600, a lone high surrogate, CR LF, "z"
    const QByteArray le = bytesOf("\xFF\xFE"
                                  "a\x00\x3D\xD8\x00\xDE\x3D\xD8\r\x00\n\x00z\x00",
                                  16);
    const QByteArray be = bytesOf("\xFE\xFF\x00"
                                  "a\xD8\x3D\xDE\x00\xD8\x3D\x00\r\x00\n\x00z",
                                  16);
    expectRoundTrip(le, TextEncoding::Utf16LE);
    expectRoundTrip(be, TextEncoding::Utf16BE);
    expectRoundTrip("\xFF\xFE", TextEncoding::Utf16LE);

    const QString expected =
        QStringLiteral("a\U0001F600") + QChar(0xD83D) + QStringLiteral("\r\nz");
    EXPECT_EQ(decodeText(le).value().text, expected);
    EXPECT_EQ(decodeText(be).value().text, expected);
    EXPECT_FALSE(canEncode(expected, TextEncoding::Utf8));
}

TEST(TextCodec, RefusesNulBytesAndOddUtf16) {
    const QByteArray notText[] = {
        bytesOf("abc\0def", 7),
        bytesOf("\0", 1),
        bytesOf("\xEF\xBB\xBF\0", 4),
        bytesOf("caf\xE9\0", 5),
        bytesOf("\xFF\xFE"
                "a\x00z",
                5),
        bytesOf("\xFE\xFF\x00", 3),
    };
    for (const QByteArray& bytes : notText) {
        const auto decoded = decodeText(bytes);
        ASSERT_FALSE(decoded.ok()) << bytes.toHex(' ').toStdString();
        EXPECT_EQ(decoded.error().message(), "ERROR: 75 Path/File access error (not text)");
    }
    // NUL code units are ordinary text in UTF-16.
    EXPECT_TRUE(decodeText(bytesOf("\xFF\xFE\0\0", 4)).ok());
}

TEST(TextCodec, CanEncodeTellsWhatAnEncodingHolds) {
    EXPECT_TRUE(
        canEncode(QStringLiteral("\u20AC \u00E9 \u0081 \u0178"), TextEncoding::Windows1252));
    EXPECT_FALSE(canEncode(QStringLiteral("\u4E2D"), TextEncoding::Windows1252));
    EXPECT_FALSE(canEncode(QStringLiteral("\u0080"), TextEncoding::Windows1252));
    EXPECT_TRUE(canEncode(QStringLiteral("\u4E2D\U0001F600"), TextEncoding::Utf8));

    const QString loneHigh = QStringLiteral("x") + QChar(0xD800);
    const QString loneLow = QString(QChar(0xDC00)) + QStringLiteral("x");
    for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Utf8Bom}) {
        EXPECT_FALSE(canEncode(loneHigh, e));
        EXPECT_FALSE(canEncode(loneLow, e));
    }
    EXPECT_TRUE(canEncode(loneHigh, TextEncoding::Utf16LE));
    EXPECT_TRUE(canEncode(loneLow, TextEncoding::Utf16BE));
}

// An empty view has no data pointer; copying from it is undefined (the sanitizer says so).
TEST(TextCodec, EncodingAnEmptyTextGivesNoBytes) {
    for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Utf8Bom, TextEncoding::Utf16LE,
                           TextEncoding::Utf16BE, TextEncoding::Windows1252})
        EXPECT_TRUE(encodeText(QStringView(), e).isEmpty());
}

TEST(TextCodec, SafeChunkEndNeverSplitsASurrogatePair) {
    const QString text = QStringLiteral("ab\U0001F600cd"); // pair at 2..3
    EXPECT_EQ(safeChunkEnd(text, 0, 2), 2);
    EXPECT_EQ(safeChunkEnd(text, 0, 3), 2);
    EXPECT_EQ(safeChunkEnd(text, 0, 4), 4);
    EXPECT_EQ(safeChunkEnd(text, 2, 1), 4); // one unit would split it: the pair goes whole
    EXPECT_EQ(safeChunkEnd(text, 4, 100), text.size());

    // Pieces encoded one by one join to the whole.
    const QString longText = QString(QStringLiteral("x\U0001F600\u00E9")).repeated(50);
    QByteArray joined;
    for (qsizetype from = 0; from < longText.size();) {
        const qsizetype end = safeChunkEnd(longText, from, 7);
        ASSERT_GT(end, from);
        joined += encodeText(QStringView(longText).mid(from, end - from), TextEncoding::Utf8);
        from = end;
    }
    EXPECT_EQ(joined, encodeText(longText, TextEncoding::Utf8));
}

} // namespace
} // namespace zuk

// Long ASCII stretches are skipped in blocks, also between characters outside ASCII: a byte
// outside ASCII is judged wherever it stands, before or after another such character.
TEST(TextCodec, ValidUtf8IsJudgedAtEveryPlaceAfterASCII) {
    const std::pair<QByteArray, bool> tails[] = {{"\xC3\xA9", true},   {"\xE2\x84\xAA", true},
                                                 {"\x80", false},      {"\xC3", false},
                                                 {"\xE9t\xE9", false}, {"\xF0\x9F\x98\x80", true}};
    for (const QByteArray& first : {QByteArray(), QByteArray("\xC3\xA9")}) {
        for (qsizetype at = 0; at < 70; ++at) {
            for (const auto& [tail, valid] : tails) {
                const QByteArray head = first + QByteArray(at, 'a');
                const QByteArray bytes = head + tail + QByteArray(40, 'b');
                EXPECT_EQ(zuk::isValidUtf8(bytes), valid)
                    << at << ' ' << tail.toHex().toStdString();
                // A character cut short is not valid.
                if (valid) {
                    EXPECT_FALSE(zuk::isValidUtf8(bytes.first(head.size() + 1))) << at;
                }
            }
        }
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/find_places.h"

#include <gtest/gtest.h>

using namespace zuk;

namespace {

Find replaced(qint64 offset, qint64 length, const QString& by) {
    return Find{offset, length, by};
}

struct PlacesCase {
    const char* name;
    QByteArray bytes;
    TextEncoding encoding;
    QList<Find> finds;
    QList<FindPlace> places;
};

} // namespace

TEST(FindPlaces, LinesColumnsAndWhatTheLineBecomes) {
    const QByteArray bom("\xEF\xBB\xBF");
    const QList<PlacesCase> cases = {
        {"first and last byte",
         "ab\nxa",
         TextEncoding::Utf8,
         {replaced(0, 1, "Z"), replaced(4, 1, "Z")},
         {{1, 1, "a", "ab", "Zb"}, {2, 2, "a", "xa", "xZ"}}},
        {"CR LF: the CR is the break's",
         "a\r\nba\r\n",
         TextEncoding::Utf8,
         {replaced(0, 1, "o"), replaced(4, 1, "o")},
         {{1, 1, "a", "a", "o"}, {2, 2, "a", "ba", "bo"}}},
        {"lone CR ends no line",
         "a\rba",
         TextEncoding::Utf8,
         {replaced(0, 1, "o"), replaced(3, 1, "o")},
         {{1, 1, "a", "a\rba", "o\rbo"}, {1, 4, "a", "a\rba", "o\rbo"}}},
        {"mark counted in the column, not shown",
         bom + "xa\n",
         TextEncoding::Utf8Bom,
         {replaced(4, 1, "é")},
         {{1, 5, "a", "xa", "xé"}}},
        {"one-byte text",
         "caf\xE9 a",
         TextEncoding::Windows1252,
         {replaced(5, 1, "b")},
         {{1, 6, "a", "café a", "café b"}}},
        {"a find across a break joins its lines",
         "xa\nby\n",
         TextEncoding::Utf8,
         {replaced(1, 3, "-")},
         {{1, 2, "a\nb", "xa\nby", "x-y"}}},
        {"search only",
         "aaa",
         TextEncoding::Utf8,
         {Find{0, 2, {}}, Find{1, 2, {}}},
         {{1, 1, "aa", "aaa", "aaa"}, {1, 2, "aa", "aaa", "aaa"}}},
        {"UTF-16: columns in bytes",
         QByteArray("\xFF\xFE"
                    "a\0\n\0x\0a\0",
                    10),
         TextEncoding::Utf16LE,
         {replaced(2, 2, "o"), replaced(8, 2, "o")},
         {{1, 3, "a", "a", "o"}, {2, 3, "a", "xa", "xo"}}},
    };
    for (const PlacesCase& c : cases)
        EXPECT_EQ(findPlaces(c.bytes, c.encoding, c.finds), c.places) << c.name;
}

TEST(FindPlaces, TextCountsCharacters) {
    const QList<FindPlace> places = findPlaces(u"é\na", {replaced(2, 1, "b")});
    EXPECT_EQ(places, (QList<FindPlace>{{2, 1, "a", "a", "b"}}));
}

TEST(FindPlaces, ReplacedBytesKeepEveryOtherByte) {
    EXPECT_EQ(replacedBytes("a\r\nb\ra", TextEncoding::Utf8,
                            {replaced(0, 1, "é"), Find{4, 1, {}}, replaced(5, 1, "")}),
              "\xC3\xA9\r\nb\r");
    EXPECT_EQ(replacedBytes("xa", TextEncoding::Windows1252, {replaced(1, 1, "é")}), "x\xE9");
}

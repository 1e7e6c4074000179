// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/preview_change.h"

#include <gtest/gtest.h>

using namespace zuk;

namespace {

// A hunk as "N:text" lines, each mark in brackets: before | removed | added | after; "~"
// first when it goes on from the hunk before.
QString shown(const ChangeHunk& hunk) {
    const auto lines = [](const QList<ChangeLine>& lines) {
        QStringList out;
        for (const ChangeLine& line : lines) {
            QString text = line.text;
            for (auto it = line.marks.crbegin(); it != line.marks.crend(); ++it)
                text.insert(it->start + it->length, u']').insert(it->start, u'[');
            out.append(QString("%1:%2").arg(line.number).arg(text));
        }
        return out.join(',');
    };
    return QStringList{(hunk.follows ? "~" : "") + lines(hunk.before), lines(hunk.removed),
                       lines(hunk.added), lines(hunk.after)}
        .join(" | ");
}

} // namespace

TEST(PreviewChange, HunksShowChangedLinesWithContext) {
    struct Case {
        const char* name;
        QString text;
        QList<TextFind> finds;
        QStringList hunks;
    };
    const QString ten = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10";
    const QList<Case> cases = {
        {"one find", ten, {{8, 1, "five"}}, {"3:3,4:4 | 5:[5] | 5:[five] | 6:6,7:7"}},
        {"no line after the last break", "a\n", {{0, 1, "b"}}, {" | 1:[a] | 1:[b] | "}},
        {"first line, CR LF kept out", "ab\r\nc", {{0, 1, "X"}}, {" | 1:[a]b | 1:[X]b | 2:c"}},
        {"two finds on a line",
         "a a\nb",
         {{0, 1, "x"}, {2, 1, "yy"}},
         {" | 1:[a] [a] | 1:[x] [yy] | 2:b"}},
        {"unticked find stays",
         "a a",
         {{0, 1, std::nullopt}, {2, 1, "x"}},
         {" | 1:a [a] | 1:a [x] | "}},
        {"near finds share no line",
         ten,
         {{2, 1, "x"}, {8, 1, "y"}},
         {"1:1 | 2:[2] | 2:[x] | 3:3,4:4", "~ | 5:[5] | 5:[y] | 6:6,7:7"}},
        {"a break added renumbers",
         ten,
         {{0, 1, "a\nb"}, {18, 2, "z"}},
         {" | 1:[1] | 1:[a],2:[b] | 3:2,4:3", "8:8,9:9 | 10:[10] | 11:[z] | "}},
        {"a find across a break", "ab\ncd\ne", {{1, 3, "-"}}, {" | 1:a[b],2:[c]d | 1:a[-]d | 2:e"}},
    };
    for (const Case& c : cases) {
        QStringList hunks;
        for (const ChangeHunk& hunk : changeHunks(c.text, c.finds, 2))
            hunks.append(shown(hunk));
        EXPECT_EQ(hunks.join(" ;; ").toStdString(), c.hunks.join(" ;; ").toStdString()) << c.name;
    }
}

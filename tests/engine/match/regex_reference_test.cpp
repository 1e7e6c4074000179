// SPDX-License-Identifier: GPL-3.0-or-later
// The regular expression search against a reference, Python's re (see regex_reference.py), on
// random texts with every form of line break, searched as characters, UTF-8 and one-byte text,
// with and without case and whole words. The texts hold no combining marks, the one place where
// Python's word characters differ from ours.
#include "engine/match/regex_search.h"
#include "engine/text/text_codec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace zuk;

namespace {

const char16_t* const kExpressions[] = {
    u"a",
    u"a+",
    u"^a",
    u"a$",
    u"^",
    u"$",
    u"^$",
    u".",
    u".+",
    u"a.b",
    u"a\\nb",
    u"\\n",
    u"\\n+",
    u"[ab]+",
    u"[^a]+",
    u"[^\\n]+",
    u"(a|b)c",
    u"(a)|(b)",
    u"(?P<x>a+)(b)?",
    u"a*",
    u"x*",
    u"b*?",
    u"(?:ab|a)(c)?",
    u"^[a-c]+$",
    u".$",
    u"^.",
    u"a\\n^b",
    u"$\\n^",
    u"\u00e9+",
    u"[\u00e9a]+",
    u"(\u00c9|a)+",
    u"\\n$",
    u"(^|b)a",
    u"a($|b)",
    u"\U0001F600.",
    u"[^ab]",
    u"1?_",
    u" +$",
    u"(a|ab)(c|bcd)?",
    u"(.)\\n(.)",
    u"^(.*)$",
    u"[\\n ]+",
    u"a{2}|b{1,2}",
    u"(?:a|\\n)+?b",
    u"[a-cA-C]+",
    // Expressions holding a text that is sought first.
    u"ab",
    u"ab[^\\n]*c",
    u"(a|b)c_",
    u"x?ab_?",
    u"[1x]Ab$",
    u"b\u00e9?1 ",
};

const char16_t* const kPieces[] = {u"a",  u"b",  u"c", u"\u00e9",    u"\u00c9", u"_",
                                   u" ",  u"1",  u"x", u"A",         u"\n",     u"\r\n",
                                   u"\r", u"\n", u"B", u"\U0001F600"};

QString randomText(std::mt19937& random) {
    std::uniform_int_distribution<int> length(0, 16);
    std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
    QString text;
    for (int n = length(random); n > 0; --n)
        text += QString::fromUtf16(kPieces[piece(random)]);
    return text;
}

struct Case {
    QString expression;
    bool ignoreCase;
    bool wholeWords;
    QString text;
};

// Each match, replaced in turn, as its start, end and the start and end of each group, in code
// points of the text.
using Matches = QList<QList<qsizetype>>;

Matches allMatches(const RegexSearch& search, const std::function<qsizetype(qsizetype)>& toPoints) {
    Matches matches;
    qsizetype from = 0;
    bool afterMatch = false;
    for (RegexMatch m = search.find(from, afterMatch, true); m.found();
         m = search.find(from, afterMatch, true)) {
        QList<qsizetype> spans;
        for (const RegexPattern::Span& group : m.groups) {
            spans << (group.found() ? toPoints(group.begin) : -1)
                  << (group.found() ? toPoints(group.end) : -1);
        }
        matches << spans;
        from = m.position + m.length;
        afterMatch = true;
    }
    return matches;
}

std::string shown(const Matches& matches) {
    QStringList list;
    for (const QList<qsizetype>& spans : matches) {
        QStringList numbers;
        for (qsizetype n : spans)
            numbers << QString::number(n);
        list << u'[' + numbers.join(u',') + u']';
    }
    return list.join(u' ').toStdString();
}

QString escaped(const QString& text) {
    return QString(text)
        .replace(u'\r', QStringLiteral("\\r"))
        .replace(u'\n', QStringLiteral("\\n"));
}

// Python's matches for each case, or an empty list when python3 can't be run.
QList<Matches> referenceMatches(const QList<Case>& cases) {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        return {};
    QJsonArray input;
    for (const Case& c : cases) {
        input.append(QJsonObject{{"pattern", c.expression},
                                 {"ignoreCase", c.ignoreCase},
                                 {"wholeWords", c.wholeWords},
                                 {"text", c.text}});
    }
    QProcess process;
    process.start(python, {QStringLiteral(ZUK_TESTS_DIR "/engine/match/regex_reference.py")});
    process.write(QJsonDocument(input).toJson(QJsonDocument::Compact));
    process.closeWriteChannel();
    if (!process.waitForFinished(120'000) || process.exitCode() != 0) {
        ADD_FAILURE() << process.readAllStandardError().toStdString();
        return {};
    }
    QList<Matches> all;
    for (const QJsonValue& perCase :
         QJsonDocument::fromJson(process.readAllStandardOutput()).array()) {
        Matches matches;
        for (const QJsonValue& match : perCase.toArray()) {
            QList<qsizetype> spans;
            for (const QJsonValue& n : match.toArray())
                spans << qsizetype(n.toInteger());
            matches << spans;
        }
        all << matches;
    }
    return all;
}

} // namespace

TEST(RegexReference, FindsWhatPythonFindsInEveryFormOfText) {
    std::mt19937 random(20251);
    QList<Case> cases;
    for (const char16_t* expression : kExpressions) {
        for (int n = 0; n < 120; ++n)
            cases.append(
                {QString::fromUtf16(expression), n % 2 == 1, n % 4 >= 2, randomText(random)});
    }
    const QList<Matches> expected = referenceMatches(cases);
    if (expected.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    ASSERT_EQ(expected.size(), cases.size());

    QMap<std::pair<QString, int>, std::shared_ptr<const RegexPattern>> patterns;
    int compared = 0;
    int asciiOnly = 0;
    for (qsizetype k = 0; k < cases.size(); ++k) {
        const Case& c = cases[k];
        const int flags = c.ignoreCase + 2 * c.wholeWords;
        if (!patterns.contains({c.expression, flags})) {
            auto compiled = RegexPattern::compile(
                c.expression, c.ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive, c.wholeWords);
            ASSERT_TRUE(compiled) << compiled.error().description.toStdString();
            patterns[{c.expression, flags}] = compiled.value();
        }
        const std::shared_ptr<const RegexPattern> pattern = patterns[{c.expression, flags}];
        const QString context = escaped(c.expression) + QStringLiteral(" in \"") + escaped(c.text) +
                                u'"' +
                                (c.wholeWords ? QStringLiteral(" (whole words)") : QString());

        const Matches inText =
            allMatches(RegexSearch(pattern, RegexText::ofText(c.text)),
                       [&](qsizetype at) { return c.text.left(at).toUcs4().size(); });
        EXPECT_EQ(shown(inText), shown(expected[k])) << "characters: " << context.toStdString();

        const QByteArray utf8 = c.text.toUtf8();
        const Matches inUtf8 =
            allMatches(RegexSearch(pattern, RegexText::ofUtf8(utf8)), [&](qsizetype at) {
                return QString::fromUtf8(utf8.left(at)).toUcs4().size();
            });
        EXPECT_EQ(shown(inUtf8), shown(expected[k])) << "UTF-8: " << context.toStdString();

        if (canEncode(c.text, TextEncoding::Windows1252)) {
            const QByteArray oneByte = encodeText(c.text, TextEncoding::Windows1252);
            const Matches inOneByte =
                allMatches(RegexSearch(pattern, RegexText::ofOneByte(oneByte)),
                           [](qsizetype at) { return at; });
            EXPECT_EQ(shown(inOneByte), shown(expected[k]))
                << "one byte: " << context.toStdString();
            // Read as UTF-8, where it may not be, when that finds the same.
            if (pattern->findsAsciiOnly()) {
                const Matches asUtf8 = allMatches(RegexSearch(pattern, RegexText::ofUtf8(oneByte)),
                                                  [](qsizetype at) { return at; });
                EXPECT_EQ(shown(asUtf8), shown(expected[k]))
                    << "one byte as UTF-8: " << context.toStdString();
                ++asciiOnly;
            }
        }
        ++compared;
    }
    EXPECT_EQ(compared, cases.size());
    EXPECT_GT(asciiOnly, 300);
}

// An expression that can't match a line break finds in each line alone what it finds in the
// whole text, which is what lets a file stream line by line.
TEST(RegexReference, LineByLineFindsWhatTheWholeTextFinds) {
    std::mt19937 random(7);
    int lineByLine = 0;
    for (const char16_t* expression : kExpressions) {
        for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
            const auto pattern = RegexPattern::compile(QString::fromUtf16(expression), cs, false);
            ASSERT_TRUE(pattern);
            if (pattern.value()->canMatchLineBreak())
                continue;
            ++lineByLine;
            for (int n = 0; n < 60; ++n) {
                const QString text = randomText(random);
                const auto same = [](qsizetype at) { return at; };
                const Matches whole =
                    allMatches(RegexSearch(pattern.value(), RegexText::ofText(text)), same);
                Matches byLines;
                for (qsizetype start = 0;;) {
                    qsizetype end = start;
                    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
                        ++end;
                    const QString line = text.sliced(start, end - start);
                    for (QList<qsizetype> spans :
                         allMatches(RegexSearch(pattern.value(), RegexText::ofText(line)), same)) {
                        for (qsizetype& at : spans)
                            at = at < 0 ? at : at + start;
                        byLines << spans;
                    }
                    if (end == text.size())
                        break;
                    start = end + (text.mid(end, 2) == u"\r\n" ? 2 : 1);
                }
                EXPECT_EQ(shown(byLines), shown(whole))
                    << escaped(QString::fromUtf16(expression)).toStdString() << " in \""
                    << escaped(text).toStdString() << '"';
            }
        }
    }
    EXPECT_GT(lineByLine, 40);
}

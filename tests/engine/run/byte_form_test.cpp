// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/commit_sink.h"
#include "engine/run/replacement_routines.h"
#include "engine/text/text_codec.h"
#include "support/edits.h"
#include "support/function_yield.h"
#include "support/temp_files.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

// The byte form searches ASCII patterns in UTF-8 files on the assumption that only these two
// characters outside ASCII fold to an ASCII letter.
TEST(ByteForm, OnlyKelvinSignAndLongSFoldIntoAscii) {
    QList<char32_t> folding;
    for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
        if (QChar::toCaseFolded(c) < 0x80)
            folding.append(c);
    }
    EXPECT_EQ(folding, (QList<char32_t>{0x17F, 0x212A}));
}

// Files searched through their bytes give exactly what the characters give: same counts, same
// resulting bytes, whatever the case and search-only switches do between finds.
TEST(ByteForm, GivesTheSameResultsAsTheCharacters) {
    QTemporaryDir dir;
    QRandomGenerator random(20261208);
    const QList<QString> pieces = {"a",
                                   "A",
                                   "k",
                                   "K",
                                   "s",
                                   "S",
                                   " ",
                                   "\r",
                                   "\n",
                                   "\r\n",
                                   "ab",
                                   QStringLiteral("é"),
                                   QStringLiteral("\u212A"),
                                   QStringLiteral("\u017F"),
                                   QStringLiteral("中")};
    const QList<QString> patternPieces = {"a", "A", "k", "s", " ", "\r\n", "\n", "b"};
    const auto randomText = [&](const QList<QString>& from, int maxPieces) {
        QString text;
        const int n = 1 + random.bounded(maxPieces);
        for (int i = 0; i < n; ++i)
            text += from[random.bounded(from.size())];
        return text;
    };
    int heldBytes = 0;
    int changed = 0;
    for (int round = 0; round < 400; ++round) {
        const bool latin = round % 3 == 0;
        QString subject = randomText(pieces, 40);
        if (latin)
            subject.remove(QStringLiteral("中")).remove(u'\u212A').remove(u'\u017F');
        const QString pattern = randomText(patternPieces, 3);
        const QString replacement = randomText({"x", "Y", "\n", "", QStringLiteral("é")}, 2);
        const QByteArray bytes = latin ? subject.toLatin1() : subject.toUtf8();
        const QString path = dir.filePath(QString("f%1.txt").arg(round));
        writeBytes(path, bytes);

        // The same switch changes at the same finds for both forms.
        const int seed = random.bounded(1000);
        struct Outcome {
            qint64 result;
            QString text;
            bool changed;
            bool heldBytes;
        };
        const auto runOnce = [&](bool fromFile) {
            ValueRunOptions options;
            RunState state;
            FunctionYield yield([&](int call) {
                options.values.caseSensitive = (seed + call) % 3 == 0 ? 1 : 0;
                options.values.searchOnly = (seed + call) % 4 == 0 ? 1 : 0;
            });
            options.values.caseSensitive = seed % 2;
            ReplacementRoutines routines(options, state, yield);
            Edit edit = fromFile ? routines.CleanFileCRLF(path, pattern, replacement)
                                 : routines.CleanTextCRLF(subject, pattern, replacement);
            EXPECT_FALSE(edit.result.failed()) << round;
            Outcome outcome{edit.result.finds(), textAfter(edit, subject), edit.changed,
                            edit.changed && (edit.streamed || edit.text.holdsBytes())};
            if (fromFile && edit.changed) {
                EXPECT_TRUE(writeEdit(edit)) << round;
                outcome.text = decodeText(readBytes(path)).value().text;
            }
            return outcome;
        };
        const Outcome bytesForm = runOnce(true);
        const Outcome characters = runOnce(false);
        ASSERT_EQ(bytesForm.result, characters.result)
            << round << " pattern " << pattern.toStdString() << " in " << subject.toStdString();
        ASSERT_EQ(bytesForm.text, characters.text)
            << round << " pattern " << pattern.toStdString() << " in " << subject.toStdString()
            << " into " << replacement.toStdString();
        changed += bytesForm.changed ? 1 : 0;
        heldBytes += bytesForm.heldBytes ? 1 : 0;
    }
    // Most rounds that changed their file really went through the bytes.
    EXPECT_GT(heldBytes, changed * 3 / 4) << heldBytes << " of " << changed;
}

// Files streamed through a buffer much smaller than themselves, so that finds straddle its
// refills, write what the characters give; one that ends as it began is not written.
TEST(ByteForm, StreamedFilesGiveTheSameResultsAsTheCharacters) {
    QTemporaryDir dir;
    QRandomGenerator random(15);
    const QList<QString> pieces = {"ab",
                                   "aB",
                                   "k",
                                   "S",
                                   " ",
                                   "\r",
                                   "\n",
                                   "\r\n",
                                   "xyz",
                                   QStringLiteral("é"),
                                   QStringLiteral("\u212A"),
                                   QStringLiteral("中")};
    const QList<QString> patternPieces = {"a", "B", "k", "s", " ", "\r\n", "\n", "b", "ab"};
    const auto randomText = [&](const QList<QString>& from, int n) {
        QString text;
        for (int i = 0; i < n; ++i)
            text += from[random.bounded(from.size())];
        return text;
    };
    int unchanged = 0;
    for (int round = 0; round < 300; ++round) {
        const bool latin = round % 3 == 0;
        QString subject = randomText(pieces, 40 + random.bounded(300));
        if (latin)
            subject.remove(QStringLiteral("中")).remove(u'\u212A');
        if (round % 4 == 1)
            subject.remove(u'k').remove(u'\u212A');
        const QByteArray mark = round % 5 == 2 && !latin ? QByteArray("\xEF\xBB\xBF") : "";
        const QByteArray bytes = mark + (latin ? subject.toLatin1() : subject.toUtf8());
        const QString pattern = randomText(patternPieces, 1 + random.bounded(4));
        const QString replacement =
            randomText({"x", "Y", "\n", "", "ab", QStringLiteral("é")}, random.bounded(3));
        const QString path = dir.filePath(QString("s%1.txt").arg(round));
        writeBytes(path, bytes);

        const int seed = random.bounded(1000);
        const auto run = [&](bool fromFile, QString& text) {
            ValueRunOptions options;
            RunState state;
            FunctionYield yield([&](int call) {
                options.values.caseSensitive = (seed + call) % 3 == 0 ? 1 : 0;
                options.values.searchOnly = (seed + call) % 7 == 0 ? 1 : 0;
            });
            options.values.caseSensitive = seed % 2;
            ReplacementRoutines routines(options, state, yield);
            routines.setStreamBufferSize(16);
            if (!fromFile) {
                const Edit edit = routines.CleanText(subject, pattern, replacement);
                text = textAfter(edit, subject);
                return edit.result.finds();
            }
            Edit edit = routines.CleanFile(path, pattern, replacement);
            const qint64 result = edit.result.finds();
            if (edit.changed) {
                EXPECT_TRUE(writeEdit(edit).ok()) << round;
            }
            const QByteArray written = readBytes(path);
            unchanged += written == bytes ? 1 : 0;
            text = decodeText(written).value().text;
            return result;
        };
        QString streamed, characters;
        const qint64 streamedResult = run(true, streamed);
        const qint64 charactersResult = run(false, characters);
        ASSERT_EQ(streamedResult, charactersResult)
            << round << " pattern " << pattern.toStdString() << " in " << subject.toStdString();
        ASSERT_EQ(streamed, characters)
            << round << " pattern " << pattern.toStdString() << " in " << subject.toStdString();
    }
    EXPECT_GT(unchanged, 10);
}

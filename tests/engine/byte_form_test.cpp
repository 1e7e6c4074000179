#include "engine/headless_run_window.h"
#include "engine/replacement_routines.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"
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
            qint32 result;
            QString text;
            bool heldBytes;
        };
        const auto runOnce = [&](bool fromFile) {
            ValueRunOptions options;
            RunState state;
            HeadlessRunWindow window;
            ScriptedPrompter prompter;
            FunctionYield yield([&](int call) {
                options.values.caseSensitive = (seed + call) % 3 == 0 ? 1 : 0;
                options.values.searchOnly = (seed + call) % 4 == 0 ? 1 : 0;
            });
            options.values.caseSensitive = seed % 2;
            ReplacementRoutines routines(options, state, window, prompter, yield);
            qint32 result;
            if (fromFile) {
                result = routines.CleanFileCRLF(path, pattern, replacement);
            } else {
                window.buffer.setText(subject);
                result = routines.CleanTextCRLF(pattern, replacement);
            }
            return Outcome{result, window.buffer.text(), window.buffer.holdsBytes()};
        };
        const Outcome bytesForm = runOnce(true);
        const Outcome characters = runOnce(false);
        ASSERT_EQ(bytesForm.result, characters.result)
            << round << " pattern " << pattern.toStdString() << " in " << subject.toStdString();
        ASSERT_EQ(bytesForm.text, characters.text) << round;
        heldBytes += bytesForm.heldBytes ? 1 : 0;
    }
    EXPECT_GT(heldBytes, 300); // most rounds really went through the bytes
}

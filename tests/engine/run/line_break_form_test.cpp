// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/replacement_routines.h"
#include "support/edits.h"
#include "support/function_yield.h"
#include "support/temp_files.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

namespace {

class LineBreakForm : public ::testing::Test {
protected:
    QString replaced(const QString& subject, const QString& find, const QString& replace) {
        return textAfter(routines.CleanText(subject, find, replace), subject);
    }

    ValueRunOptions options;
    RunState state;
    FunctionYield yield;
    ReplacementRoutines routines{options, state, yield};
};

qsizetype lineBreaks(const QString& text) {
    return text.count(u'\r') + text.count(u'\n') - text.count(QStringLiteral("\r\n"));
}

} // namespace

TEST_F(LineBreakForm, InsertedBreaksFollowTheMatchAndNeverMergeWithANeighbour) {
    const struct {
        const char* subject;
        const char* find;
        const char* replace;
        const char* expected;
    } cases[] = {
        // No break covered: the text's first form, as long as it joins nothing.
        {"a\r\nb X", "X", "1\n2", "a\r\nb 1\r\n2"},
        // A CR before an LF of the text would make one break of two.
        {"a\rX\nb", "X", "Y\n", "a\rY\r\n\nb"},
        // An LF after a CR of the text.
        {"p\nq\rX", "X", "\nY", "p\nq\r\r\nY"},
        // The breaks the match covered give their forms in order; further ones take the last.
        {"p\nq\r\nA\r\nB", "A\nB", "C\nD", "p\nq\r\nC\r\nD"},
        {"A\rB\nC", "A\nB\nC", "1\n2\n3\n4", "1\r2\n3\n4"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(replaced(c.subject, c.find, c.replace), c.expected) << c.subject;
}

// Whatever the mix of forms, a replacement that isn't empty changes the number of line breaks
// only by what it adds or removes.
TEST_F(LineBreakForm, TheNumberOfLineBreaksChangesOnlyByTheReplacement) {
    QRandomGenerator random(1610);
    const QStringList pieces = {"a", "X", "\r", "\n", "\r\n"};
    const QStringList finds = {"X", "X\nX", "\nX", "X\n", "\n"};
    const QStringList replacements = {"\n", "Y\n", "\nY", "\n\n", "\r\nY\r"};
    for (int round = 0; round < 500; ++round) {
        QString subject;
        for (int i = random.bounded(1, 12); i > 0; --i)
            subject += pieces[random.bounded(pieces.size())];
        const QString find = finds[random.bounded(finds.size())];
        const QString replace = replacements[random.bounded(replacements.size())];
        const Edit edit = routines.CleanText(subject, find, replace);
        const qint64 found = edit.result.finds();
        ASSERT_EQ(lineBreaks(textAfter(edit, subject)),
                  lineBreaks(subject) + found * (lineBreaks(replace) - lineBreaks(find)))
            << round;
    }
}

// A later entry finds what an earlier one inserted and turns it back: the text ends as it
// began, and is not written.
TEST_F(LineBreakForm, ATextTurnedBackByTheVariantsIsNotChanged) {
    QTemporaryDir dir;
    const QString path = dir.filePath("blanks.txt");
    const QByteArray blanks =
        QByteArray(5, ' ') + '\r' + QByteArray(4, ' ') + '\r' + QByteArray(6, ' ');
    writeBytes(path, blanks);
    const Edit edit = routines.CleanFileCRLF(path, QString(8, u' '), "    \r   ");
    EXPECT_EQ(edit.result.finds(), 7);
    EXPECT_FALSE(edit.changed);
}

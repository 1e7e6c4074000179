// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/progress_line.h"
#include "cli/terminal_prompter.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace zuk;

namespace {

struct Terminal {
    QString written;
    QStringList asked;
    QList<std::optional<QString>> answers;

    TerminalPrompter prompter(bool assumeYes) {
        return TerminalPrompter(
            assumeYes, [this](const QString& text) { written += text; },
            [this](const QString& question) -> std::optional<QString> {
                asked.append(question);
                return answers.isEmpty() ? std::nullopt : answers.takeFirst();
            });
    }
};

Message confirmation() {
    return Message{"Sure?\r\n\r\nReally?",
                   MessageButtons::YesNo,
                   MessageIcon::Critical,
                   MessageResult::No,
                   "Warning",
                   {}};
}

} // namespace

TEST(TerminalPrompter, MessagesGoOutWithTheirFileAndPlainLineBreaks) {
    Terminal terminal;
    TerminalPrompter prompter = terminal.prompter(false);
    prompter.inform("ZUK Done");
    prompter.inform("ERROR: 70 Permission denied", "/site/a.htm");
    prompter.inform("Could not read /site/b.htm", "/site/b.htm"); // already named: not twice
    prompter.inform("one\r\n\r\ntwo");
    EXPECT_EQ(terminal.written, "ZUK Done\n"
                                "/site/a.htm: ERROR: 70 Permission denied\n"
                                "Could not read /site/b.htm\n"
                                "one\n\ntwo\n");
    EXPECT_TRUE(terminal.asked.isEmpty());
}

TEST(TerminalPrompter, ConfirmationIsAskedOnTheTerminalAndNoIsTheDefault) {
    Terminal terminal;
    terminal.answers = {QString("y"), QString(" YES "), QString(""), QString("n"), QString("yep")};
    TerminalPrompter prompter = terminal.prompter(false);
    EXPECT_EQ(prompter.show(confirmation()), MessageResult::Yes);
    EXPECT_EQ(prompter.show(confirmation()), MessageResult::Yes);
    EXPECT_EQ(prompter.show(confirmation()), MessageResult::No);
    EXPECT_EQ(prompter.show(confirmation()), MessageResult::No);
    EXPECT_EQ(prompter.show(confirmation()), MessageResult::No);
    ASSERT_EQ(terminal.asked.size(), 5);
    EXPECT_EQ(terminal.asked.front(), "Warning: Sure?\n\nReally?\n[y/N] ");
    EXPECT_FALSE(prompter.noTerminal());
    EXPECT_TRUE(terminal.written.isEmpty());
}

TEST(TerminalPrompter, WithoutATerminalTheAnswerIsNoAndSaysWhy) {
    Terminal terminal;
    TerminalPrompter prompter = terminal.prompter(false);
    EXPECT_EQ(prompter.show(confirmation()), MessageResult::No);
    EXPECT_TRUE(prompter.noTerminal());
    EXPECT_TRUE(terminal.written.contains("--yes"));
}

TEST(ProgressLine, RedrawsAtMostTenTimesASecondAndClearsOnce) {
    QStringList drawn;
    qint64 now = 1000;
    ProgressLine line(
        true, 80, [&](const QString& t) { drawn.append(t); }, [&] { return now; });
    line.update({1, 0, 0}, "/a");
    now += 50;
    line.update({2, 1, 1}, "/b"); // too soon
    now += 50;
    line.update({3, 1, 1}, "/c");
    ASSERT_EQ(drawn.size(), 2);
    EXPECT_EQ(drawn[0], "\r\x1b[KSearched 1  Changed 0  Replaced 0  /a");
    EXPECT_EQ(drawn[1], "\r\x1b[KSearched 3  Changed 1  Replaced 1  /c");
    line.clear();
    line.clear();
    EXPECT_EQ(drawn.size(), 3);
    EXPECT_EQ(drawn[2], "\r\x1b[K");

    ProgressLine off(
        false, 80, [&](const QString& t) { drawn.append(t); }, [&] { return now; });
    off.update({1, 1, 1}, "/d");
    off.clear();
    EXPECT_EQ(drawn.size(), 3);
}

TEST(ProgressLine, ALongPathGivesWayFromItsStart) {
    const QString text = ProgressLine::text({12, 3, 4}, "/very/long/path/to/the/file.htm", 50);
    EXPECT_EQ(text.size(), 49);
    EXPECT_TRUE(text.startsWith("Searched 12  Changed 3  Replaced 4  ..."));
    EXPECT_TRUE(text.endsWith("file.htm"));
    EXPECT_EQ(ProgressLine::text({1, 2, 3}, "/x", 20).size(), 19);
}

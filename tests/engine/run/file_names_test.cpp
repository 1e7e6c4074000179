// SPDX-License-Identifier: GPL-3.0-or-later
// A run over real names that are not UTF-8, and over several names of one file.
#include "backup/make_backup.h"
#include "engine/files/path_bytes.h"
#include "engine/run/headless_run_window.h"
#include "engine/run/search_run.h"
#include "support/byte_paths.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

namespace {

class NamesRun : public ::testing::Test {
protected:
    NamesRun() {
        makeDirectoryAt(site);
        options.values.searchText = "a";
        options.values.replaceText = "ab"; // a second edit would show as "abb"
        options.values.allTypes = 1;
        options.values.path = decodePath(site) + "/";
    }
    ~NamesRun() override { removeTreeAt(site); }
    QByteArray at(const QByteArray& name) const { return site + '/' + name; }

    QTemporaryDir dir;
    QByteArray site = QFile::encodeName(dir.filePath("site"));
    QString logPath = dir.filePath("log.txt");
    ValueRunOptions options;
    RunState state;
    HeadlessRunWindow window;
    ScriptedPrompter prompter;
    FunctionYield yield;
    ActivityLog log{logPath, [] { return QDateTime(QDate(2026, 12, 8), QTime(9, 30, 5)); },
                    QLocale::c()};
    SearchRun run{options, state, window, prompter, yield, log, MakeBackup};
};

} // namespace

TEST_F(NamesRun, NamesThatAreNotUtf8AreWalkedEditedAndLoggedAsTheirOwnBytes) {
    const QList<QByteArray> files = {"caf\xe9.htm", "caf\xef\xbf\xbd.htm", "d\xff/x.htm",
                                     "d\xff/deep\xfe/y.htm", "z/deeper/w.htm"};
    for (const char* folder : {"d\xff", "d\xff/deep\xfe", "z", "z/deeper"})
        makeDirectoryAt(at(folder));
    for (const QByteArray& file : files)
        writeAt(at(file), "a");
    options.values.subDirectories = Checked;
    options.values.logChanges = Checked;
    QStringList shown;
    yield.action = [&](int) { shown.append(window.currentPath); };

    EXPECT_EQ(run.start(), RunOutcome::Completed);
    for (const QByteArray& file : files)
        EXPECT_EQ(readAt(at(file)), "ab") << file.toHex().constData();
    EXPECT_EQ(window.counters, (RunCounters{5, 5, 5}));
    const QString latin1 = displayPath(decodePath(site)) + "/caf\\xE9.htm";
    EXPECT_TRUE(shown.contains(latin1));
    const QString logged = QString::fromUtf8(readAt(QFile::encodeName(logPath)));
    EXPECT_TRUE(logged.contains("      1 ~ " + latin1 + "\r\n")) << logged.toStdString();
    EXPECT_TRUE(logged.contains("/d\\xFF/deep\\xFE/y.htm\r\n"));
}

TEST_F(NamesRun, ASecondNameOfAFileIsPassedOverAndCountedOnce) {
    options.values.searchText = "foo";
    options.values.replaceText = "foo bar";
    const struct {
        const char* what;
        CheckValue backups;
        QList<std::pair<QByteArray, QByteArray>> links; // name -> destination
    } cases[] = {
        {"a link beside its target", Unchecked, {{"link.htm", "page.htm"}}},
        {"the same with backups", Checked, {{"link.htm", "page.htm"}}},
        {"two links to a file outside", Unchecked, {{"one.htm", "../out"}, {"two.htm", "../out"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        removeTreeAt(site);
        makeDirectoryAt(site);
        writeAt(site + "/../out", "x foo");
        if (c.links.front().second == "page.htm")
            writeAt(at("page.htm"), "x foo");
        for (const auto& [name, destination] : c.links)
            linkAt(destination, at(name));
        options.values.makeBackups = c.backups;

        EXPECT_EQ(run.start(), RunOutcome::Completed);
        EXPECT_EQ(window.counters, (RunCounters{1, 1, 1}));
        const QByteArray edited =
            c.links.front().second == "page.htm" ? at("page.htm") : site + "/../out";
        if (c.backups == Unchecked) {
            EXPECT_EQ(readAt(edited), "x foo bar");
        }
        for (const auto& [name, destination] : c.links)
            EXPECT_NE(readAt(at(name)), "x foo bar bar");
    }
}

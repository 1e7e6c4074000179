// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_command.h"
#include "cli/cli_journal.h"
#include "engine/run/run_option_table.h"
#include "support/temp_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

namespace {

const QString kCwd = "/work/here";

Result<CliCommand> parse(QStringList arguments) {
    arguments.prepend("zuk-cli");
    return parseCommandLine(arguments, kCwd);
}

RunOptionValues values(const QStringList& arguments) {
    Result<CliCommand> parsed = parse(arguments);
    EXPECT_TRUE(parsed.ok()) << (parsed ? "" : parsed.error().description.toStdString());
    return parsed ? parsed.value().values : RunOptionValues{};
}

} // namespace

TEST(CliCommand, DefaultsToADirectoryRunOverAllTypesWithARelativePathMadeAbsolute) {
    const Result<CliCommand> parsed = parse({"--search", "a", "site/"});
    ASSERT_TRUE(parsed.ok());
    const CliCommand& c = parsed.value();
    EXPECT_EQ(c.kind, CliCommand::Kind::Run);
    EXPECT_FALSE(c.assumeYes);
    EXPECT_FALSE(c.values.optText);
    EXPECT_FALSE(c.values.optFile);
    EXPECT_EQ(c.values.path, "/work/here/site/"); // the trailing separator is kept
    EXPECT_EQ(c.values.searchText, "a");
    EXPECT_EQ(c.values.replaceText, "");
    EXPECT_EQ(c.values.allTypes, 1);
    EXPECT_EQ(c.values.customType, 0);
    for (CheckValue v : {c.values.subDirectories, c.values.caseSensitive, c.values.searchOnly,
                         c.values.makeBackups, c.values.logChanges, c.values.doAllCrlf,
                         c.values.keepSpaceLeft, c.values.keepSpaceRight})
        EXPECT_EQ(v, 0);
    EXPECT_EQ(c.values.fileTypes, FileTypeValues{});

    EXPECT_EQ(values({"-s", "a", "./x/../site"}).path, "/work/here/site");
    EXPECT_EQ(values({"-s", "a", "/abs/./as typed"}).path, "/abs/./as typed");
    EXPECT_EQ(values({"-s", "a", "-m", "text", "label"}).path, "label"); // text mode: just a label
    EXPECT_FALSE(c.paths);
}

TEST(CliCommand, SeveralPathsAreEachMadeAbsolute) {
    const Result<CliCommand> parsed = parse({"-s", "a", "site/", "/abs", "x/../b.htm"});
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.value().paths, QStringList({"/work/here/site/", "/abs", "/work/here/b.htm"}));
    EXPECT_TRUE(parsed.value().values.optAll);
}

TEST(CliCommand, EveryFlagSetsItsOption) {
    const Result<CliCommand> parsed = parse(
        {"--search", "-a", "--replace=b", "--mode", "file", "--subdirs", "--case", "--search-only",
         "--backup", "--log", "--crlf", "--keep-left", "--keep-right", "--yes", "f.htm"});
    ASSERT_TRUE(parsed.ok());
    const RunOptionValues& v = parsed.value().values;
    EXPECT_EQ(v.searchText, "-a"); // a value may start with a dash
    EXPECT_EQ(v.replaceText, "b");
    EXPECT_TRUE(v.optFile);
    EXPECT_FALSE(v.optText);
    EXPECT_EQ(v.path, "/work/here/f.htm");
    for (CheckValue c : {v.subDirectories, v.caseSensitive, v.searchOnly, v.makeBackups,
                         v.logChanges, v.doAllCrlf, v.keepSpaceLeft, v.keepSpaceRight})
        EXPECT_EQ(c, 1);
    EXPECT_TRUE(parsed.value().assumeYes);
    EXPECT_TRUE(values({"-s", "a", "-m", "text"}).optText);
}

TEST(CliCommand, TypeAndExtensionChooseTheTypes) {
    RunOptionValues v = values({"-s", "a", "--type", "HTM,php", "--type", "txt", "d"});
    EXPECT_EQ(v.allTypes, 0);
    FileTypeValues chosen{};
    for (const char16_t* name : {u"htm", u"php", u"txt"})
        chosen[*fileTypeNamed(name)] = 1;
    EXPECT_EQ(v.fileTypes, chosen);
    EXPECT_EQ(v.customType, 0);

    v = values({"-s", "a", "--ext", ".inc", "d"});
    EXPECT_EQ(v.allTypes, 0);
    EXPECT_EQ(v.customType, 1);
    EXPECT_EQ(v.customExtension, ".inc");
    // A malformed extension is the run's to refuse, with its own message.
    EXPECT_EQ(values({"-s", "a", "--ext", "inc", "d"}).customExtension, "inc");

    v = values({"-s", "a", "--all-types", "--ext", ".inc", "d"});
    EXPECT_EQ(v.allTypes, 1);
    EXPECT_EQ(v.customType, 1);
    EXPECT_EQ(values({"-s", "a", "--all-types", "--type", "pl", "d"}).allTypes, 1);
}

TEST(CliCommand, RollBackTakesItsPathAndOnlyItsSwitches) {
    const Result<CliCommand> parsed = parse({"--rollback", "site", "--subdirs", "--log", "-y"});
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.value().kind, CliCommand::Kind::RollBack);
    EXPECT_EQ(parsed.value().values.path, "/work/here/site");
    EXPECT_EQ(parsed.value().values.subDirectories, 1);
    EXPECT_EQ(parsed.value().values.logChanges, 1);
    EXPECT_TRUE(parsed.value().assumeYes);
}

TEST(CliCommand, ThreadsAreTheCoresUnlessGiven) {
    EXPECT_EQ(parse({"-s", "a"}).value().threads, 0);
    EXPECT_EQ(parse({"-s", "a", "--threads", "1"}).value().threads, 1);
    EXPECT_EQ(parse({"--batch", "e.txt", "--threads=64"}).value().threads, 64);
    EXPECT_EQ(parse({"--rollback", "d", "--threads", "1"}).value().threads, 1);
}

TEST(CliCommand, HelpAndVersionWinOverEverythingElse) {
    ASSERT_TRUE(parse({"--help", "--mode", "bogus"}).ok());
    EXPECT_EQ(parse({"-h"}).value().kind, CliCommand::Kind::Help);
    EXPECT_EQ(parse({"--version"}).value().kind, CliCommand::Kind::Version);
    EXPECT_TRUE(usageText().contains("--rollback PATH"));
    EXPECT_TRUE(versionText().startsWith("zuk-cli " ZUK_VERSION));
}

TEST(CliCommand, BadUsageIsRefusedWithAReason) {
    const QList<QStringList> bad = {
        {"--bogus"},
        {"-s"},
        {"-s", "a", "--mode", "tree"},
        {"-s", "a", "--type", "htm,css"},
        {"-s", "a", "--type", "htm,"},
        {"-s", "a", "-s", "b"},
        {"-s", "a", "--search-file", "f"},
        {"--replace", "a", "--replace-file", "f"},
        {"-s", "a", "--mode", "text", "one", "two"},
        {"-s", "a", "-0", "site"},
        {"-s", "a", "--files-from", "list", "site"},
        {"-s", "a", "--files-from", "list", "--mode", "dir"},
        {"-s", "a", "--files-from", "-", "--mode", "text"},
        {"--rollback", "d", "--search", "a"},
        {"--rollback", "d", "--backup"},
        {"--rollback", "d", "other"},
        {"-s", "a", "--threads", "0"},
        {"-s", "a", "--threads", "65"},
        {"-s", "a", "--threads", "two"},
        {"-s", "a", "--threads", "1", "--threads", "2"},
        {"--batch-test", "e.txt", "--threads", "1"},
        {"-s", "a", "--list", "--json"},
        {"-s", "a", "--color", "auto"},
        {"-s", "a", "--diff", "--color", "red"},
        {"--rollback", "d", "--dry-run"},
        {"--batch-test", "e.txt", "--list"},
    };
    for (const QStringList& arguments : bad) {
        const Result<CliCommand> parsed = parse(arguments);
        EXPECT_FALSE(parsed.ok()) << arguments.join(' ').toStdString();
        if (!parsed) {
            EXPECT_FALSE(parsed.error().description.isEmpty());
        }
    }
}

TEST(CliCommand, TextsFromFilesAreTakenExactly) {
    QTemporaryDir dir;
    writeBytes(dir.filePath("search"), "two\r\nlines\n");
    writeBytes(dir.filePath("replace"), "caf\xe9\tx"); // not UTF-8: one byte per character
    Result<CliCommand> parsed = parse(
        {"--search-file", dir.filePath("search"), "--replace-file", dir.filePath("replace"), "d"});
    ASSERT_TRUE(parsed.ok());
    ASSERT_TRUE(loadTexts(parsed.value()).ok());
    EXPECT_EQ(parsed.value().values.searchText, "two\r\nlines\n");
    EXPECT_EQ(parsed.value().values.replaceText, QString::fromUtf8("caf\u00e9\tx"));

    writeBytes(dir.filePath("empty"), "");
    parsed = parse({"--search", "a", "--replace-file", dir.filePath("empty")});
    ASSERT_TRUE(loadTexts(parsed.value()).ok());
    EXPECT_EQ(parsed.value().values.replaceText, "");

    parsed = parse({"--search-file", dir.filePath("missing")});
    const Status missing = loadTexts(parsed.value());
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().description.contains("missing"));
    EXPECT_TRUE(missing.error().description.contains("53"));

    writeBytes(dir.filePath("binary"), QByteArray("a\0b", 3));
    parsed = parse({"--search-file", dir.filePath("binary")});
    EXPECT_FALSE(loadTexts(parsed.value()).ok());
}

// Every run option's switch turns on its option alone, and the list in --help is the table's.
TEST(CliCommand, EachSwitchOfTheTableSetsItsOptionAndIsInTheHelp) {
    const RunOptionValues plain = values({"-s", "a"});
    for (const RunOptionRow& row : runOptionTable()) {
        if (!row.flag.name)
            continue;
        const QString flag = QStringLiteral("--") + row.flag.name;
        EXPECT_TRUE(usageText().contains(u' ' + flag + u' ')) << row.flag.name;
        if (row.kind != OptionKind::Check || row.flag.valueName)
            continue;
        ValueRunOptions parsed(values({"-s", "a", flag}));
        for (const RunOptionRow& other : runOptionTable()) {
            if (other.kind != OptionKind::Check || other.id == OptionId::AllTypes)
                continue;
            EXPECT_EQ(parsed.check(other.id),
                      other.id == row.id ? Checked : ValueRunOptions(plain).check(other.id))
                << row.flag.name << " " << other.control;
        }
    }
}

TEST(CliCommand, SelectionPatternsRepeatOneALineAndAGlobThatNamesFilesTurnsTheTypesOff) {
    const RunOptionValues v = values({"-s", "a", "--glob", "*.md", "--glob=docs/", "--exclude",
                                      "node_modules", "--gitignore", "site"});
    EXPECT_EQ(v.includePatterns, "*.md\ndocs/");
    EXPECT_EQ(v.excludePatterns, "node_modules");
    EXPECT_EQ(v.useGitIgnore, Checked);
    EXPECT_EQ(v.allTypes, Unchecked);
    // "!" patterns alone only leave files out: the types stay on; so they do beside --type.
    EXPECT_EQ(values({"-s", "a", "--glob", "!vendor", "site"}).allTypes, Checked);
    EXPECT_EQ(values({"-s", "a", "--glob", "*.md", "-m", "file", "f.htm"}).allTypes, Checked);
    const RunOptionValues typed = values({"-s", "a", "--glob", "*.md", "--type", "php", "site"});
    EXPECT_EQ(typed.allTypes, Unchecked);
    EXPECT_EQ(typed.includePatterns, "*.md");
    const RunOptionValues none = values({"-s", "a", "site"});
    EXPECT_EQ(none.includePatterns, "");
    EXPECT_EQ(none.useGitIgnore, Unchecked);
}

TEST(CliCommand, PatternsOutsideAFolderRunAreNamedAsIgnored) {
    for (const QStringList& arguments :
         {QStringList{"-s", "a", "--exclude", "x", "-m", "file", "f"},
          QStringList{"-s", "a", "--gitignore", "--files-from", "list"}}) {
        const Result<CliCommand> parsed = parse(arguments);
        ASSERT_TRUE(parsed.ok());
        EXPECT_EQ(parsed.value().warnings,
                  QStringList({"--glob, --exclude and --gitignore choose the files of a folder "
                               "run; they are ignored here"}));
    }
    EXPECT_TRUE(parse({"-s", "a", "--exclude", "x", "d"}).value().warnings.isEmpty());
}

TEST(CliCommand, TheJournalNamesWhereARunWorked) {
    const std::pair<QStringList, QString> cases[] = {
        {{"site"}, "/work/here/site"},
        {{"site", "b.htm", "/c"}, "/work/here/site and 2 more"},
        {{"--files-from", "-"}, "the files of standard input"},
        {{"--files-from", "list"}, "the files of /work/here/list"},
    };
    for (const auto& [arguments, place] : cases)
        EXPECT_EQ(runPlace(parse(QStringList{"-s", "a"} + arguments).value()), place);
}

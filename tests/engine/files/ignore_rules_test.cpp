// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/ignore_rules.h"

#include "support/byte_paths.h"
#include "support/unprivileged.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk {
namespace {

// A repository on disk whose ignore files exercise the syntax; each file below is named for
// what decides about it. Lines ending in a blank keep it ("trail\ ") or lose it ("spaces ").
const QList<std::pair<QByteArray, QByteArray>> kIgnoreFiles = {
    {".gitignore", "# a comment\n"
                   "*.log\n!keep.log\n"
                   "/anchored.txt\n"
                   "build/\n"
                   "doc/*.tmp\n"
                   "**/deep/*.o\n"
                   "lit\\*star\n\\#hash\n\\!bang\ntrail\\ \nspaces   \n"
                   "[abc]x.c\n[!a-c]y.c\n[^d]w.c\n[[:digit:]]z.c\n[z-a]r.c\n[\\]]e.c\n"
                   "q?.md\n"
                   "mid/**/end.txt\n"
                   "tail/**\n!tail/kept/\n!tail/kept/**\n"
                   "dironly/\n"
                   "\xff*.bin\n"
                   "a[/]b\nunterminated[\nlone\\\n"
                   "cr\r\n"
                   "!precedence.txt\n"
                   "double**\nstar**/under/\n"},
    {"sub/.gitignore", "\xEF\xBB\xBF!a.log\n/local.txt\n*.c\n!out.c\n"},
    {"sub/x/.gitignore", "!*.c\n/sub-anchored/\n"},
    {"only/.gitignore", "*\n!*/\n!*.keep\n!.gitignore\n"},
    {"odd/.gitignore", "x/**y\n \\ lead\n[\\-a]r\n[[:space:]]s\n[[:bogus:]]b\n[[:alpha:]-]c\n"
                       "!\n/\nfolder/**/\n"},
    {".git/info/exclude", "*.excl\nprecedence.txt\n"},
};

// The files in groups, each group the case of a line above.
// clang-format off
const QList<QByteArray> kFiles = {
    "a.log", "keep.log", "sub/a.log", "sub/b.log", "sub/keep.log",
    "anchored.txt", "sub/anchored.txt",
    "build/out.c", "build/inner/f.c", "sub/build/out.c", "sub/x/build",
    "doc/a.tmp", "doc/sub/a.tmp",
    "deep/a.o", "x/deep/a.o", "x/deep/y/a.o",
    "lit*star", "litXstar", "#hash", "!bang", "trail ", "trail", "spaces", "spaces   ",
    "ax.c", "dx.c", "by.c", "dy.c", "dw.c", "ew.c", "1z.c", "az.c", "zr.c", "ar.c", "]e.c", "ae.c",
    "q1.md", "q12.md", "q\xC3\xA9.md",
    "mid/end.txt", "mid/a/end.txt", "mid/a/b/end.txt", "other/mid/end.txt",
    "tail/other", "tail/kept/f", "tail/kept/g/h",
    "dironly/f", "sub/dironly",
    "\xff.bin", "\xfe\xff.bin", "sub/\xff\xfe.bin",
    "a/b", "unterminated[", "lone\\", "lone", "cr", "cr\r",
    "a.excl", "sub/b.excl", "precedence.txt",
    "doublezzz", "starzz/under/f", "sub/local.txt", "sub/y/local.txt", "sub/m.c", "sub/x/m.c",
    "sub/x/sub-anchored/f", "sub/x/y/sub-anchored/f",
    "only/a.txt", "only/a.keep", "only/in/b.keep", "only/in/b.txt",
    "odd/x/y", "odd/x/ay", "odd/x/a/y", "odd/ \\ lead", "odd/  lead", "odd/-r", "odd/ar",
    "odd/br", "odd/ s", "odd/bogusb", "odd/xb", "odd/zc", "odd/-c", "odd/1c", "odd/folder/f",
    "odd/folder/in/f",
    "nested/inside.txt",
};
// clang-format on
// clang-format on

// The folders walked, each as git would list it from there: the top, folders below (the rules
// above them count), one inside an excluded folder (nothing), and another repository inside.
const QList<QByteArray> kWalked = {"", "sub", "sub/x", "build/inner", "tail/kept", "nested"};

// A tree of files with names as bytes, and the walk over it that the rules guide.
class IgnoreTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_top = QFile::encodeName(m_dir.path()) + "/tree";
        test::makeDirectoryAt(m_top);
    }
    void TearDown() override {
        if (!m_top.isEmpty())
            test::removeTreeAt(m_top); // names that aren't UTF-8 are beyond QTemporaryDir
    }

    void write(const QByteArray& relative, const QByteArray& text) {
        test::writeBelow(m_top, relative, text);
    }
    QByteArray at(const QByteArray& relative) const {
        return relative.isEmpty() ? m_top : m_top + "/" + relative;
    }

    // The files the rules take, walking as the walk does: an excluded folder is never entered.
    static void walk(const IgnoreRules& rules, const QByteArray& below, QList<QByteArray>& taken) {
        DIR* listing = ::opendir(rules.directory().constData());
        ASSERT_NE(listing, nullptr) << rules.directory().constData();
        while (const dirent* entry = ::readdir(listing)) {
            const QByteArray name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            struct stat st;
            ASSERT_EQ(::lstat((rules.directory() + "/" + name).constData(), &st), 0);
            if (S_ISDIR(st.st_mode) && !rules.excludesFolder(name))
                walk(*rules.enter(name), below + name + "/", taken);
            else if (!S_ISDIR(st.st_mode) && !rules.excludesFile(name))
                taken.append(below + name);
        }
        ::closedir(listing);
    }
    static QList<QByteArray> sorted(QList<QByteArray> list) {
        std::sort(list.begin(), list.end());
        return list;
    }
    QList<QByteArray> taken(const QByteArray& walked) const {
        QList<QByteArray> files;
        walk(*IgnoreRules::forDirectory(at(walked)), "", files);
        return sorted(files);
    }

    QTemporaryDir m_dir;
    QByteArray m_top;
};

class IgnoreRulesVersusGitTest : public IgnoreTreeTest {
protected:
    void SetUp() override {
        m_git = QStandardPaths::findExecutable(QStringLiteral("git"));
        if (m_git.isEmpty())
            GTEST_SKIP() << "git is not installed: the ignore rules are not compared with git";
        IgnoreTreeTest::SetUp();
        git(m_top, {"init", "-q"});
        test::makeDirectoryAt(at("nested"));
        git(at("nested"), {"init", "-q"});
        for (const auto& [path, text] : kIgnoreFiles)
            write(path, text);
        for (const QByteArray& path : kFiles)
            write(path, "text\n");
    }

    QByteArray git(const QByteArray& folder, const QStringList& arguments,
                   const QByteArray& input = {}) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // No configuration of the machine's or the user's: their excludes would count.
        environment.insert("HOME", m_dir.path());
        environment.insert("XDG_CONFIG_HOME", m_dir.path());
        environment.insert("GIT_CONFIG_NOSYSTEM", "1");
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QFile::decodeName(folder));
        process.start(m_git, arguments);
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(60000)) << arguments.join(' ').toStdString();
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return process.readAllStandardOutput();
    }

    // From each walked folder, the rules take exactly the files git ls-files lists with
    // `which` and --exclude-standard.
    void expectTheFilesGitLists(const QStringList& which) {
        for (const QByteArray& walked : kWalked) {
            QList<QByteArray> listed;
            for (const QByteArray& path : git(at(walked), QStringList{"ls-files", "-z"} + which +
                                                              QStringList{"--exclude-standard"})
                                              .split('\0')) {
                // Another repository inside is listed as one entry, its folder.
                if (!path.isEmpty() && !path.endsWith('/') && !listed.contains(path))
                    listed.append(path);
            }
            const QList<QByteArray> byRules = taken(walked);
            QStringList onlyGit, onlyRules;
            for (const QByteArray& path : listed)
                if (!byRules.contains(path))
                    onlyGit.append(shown(path));
            for (const QByteArray& path : byRules)
                if (!listed.contains(path))
                    onlyRules.append(shown(path));
            EXPECT_TRUE(onlyGit.isEmpty() && onlyRules.isEmpty())
                << "walked \"" << walked.constData()
                << "\": listed by git alone: " << onlyGit.join(", ").toStdString()
                << "; taken by the rules alone: " << onlyRules.join(", ").toStdString();
            EXPECT_TRUE(IgnoreRules::forDirectory(at(walked))->problems().isEmpty());
        }
    }
    static QString shown(QByteArray path) {
        return QString::fromLatin1(path.replace('\r', "\\r").replace('\xff', "\\xff"));
    }

    QString m_git;
};

TEST_F(IgnoreRulesVersusGitTest, TheWalkTakesTheFilesGitListsAsNotIgnored) {
    expectTheFilesGitLists({"--others"});
}

// Files git tracks although a pattern ignores them, some in excluded folders, and one outside
// the current sparse checkout (an entry with extended flags), in each version of the index.
TEST_F(IgnoreRulesVersusGitTest, TheWalkTakesTheFilesGitTracksWhateverThePatternsSay) {
    const QByteArray added =
        QList<QByteArray>{"a.log",      "keep.log",   "build/out.c", "build/inner/f.c",
                          "tail/other", "only/a.txt", "\xff.bin",    "sub/x/sub-anchored/f",
                          "lit*star"}
            .join('\0');
    // Names as they stand, whatever the ignore files say.
    git(m_top, {"update-index", "--add", "-z", "--stdin"}, added + '\0');
    for (const int version : {2, 3, 4}) {
        git(m_top, {"update-index", "--index-version", QString::number(version)});
        if (version == 3)
            git(m_top, {"update-index", "--skip-worktree", "a.log"});
        EXPECT_EQ(test::readAt(m_top + "/.git/index").at(7), char(version));
        expectTheFilesGitLists({"--cached", "--others"});
        if (version == 3)
            git(m_top, {"update-index", "--no-skip-worktree", "a.log"});
    }
}

TEST(TrackedFiles, AnIndexThatIsDamagedIsRefusedWithWhy) {
    const QByteArray header("DIRC\0\0\0\2\0\0\0\1", 12);
    const std::pair<QByteArray, const char*> cases[] = {
        {"", "not an index"},
        {QByteArray("DIRC\0\0\0\5\0\0\0\0", 12), "version 5 is not read"},
        {header + QByteArray(61, '\0'), "cut short"},
        {header + QByteArray(62, '\0') + "no end", "cut short"},
        {QByteArray("DIRC\0\0\0\4\0\0\0\1", 12) + QByteArray(62, '\0') + "\x05name",
         "a name is damaged"},
    };
    for (const auto& [bytes, why] : cases) {
        const Result<TrackedFiles> parsed = TrackedFiles::parse(bytes);
        ASSERT_FALSE(parsed.ok()) << why;
        EXPECT_TRUE(parsed.error().description.endsWith(QString("git's index: ") + why + ")"))
            << parsed.error().description.toStdString();
    }
}

// Every file and folder of the tree, one at a time, as git check-ignore judges it: also the
// folders, and the files inside excluded folders (excluded with them).
TEST_F(IgnoreRulesVersusGitTest, EachPathIsExcludedWhenGitCheckIgnoreSaysSo) {
    QList<QByteArray> paths;
    for (const QByteArray& file : kFiles) {
        if (file.startsWith("nested/"))
            continue; // another repository: git refuses to judge its paths
        QList<QByteArray> names = file.split('/');
        for (qsizetype depth = 1; depth <= names.size(); ++depth) {
            const QByteArray path = names.first(depth).join('/');
            if (!paths.contains(path))
                paths.append(path);
        }
    }
    QByteArray input;
    for (const QByteArray& path : paths)
        input += path + '\0';
    // Four fields a path: the ignore file, the line, the pattern that decided, the path.
    const QList<QByteArray> fields =
        git(m_top, {"check-ignore", "--stdin", "-z", "--verbose", "--non-matching"}, input)
            .split('\0');
    ASSERT_EQ(fields.size(), paths.size() * 4 + 1);

    QStringList disagreements;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QByteArray& pattern = fields[i * 4 + 2];
        const QByteArray& path = fields[i * 4 + 3];
        const bool gitIgnores = !pattern.isEmpty() && !pattern.startsWith('!');

        IgnoreRules::Ptr rules = IgnoreRules::forDirectory(m_top);
        const QList<QByteArray> names = path.split('/');
        bool excluded = false;
        for (qsizetype n = 0; n < names.size() && !excluded; ++n) {
            struct stat st;
            ASSERT_EQ(::lstat((rules->directory() + "/" + names[n]).constData(), &st), 0);
            excluded = S_ISDIR(st.st_mode) ? rules->excludesFolder(names[n])
                                           : rules->excludesFile(names[n]);
            if (!excluded && n + 1 < names.size())
                rules = rules->enter(names[n]);
        }
        if (excluded != gitIgnores)
            disagreements.append(QStringLiteral("%1 (git: %2, rules: %3)")
                                     .arg(shown(path), QString::fromLatin1(pattern))
                                     .arg(excluded));
    }
    EXPECT_TRUE(disagreements.isEmpty()) << disagreements.join("; ").toStdString();
}

// Where the rules come from besides what git shows: ".ignore" files, a repository whose ".git"
// is a file, and a tree outside any repository. A path ending in "/" is a folder made empty.
struct SourceCase {
    const char* what;
    QList<std::pair<QByteArray, QByteArray>> files;
    QByteArray walked;
    QList<QByteArray> taken;
};

TEST_F(IgnoreTreeTest, TheRulesComeFromEveryIgnoreFileOfTheRepositoryAndNoOtherFolder) {
    const QList<SourceCase> cases = {
        {"a .ignore decides over the .gitignore of its folder",
         {{".git/", {}},
          {".gitignore", "*.txt\n"},
          {".ignore", "!keep.txt\n"},
          {"a.txt", {}},
          {"keep.txt", {}}},
         "",
         {".gitignore", ".ignore", "keep.txt"}},
        {"a deeper .gitignore decides over a .ignore above",
         {{".git/", {}},
          {".ignore", "*.md\n"},
          {"s/.gitignore", "!*.md\n"},
          {"a.md", {}},
          {"s/b.md", {}}},
         "",
         {".ignore", "s/.gitignore", "s/b.md"}},
        {"outside a repository the walked folder is the top",
         {{".gitignore", "*.txt\n"}, {"w/.gitignore", "*.md\n"}, {"w/a.txt", {}}, {"w/b.md", {}}},
         "w",
         {".gitignore", "a.txt"}},
        {"a .git file leads to the exclude file of its git folder",
         {{"w/.git", "gitdir: ../store\n"},
          {"store/info/exclude", "*.x\n"},
          {"w/a.x", {}},
          {"w/b.y", {}}},
         "w",
         {"b.y"}},
        {"a worktree's git folder leads on to the common one",
         {{"w/.git", "gitdir: ../store/worktrees/w\n"},
          {"store/worktrees/w/commondir", "../..\n"},
          {"store/info/exclude", "*.x\n"},
          {"w/a.x", {}},
          {"w/b.y", {}}},
         "w",
         {"b.y"}},
    };
    for (const SourceCase& c : cases) {
        test::removeTreeAt(m_top);
        test::makeDirectoryAt(m_top);
        for (const auto& [path, text] : c.files) {
            if (path.endsWith('/'))
                test::makeDirectoryAt(at(path.chopped(1)));
            else
                write(path, text);
        }
        EXPECT_EQ(taken(c.walked).join(' ').toStdString(), sorted(c.taken).join(' ').toStdString())
            << c.what;
    }
}

// An ignore file that can't be read is passed over and named, as git warns of it; the folders
// above the walked one count. Run as an unprivileged user, so that permissions stop the reading.
TEST_F(IgnoreTreeTest, AnIgnoreFileThatCantBeReadIsPassedOverAndNamed) {
    test::makeDirectoryAt(at(".git"));
    write("real", "*.txt\n");
    test::linkAt("real", at(".gitignore"));
    write("w/.gitignore", "*.md\n");
    write("w/a.txt", {});
    write("w/b.md", {});
    ASSERT_EQ(::chmod(at("w/.gitignore").constData(), 0), 0);
    ASSERT_EQ(::chmod(m_dir.path().toLocal8Bit().constData(), 0755), 0);

    const QString result = test::runUnprivileged([&] {
        const IgnoreRules::Ptr rules = IgnoreRules::forDirectory(at("w"));
        QStringList lines;
        for (const IgnoreFileProblem& problem : rules->problems())
            lines.append(QString::fromLocal8Bit(problem.path.sliced(m_top.size())) + ": " +
                         problem.error.message());
        QList<QByteArray> files;
        walk(*rules, "", files);
        lines.append(QString::fromLatin1(sorted(files).join(' ')));
        return lines.join('\n');
    });
    EXPECT_EQ(result.toStdString(),
              "/.gitignore: ERROR: 75 Path/File access error (too many symbolic links)\n"
              "/w/.gitignore: ERROR: 70 Permission denied\n"
              ".gitignore a.txt b.md");
}

} // namespace
} // namespace zuk

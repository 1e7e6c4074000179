// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_collection.h"

#include "engine/files/all_of_filter.h"
#include "engine/files/walk_ahead.h"

#include "support/temp_files.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

using namespace zuk;

namespace {

// Where a walk ahead stands at directory `index`, once it has got there.
WalkAhead::Reached reached(WalkAhead& ahead, qsizetype index) {
    std::optional<WalkAhead::Reached> at;
    while (!(at = ahead.reach(index, std::chrono::milliseconds(10)))) {
    }
    return *at;
}

class FileCollectionTest : public ::testing::Test {
protected:
    QString path(const QString& relative) const { return m_dir.path() + "/" + relative; }
    void makeDirs(std::initializer_list<const char*> relatives) {
        for (const char* r : relatives)
            ASSERT_TRUE(QDir().mkpath(path(r))) << r;
    }
    static QByteArray native(const QString& p) { return QFile::encodeName(p); }

    QTemporaryDir m_dir;
};

TEST_F(FileCollectionTest, WithoutSubDirectoriesTheListIsTheStartAloneUnchecked) {
    const QString missing = path("not/there");
    for (CheckValue off : {Unchecked, Greyed}) {
        const DirectoryList list = CollectDirectories(missing, off);
        EXPECT_TRUE(list.unreadable.isEmpty());
        EXPECT_EQ(list.directories, QStringList{missing});
    }
}

TEST_F(FileCollectionTest, WalksBreadthFirstLevelByLevel) {
    makeDirs({"A/B/D", "A/C/E"});
    test::writeBytes(path("A/C/only-a-file.txt"), "x");
    const DirectoryList list = CollectDirectories(path("A"), Checked);
    ASSERT_TRUE(list.unreadable.isEmpty());
    ASSERT_EQ(list.directories.size(), 5);
    EXPECT_EQ(list.directories[0], path("A"));
    // The platform decides whether B or C comes first; the level order follows from it.
    const bool bFirst = list.directories[1] == path("A/B");
    const QStringList expected =
        bFirst ? QStringList{path("A"), path("A/B"), path("A/C"), path("A/B/D"), path("A/C/E")}
               : QStringList{path("A"), path("A/C"), path("A/B"), path("A/C/E"), path("A/B/D")};
    EXPECT_EQ(list.directories, expected);
}

TEST_F(FileCollectionTest, LeavesOutHiddenSystemAndLinkedEntriesAndWhatIsBelowThem) {
    makeDirs({"A/.hidden/below", "A/readonly", "outside/inner"});
    ASSERT_EQ(::mkfifo(native(path("A/fifo")).constData(), 0644), 0);
    ASSERT_EQ(::symlink(native(path("outside")).constData(), native(path("A/link")).constData()),
              0);
    ASSERT_EQ(::chmod(native(path("A/readonly")).constData(), 0555), 0);

    const DirectoryList list = CollectDirectories(path("A"), Checked);
    ASSERT_TRUE(list.unreadable.isEmpty());
    EXPECT_EQ(list.directories, QStringList({path("A"), path("A/readonly")}));
}

// A filter that leaves out the folders and files of one name.
class LeavesOut final : public FileFilter {
public:
    explicit LeavesOut(QString name) : m_name(std::move(name)) {}
    bool takesFile(const QString&, const QString& name) const override { return name != m_name; }
    bool entersFolder(const QString&, const QString& name) const override { return name != m_name; }

private:
    QString m_name;
};

TEST_F(FileCollectionTest, AFolderAFilterDoesntEnterIsLeftOutWithAllBelowIt) {
    makeDirs({"A/skip/below", "A/keep/drop/below", "A/keep/inner"});
    const LeavesOut skip("skip");
    const LeavesOut drop("drop");
    const AllOfFilter both({&skip, &drop});
    for (const int threads : {1, 2}) {
        const DirectoryList list = CollectDirectories(path("A"), Checked, 0, threads, &both);
        ASSERT_TRUE(list.unreadable.isEmpty());
        EXPECT_EQ(list.directories, QStringList({path("A"), path("A/keep"), path("A/keep/inner")}));
    }
    EXPECT_TRUE(both.takesFile(path("A"), "page.htm"));
    EXPECT_FALSE(both.takesFile(path("A"), "drop"));
    EXPECT_FALSE(both.takesFile(path("A"), "skip"));
}

TEST_F(FileCollectionTest, AFolderThatCantBeReadIsPassedOverWithWhatIsBelowIt) {
    const DirectoryList missing = CollectDirectories(path("missing"), Checked);
    EXPECT_EQ(missing.directories, QStringList{path("missing")});
    EXPECT_EQ(missing.filesOf(0).error().number, ErrorNumber::FileNotFound);

    // Eight folders in one level are read on two threads; the one that fails doesn't stop the
    // others, nor does a path too long further down.
    for (int i = 0; i < 8; ++i)
        makeDirs({qPrintable(QStringLiteral("A/d%1/c").arg(i))});
    const QString tooLong = test::makePathTooLong(path("A/d0/c"));
    ASSERT_EQ(::chmod(native(m_dir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(native(path("A/d3")).constData(), 0300), 0);
    const qsizetype folders = 1 + 8 + 7 + tooLong.count(u'/') - path("A/d0/c").count(u'/');
    const QString expected = path("A/d3") + ": ERROR: 70 Permission denied\n" + tooLong +
                             ": ERROR: 75 Path/File access error (name too long)\n" +
                             QString::number(folders) + " folders, none below either";
    for (const int threads : {1, 2}) {
        for (const qsizetype keep : {0, 100}) {
            const QString result = test::runUnprivileged([&] {
                const DirectoryList list = CollectDirectories(path("A"), Checked, keep, threads);
                QStringList lines;
                for (qsizetype i = 0; i < list.directories.size(); ++i) {
                    if (list.unreadable.contains(i))
                        lines.append(list.directories[i] + ": " +
                                     list.filesOf(i).error().message());
                }
                const bool below = std::any_of(
                    list.directories.begin(), list.directories.end(), [&](const QString& d) {
                        return d.startsWith(path("A/d3/")) || d.startsWith(tooLong + "/");
                    });
                lines.append(QStringLiteral("%1 folders, %2")
                                 .arg(list.directories.size())
                                 .arg(below ? "some below" : "none below either"));
                return lines.join("\n");
            });
            EXPECT_EQ(result, expected) << threads << " " << keep;
        }
    }
    test::removeTree(path("A"));
}

TEST_F(FileCollectionTest, TheWalkKeepsTheListingOfItsFirstDirectoriesUpToTheNumberAsked) {
    makeDirs({"A/B/D", "A/C", "A/E", "A/F", "A/G"});
    for (const char* file : {"A/1.htm", "A/2.txt", "A/B/3.php", "A/B/D/4.htm", "A/C/5.htm",
                             "A/E/6.htm", "A/E/7.htm", "A/G/.hidden.htm"})
        test::writeBytes(path(file), "x");
    ASSERT_EQ(::symlink(native(path("A/1.htm")).constData(), native(path("A/F/8.htm")).constData()),
              0);

    // Once the names kept reach about the number asked, the later directories are listed again.
    for (const qsizetype keep : {0, 1, 3, 1000}) {
        const DirectoryList list = CollectDirectories(path("A"), Checked, keep);
        ASSERT_TRUE(list.unreadable.isEmpty());
        ASSERT_EQ(list.directories.size(), 7);
        if (keep == 0 || keep == 1000)
            EXPECT_EQ(list.files.size(), keep == 0 ? 0 : 7);
        else
            EXPECT_TRUE(list.files.size() >= 1 && list.files.size() < 7) << list.files.size();
        for (qsizetype i = 0; i < list.directories.size(); ++i) {
            Result<DirectoryFiles> kept = list.filesOf(i);
            Result<DirectoryFiles> listed = ListDirectoryFiles(list.directories[i]);
            ASSERT_TRUE(kept.ok() && listed.ok());
            QStringList a = kept.value().names, b = listed.value().names;
            a.sort();
            b.sort();
            EXPECT_EQ(a, b) << list.directories[i].toStdString();
        }
    }
}

TEST_F(FileCollectionTest, RefusesMoreDirectoriesThanAListHolds) {
    // Thirty thousand folders are made much faster in memory, where there is such a place.
    QTemporaryDir big(QFileInfo("/dev/shm").isWritable() ? "/dev/shm/zuk-test-XXXXXX"
                                                         : QDir::tempPath() + "/zuk-test-XXXXXX");
    const QString start = big.path();
    for (int i = 1; i < kMaxDirectories; ++i)
        ASSERT_EQ(::mkdir(native(start + "/" + QString::number(i)).constData(), 0755), 0);

    const DirectoryList full = CollectDirectories(start, Checked);
    ASSERT_FALSE(full.tooManyDirectories);
    EXPECT_EQ(full.directories.size(), kMaxDirectories);

    ASSERT_EQ(::mkdir(native(start + "/one-more").constData(), 0755), 0);
    const DirectoryList over = CollectDirectories(start, Checked);
    EXPECT_TRUE(over.tooManyDirectories);
    EXPECT_TRUE(over.directories.isEmpty());
    EXPECT_TRUE(DirectoryList::tooManyDirectoriesText(start).contains(start));
    WalkAhead ahead(start, Checked, 0, nullptr);
    EXPECT_EQ(reached(ahead, 1), WalkAhead::Reached::TooMany);
}

// A walk on a thread of its own gives the list's directories in the list's order.
TEST_F(FileCollectionTest, AWalkAheadGivesTheListInItsOrder) {
    makeDirs({"A/B/D", "A/C/E", "A/C/F"});
    for (CheckValue subDirectories : {Checked, Unchecked}) {
        const DirectoryList list = CollectDirectories(path("A"), subDirectories);
        WalkAhead ahead(path("A"), subDirectories, 0, nullptr);
        QStringList walked;
        for (qsizetype i = 0; reached(ahead, i) == WalkAhead::Reached::Directory; ++i)
            walked.append(ahead.directory(i));
        EXPECT_EQ(walked, list.directories);
    }
}

TEST_F(FileCollectionTest, ListsPlainFilesAndLinksToThem) {
    makeDirs({"A/sub"});
    test::writeBytes(path("A/page.htm"), "x");
    test::writeBytes(path("A/.hidden.htm"), "x");
    test::writeBytes(path("outside.txt"), "x");
    ASSERT_EQ(::mkfifo(native(path("A/fifo")).constData(), 0644), 0);
    ASSERT_EQ(::symlink(native(path("outside.txt")).constData(),
                        native(path("A/linked.txt")).constData()),
              0);
    ASSERT_EQ(::symlink("nowhere", native(path("A/dangling.txt")).constData()), 0);
    ASSERT_EQ(::symlink(native(path("A/sub")).constData(), native(path("A/dirlink")).constData()),
              0);

    Result<DirectoryFiles> names = ListDirectoryFiles(path("A"));
    ASSERT_TRUE(names.ok());
    QStringList sorted = names.value().names;
    sorted.sort();
    EXPECT_EQ(sorted, QStringList({"linked.txt", "page.htm"}));
    // Among the hidden names, the writer's temporary files are told apart.
    EXPECT_FALSE(names.value().temporaries);
    test::writeBytes(path("A/.page.htm.zuk-Ab12Cd"), "x");
    EXPECT_TRUE(ListDirectoryFiles(path("A")).value().temporaries);

    Result<DirectoryFiles> missing = ListDirectoryFiles(path("missing"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().number, ErrorNumber::FileNotFound);
}

} // namespace

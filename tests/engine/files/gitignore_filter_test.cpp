// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/gitignore_filter.h"
#include "engine/files/path_bytes.h"

#include "support/byte_paths.h"
#include "support/unprivileged.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

namespace zuk {
namespace {

// Walks as the walk does, in its terms: folders joined as text, names decoded from bytes.
void walk(const GitIgnoreFilter& filter, const QString& top, const QString& folder,
          QStringList& seen) {
    DIR* listing = ::opendir(encodePath(folder).constData());
    if (!listing) {
        seen.append(displayPath(folder.sliced(top.size())) + " can't be read");
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        const QString name = decodePath(QByteArray(entry->d_name));
        if (name == "." || name == "..")
            continue;
        const QString path = folder + '/' + name;
        if (entry->d_type == DT_DIR) {
            if (filter.entersFolder(folder, name))
                walk(filter, top, path, seen);
        } else if (filter.takesFile(folder, name)) {
            seen.append(displayPath(path.sliced(top.size())));
        }
    }
    ::closedir(listing);
}

// An excluded folder is never opened, not even to read its ignore files, so one that can't be
// read stops nothing; a folder that can't be read is the walk's to report, not the filter's.
TEST(GitIgnoreFilterTest, AnExcludedFolderIsNeverOpenedAndNamesStayBytes) {
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QByteArray top = QFile::encodeName(dir.path()) + "/tree";
    test::makeDirectoryAt(top);
    test::makeDirectoryAt(top + "/.git");
    test::writeBelow(top, ".gitignore", "build/\n*.o\n");
    test::writeBelow(top, "\xff dir/.gitignore", "!keep.o\n");
    for (const char* file : {"a.o", "b.c", "\xff dir/a.o", "\xff dir/keep.o", "\xff dir/\xfe.c",
                             "build/secret/.gitignore", "locked/f.c"})
        test::writeBelow(top, file, {});
    for (const char* folder : {"/build", "/build/secret", "/locked"})
        ASSERT_EQ(::chmod((top + folder).constData(), 0), 0);

    const QString result = test::runUnprivileged([&] {
        const QString walked = decodePath(top);
        const GitIgnoreFilter filter(walked);
        QStringList seen;
        walk(filter, walked, walked, seen);
        seen.sort();
        for (const IgnoreFileProblem& problem : filter.problems())
            seen.append(decodePath(problem.path) + ": " + problem.error.message());
        // A folder outside the walked directory is none of its business.
        seen.append(filter.takesFile(walked + "-other", "a.o") ? "outside taken" : "outside left");
        return seen.join('\n');
    });
    for (const char* folder : {"/build", "/build/secret", "/locked"})
        ::chmod((top + folder).constData(), 0755);
    test::removeTreeAt(top);
    EXPECT_EQ(result.toStdString(), "/.gitignore\n"
                                    "/\\xFF dir/.gitignore\n"
                                    "/\\xFF dir/\\xFE.c\n"
                                    "/\\xFF dir/keep.o\n"
                                    "/b.c\n"
                                    "/locked can't be read\n"
                                    "outside taken");
}

} // namespace
} // namespace zuk

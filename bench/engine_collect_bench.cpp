// SPDX-License-Identifier: GPL-3.0-or-later
// Collecting the directories of a tree and listing their files, the walk a directory run and a
// roll back make before they touch anything. Set ZUK_BENCH_TREE to walk an existing tree
// (bench/collect_vs_find.sh does, to time `find` on the same one); otherwise a tree of 20,000
// files in 2,000 directories is made once in a temporary folder.
#include "engine/files/file_collection.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

// 20 folders below the start, each with 99 below it: 2,000 folders of 10 files each.
QString generatedTree() {
    static std::unique_ptr<QTemporaryDir> tree;
    if (!tree) {
        tree = std::make_unique<QTemporaryDir>();
        const QString root = tree->path();
        auto addFiles = [](const QString& folder) {
            for (int f = 0; f < 10; ++f) {
                QFile file(folder + QStringLiteral("/page%1.htm").arg(f));
                if (file.open(QIODevice::WriteOnly))
                    file.write("<p>zukanor</p>\n");
            }
        };
        for (int t = 0; t < 20; ++t) {
            const QString top = root + QStringLiteral("/d%1").arg(t);
            QDir().mkpath(top);
            addFiles(top);
            for (int s = 0; s < 99; ++s) {
                const QString sub = top + QStringLiteral("/s%1").arg(s);
                QDir().mkpath(sub);
                addFiles(sub);
            }
        }
    }
    return tree->path();
}

QString benchTree() {
    const char* given = std::getenv("ZUK_BENCH_TREE");
    return given && *given ? QString::fromLocal8Bit(given) : generatedTree();
}

void BM_CollectDirectoriesAndListFiles(benchmark::State& state) {
    const QString tree = benchTree();
    qsizetype files = 0;
    qsizetype directories = 0;
    for (auto _ : state) {
        const zuk::DirectoryList list = zuk::CollectDirectories(tree, zuk::Checked);
        files = 0;
        for (const QString& directory : list.directories) {
            zuk::Result<zuk::DirectoryFiles> names = zuk::ListDirectoryFiles(directory);
            if (names)
                files += names.value().names.size();
        }
        directories = list.directories.size();
        benchmark::DoNotOptimize(files);
    }
    state.counters["directories"] = double(directories);
    state.counters["files"] = double(files);
}
BENCHMARK(BM_CollectDirectoriesAndListFiles)->Unit(benchmark::kMillisecond);

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Loads a file, replaces every occurrence of a word and saves it, then prints the peak
// resident memory: the memory bound of one big file's run through the working buffer.
#include "bench_support.h"
#include "engine/run/commit_sink.h"
#include "engine/run/replacement_routines.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <sys/resource.h>

using namespace zuk;
using zuk::bench::NoYield;

// Usage: peak_memory generate FILE MIB   (writes the test file and exits)
//        peak_memory run FILE            (load, replace, save; prints the peak)
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("generate")) {
        const qsizetype bytes = args[3].toLongLong() << 20;
        QFile file(args[2]);
        return file.open(QIODevice::WriteOnly) && file.write(bench::generateText(bytes)) == bytes
                   ? 0
                   : 1;
    }
    if (args.size() != 3 || args[1] != QLatin1String("run")) {
        std::fputs("usage: peak_memory generate FILE MIB | peak_memory run FILE\n", stderr);
        return 2;
    }
    const QString path = args[2];
    ValueRunOptions options;
    RunState state;
    NoYield yield;
    ReplacementRoutines routines(options, state, yield);
    Edit edit = routines.CleanFile(path, QStringLiteral("needle"), QStringLiteral("pins"));
    const qint64 found = edit.result.finds();
    if (found <= 0 || !writeEdit(edit))
        return 1;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("file %lld MiB, %lld replacements, peak RSS %ld MiB\n",
                static_cast<long long>(QFileInfo(path).size() >> 20), static_cast<long long>(found),
                usage.ru_maxrss / 1024);
    return 0;
}

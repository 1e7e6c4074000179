#include "bench_support.h"
#include "engine/headless_run_window.h"
#include "engine/replacement_routines.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace zuk;

namespace {

// 2 MB of "a" searched for a crafted text ("a" x 499 then "b", which a naive scan checks almost
// whole at every position) against an ordinary one, with and without case, in the right-hand
// text and in a file. Both must take time linear in the input.
void searchRun(benchmark::State& st, bool crafted, bool caseSensitive, bool inFile) {
    const QByteArray subject(2'000'000, 'a');
    const QString search = crafted ? QString(499, u'a') + u'b' : QStringLiteral("widget");
    QTemporaryDir dir;
    const QString path = dir.filePath("a.txt");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(subject) != subject.size()) {
        st.SkipWithError("cannot write the test file");
        return;
    }
    file.close();
    const QString text = QString::fromLatin1(subject);
    ValueRunOptions options;
    options.values.caseSensitive = caseSensitive ? 1 : 0;
    RunState state;
    HeadlessRunWindow window;
    bench::SilentPrompter prompter;
    bench::NoYield yield;
    ReplacementRoutines routines(options, state, window, prompter, yield);
    for (auto _ : st) {
        if (!inFile)
            window.buffer.setText(text);
        const qint64 found = inFile ? routines.CleanFile(path, search, QStringLiteral("x"))
                                    : routines.CleanText(search, QStringLiteral("x"));
        benchmark::DoNotOptimize(found);
    }
    st.SetBytesProcessed(st.iterations() * subject.size());
}

void BM_WorstCase(benchmark::State& st) {
    searchRun(st, st.range(0) == 1, st.range(1) == 1, st.range(2) == 1);
}

} // namespace

// Arguments: crafted text, case-sensitive, in a file.
BENCHMARK(BM_WorstCase)
    ->ArgNames({"crafted", "case", "file"})
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

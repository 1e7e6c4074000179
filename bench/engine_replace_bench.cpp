// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench_support.h"
#include "engine/run/replacement_routines.h"
#include "engine/text/text_buffer.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace zuk;
using zuk::bench::NoYield;

namespace {

struct Fixture {
    ValueRunOptions options;
    RunState state;
    NoYield yield;
    ReplacementRoutines routines{options, state, yield};
};

void runRoutine(benchmark::State& st, bool caseSensitive, bool searchOnly, bool crlf) {
    const qsizetype bytes = st.range(0) << 20;
    const QString text = QString::fromLatin1(bench::generateText(bytes));
    Fixture f;
    f.options.values.caseSensitive = caseSensitive ? 1 : 0;
    f.options.values.searchOnly = searchOnly ? 1 : 0;
    qint64 found = 0;
    for (auto _ : st) {
        const Edit edit =
            crlf ? f.routines.CleanTextCRLF(text, QStringLiteral("sit amet needle, consectetur"),
                                            QStringLiteral("x"))
                 : f.routines.CleanText(text, QStringLiteral("needle"), QStringLiteral("pin"));
        found = edit.result.finds();
        benchmark::DoNotOptimize(found);
    }
    st.counters["finds"] = found;
    st.SetBytesProcessed(st.iterations() * bytes);
}

void BM_ReplaceAllCaseSensitive(benchmark::State& st) {
    runRoutine(st, true, false, false);
}
void BM_ReplaceAllIgnoreCase(benchmark::State& st) {
    runRoutine(st, false, false, false);
}
void BM_SearchOnlyCaseSensitive(benchmark::State& st) {
    runRoutine(st, true, true, false);
}
void BM_SearchOnlyIgnoreCase(benchmark::State& st) {
    runRoutine(st, false, true, false);
}
void BM_LineBreakTolerantThreeBlanks(benchmark::State& st) {
    runRoutine(st, false, false, true);
}

void BM_LoadSaveRoundTrip(benchmark::State& st) {
    const qsizetype bytes = st.range(0) << 20;
    QTemporaryDir dir;
    const QString path = dir.filePath("big.htm");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bench::generateText(bytes)) != bytes) {
        st.SkipWithError("cannot write the test file");
        return;
    }
    file.close();
    for (auto _ : st) {
        TextBuffer buffer;
        if (!buffer.load(path) || !buffer.save(path)) {
            st.SkipWithError("load or save failed");
            return;
        }
    }
    st.SetBytesProcessed(st.iterations() * bytes);
}

} // namespace

BENCHMARK(BM_ReplaceAllCaseSensitive)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceAllIgnoreCase)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchOnlyCaseSensitive)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchOnlyIgnoreCase)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineBreakTolerantThreeBlanks)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSaveRoundTrip)->Arg(64)->Unit(benchmark::kMillisecond);

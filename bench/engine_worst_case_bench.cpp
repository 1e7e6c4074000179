// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench_support.h"
#include "engine/run/replacement_routines.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace zuk;

namespace {

// Replaces every occurrence of `search` in `text` (the right-hand text), or in the file at
// `path` when `text` is null.
void timeSearch(benchmark::State& st, const QString& text, const QString& path,
                const QString& search, bool caseSensitive) {
    ValueRunOptions options;
    options.values.caseSensitive = caseSensitive ? 1 : 0;
    RunState state;
    bench::NoYield yield;
    ReplacementRoutines routines(options, state, yield);
    for (auto _ : st) {
        const Edit edit = !text.isNull() ? routines.CleanText(text, search, QStringLiteral("x"))
                                         : routines.CleanFile(path, search, QStringLiteral("x"));
        benchmark::DoNotOptimize(edit.result.finds());
    }
}

// 2 MB of "a" searched for a crafted text ("a" x 499 then "b", which a naive scan checks almost
// whole at every position) against an ordinary one, with and without case, in the right-hand
// text (searched in characters) and in a file (streamed bytes). Both must take time linear in
// the input. With `lines`, the same over 2 MB of "a" lines, searched for 499 lines of "a" then
// "b" (whose candidates a naive check follows for hundreds of lines at every line) against an
// ordinary two-line text. Crafted 2 also puts a "b" on every 500th line, so that the search
// can't pass over the lines without one and goes through them all.
void searchRun(benchmark::State& st, int crafted, bool caseSensitive, bool inFile, bool lines) {
    const QByteArray subject = !lines ? QByteArray(2'000'000, 'a')
                               : crafted == 2
                                   ? (QByteArray("a\n").repeated(499) + "ab\n").repeated(2000)
                                   : QByteArray("a\n").repeated(1'000'000);
    const QString search = lines     ? (crafted ? QStringLiteral("a\n").repeated(499) + u'b'
                                                : QStringLiteral("widget\nframe"))
                           : crafted ? QString(499, u'a') + u'b'
                                     : QStringLiteral("widget");
    QTemporaryDir dir;
    const QString path = dir.filePath("a.txt");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(subject) != subject.size()) {
        st.SkipWithError("cannot write the test file");
        return;
    }
    file.close();
    timeSearch(st, inFile ? QString() : QString::fromLatin1(subject), inFile ? path : QString(),
               search, caseSensitive);
    st.SetBytesProcessed(st.iterations() * subject.size());
}

void BM_WorstCase(benchmark::State& st) {
    searchRun(st, int(st.range(0)), st.range(1) == 1, st.range(2) == 1, st.range(3) == 1);
}

// Without case beyond the BMP, where the fold of a low surrogate takes the high one before it:
// 2 M units of the pair of U+10428 (a lower-case Deseret letter) in the right-hand text searched
// for its upper case U+10400 x 499 then "b" (`crafted:1`), "b" then U+10400 x 499 (`crafted:2`,
// whose last unit matches everywhere), against an ordinary text.
void BM_WorstCasePairs(benchmark::State& st) {
    const QString text = QStringLiteral("\U00010428").repeated(1'000'000);
    const QString upper = QStringLiteral("\U00010400").repeated(499);
    const QString search = st.range(0) == 1   ? upper + u'b'
                           : st.range(0) == 2 ? u'b' + upper
                                              : QStringLiteral("widget");
    timeSearch(st, text, QString(), search, false);
    st.SetBytesProcessed(st.iterations() * text.size() * qsizetype(sizeof(QChar)));
}

} // namespace

// Arguments: crafted text, case-sensitive, in a file, multi-line.
BENCHMARK(BM_WorstCase)
    ->ArgNames({"crafted", "case", "file", "lines"})
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}, {0, 1}})
    ->ArgsProduct({{2}, {0, 1}, {0, 1}, {1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorstCasePairs)->ArgName("crafted")->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// SPDX-License-Identifier: GPL-3.0-or-later
// The regular expression search alone, without files: a pathological expression on growing
// texts (linear: the same bytes per second at every size), and an ordinary count through the
// forms a subject takes (UTF-8 in place, UTF-8 with CR LF and UTF-16, both converted).
#include "bench_support.h"
#include "engine/match/regex_search.h"

#include <benchmark/benchmark.h>

using namespace zuk;

namespace {

std::shared_ptr<const RegexPattern> compiled(const char* expression, bool wholeWords = false) {
    auto pattern =
        RegexPattern::compile(QString::fromUtf8(expression), Qt::CaseSensitive, wholeWords);
    return pattern ? pattern.value() : nullptr;
}

qint64 countMatches(const RegexSearch& search) {
    qint64 count = 0;
    qsizetype from = 0;
    bool afterMatch = false;
    for (RegexMatch m = search.find(from, afterMatch, false); m.found();
         m = search.find(from, afterMatch, false)) {
        ++count;
        from = m.position + m.length;
        afterMatch = true;
    }
    return count;
}

// "(a|aa)*b" on `range(0)` KiB of "a": a backtracking engine takes exponential time; this one
// scans each byte a bounded number of times.
void BM_RegexPathological(benchmark::State& st) {
    const QByteArray text(st.range(0) * 1024, 'a');
    const auto pattern = compiled("(a|aa)*b");
    for (auto _ : st) {
        const RegexSearch search(pattern, RegexText::ofUtf8(text));
        benchmark::DoNotOptimize(search.find(0, false, false).found());
    }
    st.SetBytesProcessed(st.iterations() * text.size());
}

// "wid[a-z]+t" counted in 8 MiB of web-like text holding one "widget" in every 64 bytes, as
// UTF-8 without CR (`form:0`, searched in place), UTF-8 with CR LF (`form:1`) or UTF-16
// (`form:2`), both converted once; `words:1` counts whole words only.
void BM_RegexCount(benchmark::State& st) {
    QByteArray utf8 = bench::generateText(8 << 20).replace("needle", "widget");
    if (st.range(0) == 0)
        utf8.replace("\r\n", " \n");
    const QString text = QString::fromUtf8(utf8);
    const auto pattern = compiled("wid[a-z]+t", st.range(1) == 1);
    qint64 count = 0;
    for (auto _ : st) {
        const RegexSearch search(pattern, st.range(0) == 2 ? RegexText::ofText(text)
                                                           : RegexText::ofUtf8(utf8));
        count = countMatches(search);
        benchmark::DoNotOptimize(count);
    }
    st.counters["matches"] = double(count);
    st.SetBytesProcessed(st.iterations() * utf8.size());
}

// Compiling an expression, with whole words (`words:1`) or without.
void BM_RegexCompile(benchmark::State& st) {
    for (auto _ : st)
        benchmark::DoNotOptimize(compiled("wid[a-z]+t", st.range(0) == 1));
}

} // namespace

BENCHMARK(BM_RegexPathological)
    ->ArgName("KiB")
    ->RangeMultiplier(4)
    ->Range(256, 4096)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegexCount)
    ->ArgNames({"form", "words"})
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegexCompile)->ArgName("words")->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

// SPDX-License-Identifier: GPL-3.0-or-later
// Telling which of a batch's searches may find something in a text: one pass of the literal set
// over 1 MiB of web-like text for 50 and 500 searches, against a search of the text for each
// of them (memmem, and the literal search a run makes). Most searches are absent from the
// text, as in a batch whose entries each touch a few files; three occur in it. And the cost of
// building a batch's filter once.
#include "bench_support.h"
#include "engine/match/literal_set.h"
#include "engine/match/search_pattern.h"
#include "engine/run/entry_filter.h"

#include <QRandomGenerator>
#include <benchmark/benchmark.h>

#include <cstring>

using namespace zuk;

namespace {

// `count` identifier-like searches, the first three of which occur in bench::generateText.
std::vector<QString> searches(qsizetype count) {
    std::vector<QString> texts{"needle", "tempor", "Lorem ipsum"};
    QRandomGenerator random(500);
    while (qsizetype(texts.size()) < count) {
        QString word;
        const int length = 4 + random.bounded(9);
        for (int i = 0; i < length; ++i)
            word += QChar(u'a' + random.bounded(26));
        texts.push_back(random.bounded(4) == 0 ? word + u'_' + word.left(3) : word);
    }
    return texts;
}

const QByteArray& text() {
    static const QByteArray text = bench::generateText(1 << 20);
    return text;
}

Qt::CaseSensitivity caseOf(const benchmark::State& st) {
    return st.range(1) == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

// One pass of the set (built once) over the text; `case:1` searches without case.
void BM_LiteralSetPresent(benchmark::State& st) {
    std::vector<LiteralSetEntry> entries;
    for (const QString& s : searches(st.range(0)))
        entries.push_back({s, caseOf(st)});
    const LiteralSet set(entries);
    qsizetype taken = 0;
    for (auto _ : st) {
        const std::vector<bool> present = set.present(QByteArrayView(text()));
        taken = std::count(present.begin(), present.end(), true);
        benchmark::DoNotOptimize(taken);
    }
    st.counters["taken"] = double(taken);
    st.SetBytesProcessed(st.iterations() * text().size());
}

// What the set saves: each search's first find in the text, with memmem (`case:0` only) or
// with the literal search a run makes (compiled once, as a batch's entries are).
void BM_EachSearchedByMemmem(benchmark::State& st) {
    std::vector<QByteArray> needles;
    for (const QString& s : searches(st.range(0)))
        needles.push_back(s.toLatin1());
    for (auto _ : st) {
        qsizetype found = 0;
        for (const QByteArray& needle : needles)
            found += memmem(text().constData(), size_t(text().size()), needle.constData(),
                            size_t(needle.size())) != nullptr;
        benchmark::DoNotOptimize(found);
    }
    st.SetBytesProcessed(st.iterations() * text().size());
}

void BM_EachSearchedByPattern(benchmark::State& st) {
    std::vector<SearchPattern> patterns;
    for (const QString& s : searches(st.range(0)))
        patterns.emplace_back(s);
    for (auto _ : st) {
        qsizetype found = 0;
        for (const SearchPattern& pattern : patterns)
            found += pattern.findInBytes(text(), 0, caseOf(st)).found();
        benchmark::DoNotOptimize(found);
    }
    st.SetBytesProcessed(st.iterations() * text().size());
}

// Building a batch's filter: the set, and what each entry's replacement may make present.
void BM_EntryFilterBuild(benchmark::State& st) {
    QStringList texts;
    QStringList replacements;
    for (const QString& s : searches(st.range(0))) {
        texts.append(s);
        replacements.append(s.toUpper() + u'_' + s);
    }
    const ValueRunOptions options;
    for (auto _ : st) {
        const EntryFilter filter(texts, replacements, options);
        benchmark::DoNotOptimize(&filter);
    }
}

} // namespace

BENCHMARK(BM_EntryFilterBuild)->Arg(50)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiteralSetPresent)
    ->ArgsProduct({{50, 500}, {0, 1}})
    ->ArgNames({"searches", "case"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EachSearchedByMemmem)
    ->ArgsProduct({{50, 500}, {0}})
    ->ArgNames({"searches", "case"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EachSearchedByPattern)
    ->ArgsProduct({{50, 500}, {0, 1}})
    ->ArgNames({"searches", "case"})
    ->Unit(benchmark::kMicrosecond);

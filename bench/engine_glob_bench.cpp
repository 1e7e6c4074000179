// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/glob_pattern.h"

#include <benchmark/benchmark.h>

using namespace zuk;

namespace {

// One pattern matched against one path, over and over. The crafted patterns are those a
// backtracking matcher takes exponential time on (every "*" tried at every place); here they
// must stay within a small factor of the pattern's length times the path's.
void matchGlob(benchmark::State& st, const QByteArray& text, const QByteArray& subject) {
    const auto parsed = GlobPattern::parse(text, GlobPattern::Syntax::Argument);
    if (!parsed || !parsed.value()) {
        st.SkipWithError("the pattern does not parse");
        return;
    }
    const GlobPattern& pattern = *parsed.value();
    const GlobPath path(subject);
    for (auto _ : st)
        benchmark::DoNotOptimize(pattern.matches(path, false));
    st.SetBytesProcessed(st.iterations() * subject.size());
}

const QByteArray kLongName(255, 'a');
const QByteArray kDeepPath = QByteArray("a/").repeated(200) + "a";

} // namespace

BENCHMARK_CAPTURE(matchGlob, ordinary_name, "*.min.js", "jquery-3.7.1.min.js");
BENCHMARK_CAPTURE(matchGlob, ordinary_path, "src/**/test/*.c", "src/a/b/c/d/e/test/x.c");
BENCHMARK_CAPTURE(matchGlob, crafted_name, "*a*a*a*a*a*a*a*a*a*a*b", kLongName);
BENCHMARK_CAPTURE(matchGlob, crafted_path, "**/a/**/a/**/a/**/a/**/a/**/b", kDeepPath);
BENCHMARK_CAPTURE(matchGlob, crafted_name_in_path, "**/*a*a*a*a*a*b/**/*a*a*a*b",
                  (kLongName + "/").repeated(16) + kLongName);

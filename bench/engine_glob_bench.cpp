// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/gitignore_filter.h"
#include "engine/files/glob_pattern.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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

namespace {

// What --gitignore costs a file of the walk: a web project's .gitignore at the top, another in
// the folder, the file's question asked of both and of info/exclude.
void askIgnoreFilter(benchmark::State& st) {
    QTemporaryDir dir;
    const QString top = dir.path();
    QDir().mkpath(top + "/.git/info");
    QDir().mkpath(top + "/src/app");
    const auto write = [](const QString& path, const QByteArray& text) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    };
    const QByteArray webProject =
        "node_modules/\n/dist\n/build\n/coverage\n.env\n.env.*\n!.env.example\n*.log\n"
        "npm-debug.log*\nyarn-error.log*\n.DS_Store\nThumbs.db\n*.swp\n*~\n.idea/\n.vscode/*\n"
        "!.vscode/extensions.json\n*.tsbuildinfo\n.cache/\n.parcel-cache/\n.next/\nout/\n"
        "*.min.js\n*.map\n/tmp/\n**/generated/**\n*.pem\n.eslintcache\n.nyc_output\n";
    if (!write(top + "/.gitignore", webProject) || !write(top + "/src/.gitignore", "*.bak\n") ||
        !write(top + "/.git/info/exclude", "local/\n")) {
        st.SkipWithError("cannot write the ignore files");
        return;
    }
    const GitIgnoreFilter filter(top);
    const QString folder = top + "/src/app";
    const QString names[] = {"component.js", "index.html", "styles.css", "app.min.js"};
    qsizetype i = 0;
    for (auto _ : st)
        benchmark::DoNotOptimize(filter.takesFile(folder, names[i++ & 3]));
    st.SetItemsProcessed(st.iterations());
}

} // namespace

BENCHMARK(askIgnoreFilter);

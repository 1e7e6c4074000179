#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the directory walk and file listing against `find TREE -type f | wc -l` on one
# generated tree of 20,000 files in 2,000 directories, both with a warm cache.
# Usage: bench/collect_vs_find.sh [build-dir]
set -euo pipefail

build=${1:-build}
bench="$build/bench/engine_bench"
[ -x "$bench" ] || { echo "build $bench first" >&2; exit 1; }

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/d{00..19}/s{00..98}
touch "$tree"/d{00..19}/page{0..9}.htm "$tree"/d{00..19}/s{00..98}/page{0..9}.htm
echo "tree: $(find "$tree" -mindepth 1 -type d | wc -l) directories, $(find "$tree" -type f | wc -l) files"

runs=50
find "$tree" -type f | wc -l >/dev/null # warm the cache
start=$(date +%s%N)
for _ in $(seq $runs); do find "$tree" -type f | wc -l >/dev/null; done
end=$(date +%s%N)
echo "find -type f | wc -l: $(awk -v ns=$((end - start)) -v n=$runs 'BEGIN { printf "%.2f ms per run", ns / n / 1e6 }')"

ZUK_BENCH_TREE="$tree" "$bench" --benchmark_filter=BM_CollectDirectoriesAndListFiles \
    --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

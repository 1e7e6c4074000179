#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A run that leaves out a big folder against the same run over everything: a tree of 20,000
# files where node_modules holds 90% of them, searched with and without --exclude node_modules,
# in turns (A B A B ...) so that a drift of the machine's speed touches both; prints each run's
# median and the ratio of the medians. ZUK_BEFORE=/path/to/zuk-cli adds the run without a
# filter against that build, for the walk's speed before and after.
# Usage: BENCH_DIR=/dev/shm bench/exclude_vs_all.sh   (RUNS=11 by default)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
ZUK=${ZUK:-$here/../build/zuk-cli}
RUNS=${RUNS:-11}
work=$(mktemp -d "${BENCH_DIR:-/tmp}/zuk-exclude.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 "$here/make_tree.py" --tree "$work/site/src" --files 2000 --total-mb 8 --seed 1
python3 "$here/make_tree.py" --tree "$work/site/node_modules" --files 18000 --total-mb 72 --seed 2
export AppData="$work/appdata"
mkdir -p "$AppData"

# Milliseconds of one run of the command.
timed() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

declare -A times
commands=(excluded all)
[ -n "${ZUK_BEFORE:-}" ] && commands+=(before)
for _ in $(seq "$RUNS"); do
    times[excluded]+="$(timed "$ZUK" --search-only --subdirs -s widget --exclude node_modules "$work/site/") "
    times[all]+="$(timed "$ZUK" --search-only --subdirs -s widget "$work/site/") "
    [ -n "${ZUK_BEFORE:-}" ] &&
        times[before]+="$(timed "$ZUK_BEFORE" --search-only --subdirs -s widget "$work/site/") "
done
declare -A medians
for name in "${commands[@]}"; do
    medians[$name]=$(tr ' ' '\n' <<<"${times[$name]}" | grep . | median)
    echo "$name: ${medians[$name]} ms (median of $RUNS)"
done
awk -v a="${medians[excluded]}" -v b="${medians[all]}" \
    'BEGIN { printf "excluded / all: %.3f (target <= 0.15)\n", a / b }'
[ -n "${ZUK_BEFORE:-}" ] && awk -v a="${medians[all]}" -v b="${medians[before]}" \
    'BEGIN { printf "all / before: %.3f (target about 1)\n", a / b }'
exit 0

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Kills zuk-cli with SIGKILL at a random moment of a replacing run, then (every other trial) at
# a random moment of the undo that follows, TRIALS times; after the next --undo the tree must be
# byte for byte (and mode for mode) what it was before the run. Exits 1 when a trial fails.
#
#   bench/undo_kill_trials.sh                        # 200 trials on /dev/shm
#   TRIALS=500 BENCH_DIR=/tmp bench/undo_kill_trials.sh
#   SMALL_FILES=40 BIG_FILES=2 TRIALS=4 bench/undo_kill_trials.sh   # the suite's few
#   ZUK=/path/to/zuk-cli bench/undo_kill_trials.sh
#   SEED_RUNS=3 bench/undo_kill_trials.sh           # each run prunes 3 earlier ones beside it
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
ZUK=${ZUK:-$here/../build/zuk-cli}
TRIALS=${TRIALS:-200}
SEED_RUNS=${SEED_RUNS:-0}
SMALL_FILES=${SMALL_FILES:-400}
BIG_FILES=${BIG_FILES:-6}
work=$(mktemp -d "${BENCH_DIR:-/dev/shm}/zuk-undo-kill.XXXXXX")
trap 'rm -rf "$work"' EXIT
export AppData=$work/appdata
mkdir "$AppData"

# Small files and some above the streaming buffer's 1 MiB, in a few folders, with mixed modes.
python3 - "$work/pristine" "$SMALL_FILES" "$BIG_FILES" <<'PY'
import os, sys
root, small, big = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
sizes = [16 << 10] * small + [3 << 20] * big
for i, size in enumerate(sizes):
    folder = os.path.join(root, "d%d" % (i % 5))
    os.makedirs(folder, exist_ok=True)
    line = ("text of line %d with a widget in it\n" % i).encode()
    path = os.path.join(folder, "f%d.htm" % i)
    with open(path, "wb") as f:
        f.write((line * (size // len(line) + 1))[:size])
    os.chmod(path, 0o600 if i % 3 else 0o640)
PY

# What the tree holds: each file's mode, size and content hash.
listing() { (cd "$1" && find . -type f -printf '%m %s %p\n' | sort && find . -type f -print0 |
    sort -z | xargs -0 md5sum); }
before=$(listing "$work/pristine")
# A random moment within `span` milliseconds, in seconds.
moment() { awk -v ms=$((RANDOM % $1)) 'BEGIN { printf "%.3f", ms / 1000 }'; }
# Runs zuk-cli in the background and kills it after `delay` seconds; 0 when the kill came
# before it ended.
killed_after() {
    local delay=$1
    shift
    "$ZUK" "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep "$delay"
    local cut=1
    kill -9 "$pid" 2>/dev/null && cut=0
    wait "$pid" 2>/dev/null || true
    return $cut
}
run=(--yes --subdirs -s widget -r gizmo "$work/tree")

# With SEED_RUNS, every trial's journal starts with that many runs over another tree, which the
# trial's run (keeping one run) prunes while it writes: the kills fall in that removal too.
if ((SEED_RUNS > 0)); then
    cp -a "$work/pristine" "$work/other"
    for ((s = 0; s < SEED_RUNS; s++)); do
        "$ZUK" --yes --subdirs -s widget -r "w$s" "$work/other" >/dev/null 2>&1
        "$ZUK" --yes --subdirs -s "w$s" -r widget "$work/other" >/dev/null 2>&1
    done
    cp -a "$AppData" "$work/seed"
    run=(--journal-limit 1 "${run[@]}")
fi
fresh_journal() {
    rm -rf "$AppData"
    if ((SEED_RUNS > 0)); then cp -a "$work/seed" "$AppData"; else mkdir "$AppData"; fi
}

# How long a whole run and a whole undo take: the kills fall anywhere in them.
cp -a "$work/pristine" "$work/tree"
start=$(date +%s%N)
"$ZUK" "${run[@]}" >/dev/null 2>&1
run_ms=$((($(date +%s%N) - start) / 1000000 + 1))
start=$(date +%s%N)
"$ZUK" --undo --yes >/dev/null 2>&1
undo_ms=$((($(date +%s%N) - start) / 1000000 + 1))
echo "one whole run: ${run_ms} ms, one whole undo: ${undo_ms} ms; $TRIALS trials"

runs_cut=0 runs_with_files=0 undos_cut=0 undos_midway=0 failed=0
for ((t = 0; t < TRIALS; t++)); do
    rm -rf "$work/tree"
    fresh_journal
    cp -a "$work/pristine" "$work/tree"
    if killed_after "$(moment "$run_ms")" "${run[@]}"; then
        runs_cut=$((runs_cut + 1))
    fi
    after_run=$(listing "$work/tree")
    [[ $after_run != "$before" ]] && runs_with_files=$((runs_with_files + 1))
    if ((t % 2 == 1)); then
        if killed_after "$(moment "$undo_ms")" --undo --yes; then
            undos_cut=$((undos_cut + 1))
            now=$(listing "$work/tree")
            [[ $now != "$before" && $now != "$after_run" ]] && undos_midway=$((undos_midway + 1))
        fi
    fi
    # Status 1 (nothing to undo) when the run was killed before its first file.
    "$ZUK" --undo --yes >/dev/null 2>&1 || true
    if [[ $(listing "$work/tree") != "$before" ]]; then
        failed=$((failed + 1))
        echo "trial $t: the tree differs from before the run" >&2
    elif [[ -n $(find "$work/tree" -name '.*.zuk-*') ]]; then
        failed=$((failed + 1))
        echo "trial $t: a temporary file was left" >&2
    fi
done
echo "$runs_cut runs killed ($runs_with_files with some files written); $undos_cut undos" \
    "killed ($undos_midway midway); $failed trials failed"
((failed == 0))

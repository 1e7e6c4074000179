#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Kills zuk-cli with SIGKILL at a random moment of a replacing run, TRIALS times, and checks
# what it leaves: every file must be whole, old or new, never anything else; hidden temporary
# files (.NAME.zuk-XXXXXX) are counted, and must be gone after the next run in that tree.
#
#   bench/kill_trials.sh                       # 200 trials, with and without backups
#   TRIALS=500 BENCH_DIR=/tmp bench/kill_trials.sh
#   FORMS=--backup bench/kill_trials.sh        # with backups only
#   ZUK=/path/to/zuk-cli bench/kill_trials.sh  # another build, for a side-by-side figure
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
ZUK=${ZUK:-$here/../build/zuk-cli}
TRIALS=${TRIALS:-200}
work=$(mktemp -d "${BENCH_DIR:-/dev/shm}/zuk-kill.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The tree: many small files, some big ones, each holding the word and kept as NAME_BU by an
# earlier run with backups; and the two versions of each file a kill may leave.
python3 - "$work/pristine" "$work/sums" <<'EOF'
import hashlib, os, random, sys
root, sums = sys.argv[1], sys.argv[2]
rng = random.Random(21)
sizes = [16 << 10] * 400 + [1 << 20] * 12 + [8 << 20] * 4 + [48 << 20] * 2
with open(sums, "w") as out:
    for i, size in enumerate(sizes):
        folder = os.path.join(root, "d%d" % (i % 6))
        os.makedirs(folder, exist_ok=True)
        line = ("text of line %d with a widget in it\n" % i).encode()
        old = (line * (size // len(line) + 1))[:size]
        path = os.path.join(folder, "f%d.htm" % i)
        for name in (path, path + "_BU"):
            with open(name, "wb") as f:
                f.write(old)
        new = old.replace(b"widget", b"gizmo")
        rel = os.path.relpath(path, root)
        out.write("%s %s %s\n" % (rel, hashlib.md5(old).hexdigest(), hashlib.md5(new).hexdigest()))
EOF

# How long a whole run takes: the kills fall anywhere in it.
cp -a "$work/pristine" "$work/tree"
start=$(date +%s%N)
"$ZUK" --yes --subdirs -s widget -r gizmo "$work/tree" >/dev/null 2>&1
span_ms=$((($(date +%s%N) - start) / 1000000 + 1))
echo "one whole run: ${span_ms} ms; $TRIALS trials per form"

for backup in ${FORMS-"" --backup}; do
    killed=0 leftover_trials=0 leftovers=0 broken=0 swept_left=0
    for ((t = 0; t < TRIALS; t++)); do
        rm -rf "$work/tree"
        cp -a "$work/pristine" "$work/tree"
        "$ZUK" --yes --subdirs $backup -s widget -r gizmo "$work/tree" >/dev/null 2>&1 &
        pid=$!
        sleep "$(awk -v ms=$((RANDOM % span_ms)) 'BEGIN { printf "%.3f", ms / 1000 }')"
        kill -9 "$pid" 2>/dev/null && killed=$((killed + 1))
        wait "$pid" 2>/dev/null || true
        found=$(find "$work/tree" -name '.*.zuk-*' | wc -l)
        leftovers=$((leftovers + found))
        ((found > 0)) && leftover_trials=$((leftover_trials + 1))
        # Every file whole: its old or its new text, its backup (when there is one) the old text.
        while read -r rel old new; do
            sum=$(md5sum <"$work/tree/$rel" | cut -d' ' -f1)
            if [[ $sum != "$old" && $sum != "$new" ]]; then
                broken=$((broken + 1))
            elif [[ -e $work/tree/${rel}_BU ]] &&
                [[ $(md5sum <"$work/tree/${rel}_BU" | cut -d' ' -f1) != "$old" ]]; then
                broken=$((broken + 1))
            fi
        done <"$work/sums"
        # The next run in the tree removes what the killed one left.
        "$ZUK" --yes --subdirs -s widget -r gizmo "$work/tree" >/dev/null 2>&1
        swept_left=$((swept_left + $(find "$work/tree" -name '.*.zuk-*' | wc -l)))
    done
    echo "${backup:-no backup}: $killed of $TRIALS killed during the run;" \
        "$leftover_trials left a temporary file ($leftovers in all); $broken broken files;" \
        "$swept_left left after the next run"
done

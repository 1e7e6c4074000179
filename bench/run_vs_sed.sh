#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A whole headless run over a generated tree against `sed -i` over the same files, in one go,
# each on a fresh identical copy. Prints the median time and the peak memory of each.
#
#   bench/run_vs_sed.sh                      5,000 files, about 50 MB
#   FILES=1000 MB=10 ROUNDS=3 bench/run_vs_sed.sh
#   BENCH_DIR=/dev/shm bench/run_vs_sed.sh   on a RAM disk, without the disk's noise
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
ZUK=${ZUK:-$here/../build/zuk-cli}
FILES=${FILES:-5000}
MB=${MB:-50}
ROUNDS=${ROUNDS:-5}
WORD=${WORD:-widget}
NEW=${NEW:-gizmo}
[ -x "$ZUK" ] || { echo "no zuk-cli at $ZUK: build first (cmake --build --preset default)" >&2; exit 2; }
[ -x /usr/bin/time ] || apt-get install -y time >/dev/null

work=$(mktemp -d "${BENCH_DIR:-/tmp}/zuk-run-vs-sed.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "Generating $FILES files, about $MB MB, in $work ..."
python3 "$here/make_tree.py" --tree "$work/pristine" --files "$FILES" --total-mb "$MB" \
    --list "$work/files.lst0" --word "$WORD"
matching=$(tr -cd '\0' < "$work/files.lst0" | wc -c)
echo "$(find "$work/pristine" -type f | wc -l) files ($matching of the types searched)," \
     "$(du -sm "$work/pristine" | cut -f1) MB on disk"

. "$here/rounds.sh"

for round in $(seq "$ROUNDS"); do
    fresh
    measure zuk "$ZUK" --yes --case --subdirs --search "$WORD" --replace "$NEW" .
    zuk_digest=$(digest)
    fresh
    measure sed xargs -0 -a "$work/files.lst0" sed -i "s/$WORD/$NEW/g"
    sed_digest=$(digest)
    if [ "$zuk_digest" != "$sed_digest" ]; then
        echo "round $round: the two trees differ" >&2
        exit 1
    fi
done

report zuk sed
echo "($ROUNDS rounds; identical results in every round; ratio = time / zuk-cli's time)"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A batch of 50 search/replace entries over a generated tree: `zuk-cli --batch` against one
# `sed -i` with the same 50 expressions and against 50 `sed -i` calls one after the other,
# each on a fresh identical copy. Prints the median time and the peak memory of each.
#
#   bench/batch_vs_sed.sh                      2,000 files, about 20 MB, 50 entries
#   FILES=500 MB=5 ROUNDS=3 bench/batch_vs_sed.sh
#   BENCH_DIR=/dev/shm bench/batch_vs_sed.sh   on a RAM disk, without the disk's noise
#   ENTRIES=500 SED_EACH=0 bench/batch_vs_sed.sh   a long batch, without 500 sed calls
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
ZUK=${ZUK:-$here/../build/zuk-cli}
FILES=${FILES:-2000}
MB=${MB:-20}
ROUNDS=${ROUNDS:-5}
ENTRIES=${ENTRIES:-50}
[ -x "$ZUK" ] || { echo "no zuk-cli at $ZUK: build first (cmake --build --preset default)" >&2; exit 2; }
"$ZUK" --help 2>&1 | grep -- '--batch' >/dev/null || { echo "$ZUK has no --batch" >&2; exit 2; }
[ -x /usr/bin/time ] || apt-get install -y time >/dev/null

work=$(mktemp -d "${BENCH_DIR:-/tmp}/zuk-batch-vs-sed.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "Generating $FILES files, about $MB MB, in $work ..."
python3 "$here/make_tree.py" --tree "$work/pristine" --files "$FILES" --total-mb "$MB" \
    --list "$work/files.lst0"
echo "$(find "$work/pristine" -type f | wc -l) files ($(tr -cd '\0' < "$work/files.lst0" | wc -c)" \
     "of the types searched), $(du -sm "$work/pristine" | cut -f1) MB on disk"

# The entries: the tree's own words, each replaced by an upper-case form no later entry can
# match, so the three ways give the same bytes; past the words of the tree (ENTRIES=500), words
# it doesn't hold, as most entries of a long batch find nothing in most files. The batch file
# lies outside the tree.
python3 - "$here" "$ENTRIES" "$work" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
from make_tree import VOCABULARY
count, work = int(sys.argv[2]), sys.argv[3]
words = [w for w in dict.fromkeys(VOCABULARY) if w.isascii() and len(w) >= 3][:count]
words += ["%sqz%d" % (words[i % len(words)], i) for i in range(len(words), count)]
with open(work + "/entries.txt", "w", newline="") as batch, \
        open(work + "/sed.args", "w") as args, open(work + "/sed_each.sh", "w") as each:
    for i, w in enumerate(words):
        batch.write("%s|%s%d\r\n" % (w, w.upper(), i))
        args.write("-e\ns/%s/%s%d/g\n" % (w, w.upper(), i))
        each.write("xargs -0 -a ../files.lst0 sed -i s/%s/%s%d/g\n" % (w, w.upper(), i))
PY
mapfile -t sed_args < "$work/sed.args"

. "$here/rounds.sh"
# zuk-cli's journal and log in a folder of the bench's own, emptied before each round: a
# journal as a user's holds it, not whatever other runs left in the shared one.
export AppData="$work/appdata"

for round in $(seq "$ROUNDS"); do
    fresh
    rm -rf "$AppData"
    measure zuk "$ZUK" --yes --case --subdirs --batch "$work/entries.txt" .
    zuk_digest=$(digest)
    fresh
    measure sed_once xargs -0 -a "$work/files.lst0" sed -i "${sed_args[@]}"
    once_digest=$(digest)
    # One sed per entry takes minutes for a long batch: SED_EACH=0 leaves it out.
    each_digest=$once_digest
    if [ "${SED_EACH:-1}" != 0 ]; then
        fresh
        measure sed_each bash -e "$work/sed_each.sh"
        each_digest=$(digest)
    fi
    if [ "$zuk_digest" != "$once_digest" ] || [ "$zuk_digest" != "$each_digest" ]; then
        echo "round $round: the trees differ" >&2
        exit 1
    fi
done

if [ "${SED_EACH:-1}" != 0 ]; then report zuk sed_once sed_each; else report zuk sed_once; fi
echo "($ROUNDS rounds, $ENTRIES entries; identical results in every round; ratio = time / zuk-cli's)"

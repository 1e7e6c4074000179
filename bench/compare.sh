#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# zuk-cli side by side with sd, sed -i, perl -pi and rpl for one literal replacement over a
# generated tree and over one big file, each run on a fresh identical copy, timed by
# hyperfine; and a search-only count against rg -c -F. Checks that every tool left the same
# bytes, then prints median time, ratio to zuk-cli and peak memory, and the floors: cp -a of
# the tree, cat and cp of the big file.
#
#   bench/compare.sh                                  20,000 files (~200 MB) and 256 MiB
#   FILES=2000 MB=20 BIG_MIB=32 RUNS=3 bench/compare.sh   a quick look
#   BENCH_DIR=/dev/shm bench/compare.sh               on a RAM disk
#   SKIP="rpl perl" bench/compare.sh                  leave tools out (by their first word)
#   ZUK_BEFORE=/tmp/old/zuk-cli bench/compare.sh      earlier builds too, in the same sitting
#                                                     (several: separated by ":")
#   ONLY="regex_search word" bench/compare.sh         only these groups: tree big dense search
#                                                     regex_search regex_replace regex_big word
#                                                     patho dry_run (the floors always)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
ZUK=${ZUK:-$here/../build/zuk-cli}
FILES=${FILES:-20000}
MB=${MB:-200}
BIG_MIB=${BIG_MIB:-256}
RUNS=${RUNS:-5}
WORD=${WORD:-widget}
NEW=${NEW:-gizmo}
[ -x "$ZUK" ] || { echo "no zuk-cli at $ZUK: build first (cmake --build --preset default)" >&2; exit 2; }
ZUK=$(cd "$(dirname "$ZUK")" && pwd)/$(basename "$ZUK")
# Earlier builds, labelled zuk-before, zuk-before2, ...: before_commands PATTERN gives one
# entry each, PATTERN's @ replaced by the build.
befores=()
IFS=: read -r -a given_befores <<< "${ZUK_BEFORE:-}"
for b in "${given_befores[@]}"; do
    [ -n "$b" ] && befores+=("$(cd "$(dirname "$b")" && pwd)/$(basename "$b")")
done
before_commands() {
    local i label
    for i in "${!befores[@]}"; do
        label=zuk-before
        if [ "$i" -gt 0 ]; then label+=$((i + 1)); fi
        printf '%s\n' "$label$2|${1//@/${befores[$i]}}"
    done
}

# The tools, from Debian's own packages.
missing=()
for pair in hyperfine:hyperfine sd:sd rpl:rpl rg:ripgrep /usr/bin/time:time python3:python3; do
    command -v "${pair%%:*}" >/dev/null || missing+=("${pair#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing ${missing[*]} ..."
    apt-get install -y "${missing[@]}" >/dev/null
fi

work=$(mktemp -d "${BENCH_DIR:-/tmp}/zuk-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "Generating $FILES files (about $MB MB) and a $BIG_MIB MiB file in $work ..."
python3 "$here/make_tree.py" --tree "$work/tree" --files "$FILES" --total-mb "$MB" \
    --list "$work/tree.lst0" --big "$work/big.txt" --big-mib "$BIG_MIB" --word "$WORD"
# The dense variant: as big, with the word on every second line.
python3 - "$work/dense.txt" "$BIG_MIB" "$WORD" <<'PY'
import sys
path, mib, word = sys.argv[1], int(sys.argv[2]), sys.argv[3]
pair = ("<p>the quick brown %s jumps over the lazy dog</p>\n" % word +
        "<p>and then it rests for a while in the sun</p>\n").encode()
with open(path, "wb") as out:
    out.write(pair * (mib * 1024 * 1024 // len(pair)))
PY
echo "$(find "$work/tree" -type f | wc -l) files," \
     "$(tr -cd '\0' < "$work/tree.lst0" | wc -c) of the seven types searched," \
     "$(du -sm "$work/tree" | cut -f1) MB on disk"

# The same literal, case-sensitive replacement for every tool; the others get the list of
# the files that zuk-cli picks by type, zuk-cli walks the tree itself.
list=$work/tree.lst0
tree_commands=(
    "zuk-cli|$ZUK --yes --case --subdirs --search $WORD --replace $NEW ."
    "sd|xargs -0 -a $list sd -s $WORD $NEW"
    "sed -i|xargs -0 -a $list sed -i s/$WORD/$NEW/g"
    "perl -pi|xargs -0 -a $list perl -pi -e s/$WORD/$NEW/g"
    "rpl|xargs -0 -a $list rpl -q -F $WORD $NEW"
)
# with_befores ARRAY PATTERN [LABEL-SUFFIX]: the earlier builds' entries right after zuk-cli's.
with_befores() {
    local -n entries=$1
    local extra=()
    mapfile -t extra < <(before_commands "$2" "${3:-}")
    entries=("${entries[0]}" "${extra[@]}" "${entries[@]:1}")
}
with_befores tree_commands "@ --yes --case --subdirs --search $WORD --replace $NEW ."
# file_commands NAME: the same replacement on one file.
file_commands() {
    file_command_list=(
        "zuk-cli|$ZUK --yes --case --mode file --search $WORD --replace $NEW $1"
        "sd|sd -s $WORD $NEW $1"
        "sed -i|sed -i s/$WORD/$NEW/g $1"
        "perl -pi|perl -pi -e s/$WORD/$NEW/g $1"
        "rpl|rpl -q -F $WORD $NEW $1"
    )
    with_befores file_command_list "@ --yes --case --mode file --search $WORD --replace $NEW $1"
}
types='*.{htm,html,cfm,txt,pl,asp,php}'
search_commands=(
    "zuk-cli --search-only|$ZUK --case --subdirs --search-only --search $WORD ."
    "rg -c -F|rg -c -F $WORD -g '$types' ."
)
with_befores search_commands "@ --case --subdirs --search-only --search $WORD ." " --search-only"

prepare_tree="rm -rf $work/run && cp -a $work/tree $work/run && sync"
prepare_big="rm -rf $work/run && mkdir $work/run && cp $work/big.txt $work/run/ && sync"
prepare_dense="rm -rf $work/run && mkdir $work/run && cp $work/dense.txt $work/run/ && sync"

digest() {
    (cd "$work/run" && find . -type f -print0 | sort -z | xargs -0 sha256sum | sha256sum)
}

# group NAME PREPARE COMMANDS...: hyperfine over fresh copies, then one more run of each
# under /usr/bin/time for its peak memory and a check of the bytes it left.
group() {
    local name=$1 prepare=$2
    shift 2
    case " ${ONLY:-$name} " in *" $name "*) ;; *) return 0 ;; esac
    local args=() reference="" entry label command
    for entry in "$@"; do
        label=${entry%%|*}
        case " ${SKIP:-} " in *" ${label%% *} "*) continue ;; esac
        command=${entry#*|}
        args+=(-n "$label" "cd $work/run && $command")
        eval "$prepare"
        (cd "$work/run" && /usr/bin/time -f "%M" -o "$work/peak" sh -c "$command" \
            >/dev/null 2>"$work/stderr") || { cat "$work/stderr" >&2; }
        echo "$label|$(cat "$work/peak")" >> "$work/$name.peaks"
        local d
        d=$(digest)
        if [ -n "${unchecked:-}" ]; then
            : # the group's commands leave different bytes by design
        elif [ -z "$reference" ]; then
            reference=$d
        elif [ "$d" != "$reference" ]; then
            echo "$name: $label left other bytes than zuk-cli" >> "$work/differences"
        fi
    done
    # Without a fresh copy to make, one untimed run first fills the caches.
    local warmup=0
    [ "$prepare" = ":" ] && warmup=1
    hyperfine --style basic --runs "$RUNS" --warmup "$warmup" --prepare "$prepare" \
        --export-json "$work/$name.json" "${args[@]}" >/dev/null
}

echo "Timing the tree ..."
group tree "$prepare_tree" "${tree_commands[@]}"
echo "Timing the big file ..."
file_commands big.txt
group big "$prepare_big" "${file_command_list[@]}"
echo "Timing the dense file ..."
file_commands dense.txt
group dense "$prepare_dense" "${file_command_list[@]}"
echo "Timing the search-only count ..."
eval "$prepare_tree"
group search ":" "${search_commands[@]}"

# Regular expressions, whole words: a count against rg, a replacement against sd (whose
# expressions are regular by default), a pathological expression on 1 MB of "a", and --word
# beside the plain literal replacement.
EXPR=${EXPR:-wid([a-z]+)t}
regex_search_commands=(
    "zuk-cli --regex --search-only|$ZUK --regex --case --subdirs --search-only --search '$EXPR' ."
    "rg -c|rg -c '$EXPR' -g '$types' ."
)
with_befores regex_search_commands "@ --regex --case --subdirs --search-only --search '$EXPR' ." \
    " --regex --search-only"
regex_replace_commands=(
    "zuk-cli --regex|$ZUK --yes --regex --case --subdirs --search '$EXPR' --replace 'w\$1' ."
    "sd|xargs -0 -a $list sd '$EXPR' 'w\$1'"
)
with_befores regex_replace_commands \
    "@ --yes --regex --case --subdirs --search '$EXPR' --replace 'w\$1' ." " --regex"
# One big file: an expression that can't match a line break streams, so memory stays flat.
regex_big_commands=(
    "zuk-cli --regex|$ZUK --yes --regex --case --mode file --search '$EXPR' --replace 'w\$1' big.txt"
    "sd|sd '$EXPR' 'w\$1' big.txt"
)
with_befores regex_big_commands \
    "@ --yes --regex --case --mode file --search '$EXPR' --replace 'w\$1' big.txt" " --regex"
python3 -c 'import sys; open(sys.argv[1], "w").write("a" * (1 << 20))' "$work/patho.txt"
# (A label holds no "|", which ends it.)
patho_commands=(
    "zuk-cli --regex (a or aa)*b|$ZUK --regex --case --mode file --search-only --search '(a|aa)*b' patho.txt"
    "zuk-cli --regex a*b|$ZUK --regex --case --mode file --search-only --search 'a*b' patho.txt"
)
word_commands=(
    "zuk-cli --word|$ZUK --yes --word --case --subdirs --search $WORD --replace $NEW ."
    "zuk-cli|$ZUK --yes --case --subdirs --search $WORD --replace $NEW ."
)
echo "Timing the regular expressions ..."
eval "$prepare_tree"
group regex_search ":" "${regex_search_commands[@]}"
group regex_replace "$prepare_tree" "${regex_replace_commands[@]}"
group regex_big "$prepare_big" "${regex_big_commands[@]}"
group word "$prepare_tree" "${word_commands[@]}"
prepare_patho="rm -rf $work/run && mkdir $work/run && cp $work/patho.txt $work/run/ && sync"
group patho "$prepare_patho" "${patho_commands[@]}"

# A dry run (the preview's sink: every find kept, nothing written) beside the replacing run.
dry_commands=(
    "zuk-cli|$ZUK --yes --case --subdirs --search $WORD --replace $NEW ."
    "zuk-cli --dry-run|$ZUK --dry-run --case --subdirs --search $WORD --replace $NEW ."
    "zuk-cli --dry-run --list|$ZUK --dry-run --list --case --subdirs --search $WORD --replace $NEW ."
)
echo "Timing the dry run ..."
unchecked=1 group dry_run "$prepare_tree" "${dry_commands[@]}"

echo "Timing the floors ..."
hyperfine --style basic --runs "$RUNS" --warmup 1 --export-json "$work/floors.json" \
    --prepare "rm -rf $work/copy" -n "cp -a of the tree" "cp -a $work/tree $work/copy" \
    -n "cp of the big file" "cp $work/big.txt $work/copy" \
    -n "cat of the big file" "cat $work/big.txt" >/dev/null

# The two counts must agree: zuk-cli's finds against rg's matches, one per line. The last
# group may have left another folder in run (rg finding nothing there would end the script).
eval "$prepare_tree"
zuk_finds=$(cd "$work/run" && "$ZUK" --case --subdirs --search-only --search "$WORD" . 2>/dev/null \
    | sed -n 's/^Replaced Items : //p')
rg_finds=$(cd "$work/run" && rg -o -F --no-filename "$WORD" -g "$types" . | wc -l)

python3 - "$work" <<'PY'
import json, sys, os
work = sys.argv[1]
for name, title in (("tree", "Tree"), ("big", "One big file"),
                    ("dense", "One big file, a find on every second line"),
                    ("search", "Search-only count"),
                    ("regex_search", "Regular expression count"),
                    ("regex_replace", "Regular expression replacement"),
                    ("regex_big", "Regular expression replacement in one big file"),
                    ("word", "Whole words beside the plain literal"),
                    ("patho", "A pathological expression on 1 MB of a"),
                    ("dry_run", "A dry run beside the replacing run")):
    if not os.path.exists(os.path.join(work, name + ".json")):
        continue
    results = json.load(open(os.path.join(work, name + ".json")))["results"]
    peaks = dict(line.strip().split("|") for line in open(os.path.join(work, name + ".peaks")))
    base = results[0]["median"]
    print("\n%s" % title)
    print("| tool | median s | ratio to zuk-cli | peak memory MB |")
    print("|---|---:|---:|---:|")
    for r in results:
        print("| %s | %.3f | %.2f | %.1f |" % (r["command"], r["median"], r["median"] / base,
                                              int(peaks[r["command"]]) / 1024))
print("\nFloors")
print("| command | median s |")
print("|---|---:|")
for r in json.load(open(os.path.join(work, "floors.json")))["results"]:
    print("| %s | %.3f |" % (r["command"], r["median"]))
PY
echo
echo "Finds counted: zuk-cli $zuk_finds, rg -o $rg_finds"
if [ -s "$work/differences" ]; then
    cat "$work/differences"
    exit 1
fi
echo "Every tool left byte-identical files."

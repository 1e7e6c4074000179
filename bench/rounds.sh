# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the side-by-side scripts that time whole commands in rounds: sourced with $work
# set to a folder holding the pristine tree in $work/pristine.

# A fresh copy of the pristine tree in $work/run.
fresh() {
    rm -rf "$work/run"
    cp -a "$work/pristine" "$work/run"
    sync
}
# measure NAME COMMAND...: runs in $work/run, appends "seconds peak-KB" to $work/NAME.times
measure() {
    local name=$1
    shift
    (cd "$work/run" && /usr/bin/time -f "%e %M" -o "$work/time.out" "$@" >/dev/null 2>&1)
    cat "$work/time.out" >> "$work/$name.times"
}
# One hash of every file's bytes in $work/run.
digest() {
    (cd "$work/run" && find . -type f -print0 | sort -z | xargs -0 sha256sum | sha256sum)
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
# report NAME...: median time, ratio to the first NAME's, and peak memory of each.
report() {
    local first=$1 name m peak
    printf '\n%-10s %12s %12s %14s\n' tool "median s" "ratio" "peak memory"
    local base
    base=$(cut -d' ' -f1 "$work/$first.times" | median)
    for name in "$@"; do
        m=$(cut -d' ' -f1 "$work/$name.times" | median)
        peak=$(cut -d' ' -f2 "$work/$name.times" | sort -n | tail -1)
        awk -v n="$name" -v m="$m" -v z="$base" -v p="$peak" \
            'BEGIN {printf "%-10s %12.3f %12.2f %11.1f MB\n", n, m, m / z, p / 1024}'
    done
}

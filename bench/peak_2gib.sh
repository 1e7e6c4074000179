#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The peak memory of zuk-cli replacing in one file of GIB GiB (default 2): in the file modes it
# must not grow with the file. Needs room for the file twice (it and its new version).
#
#   BENCH_DIR=/dev/shm bench/peak_2gib.sh
#   GIB=4 bench/peak_2gib.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
ZUK=${ZUK:-$here/../build/zuk-cli}
GIB=${GIB:-2}
work=$(mktemp -d "${BENCH_DIR:-/tmp}/zuk-peak.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 "$here/make_tree.py" --big "$work/big.txt" --big-mib $((GIB * 1024)) --word widget
ls -l "$work/big.txt"
/usr/bin/time -v "$ZUK" --yes --case --mode file --search widget --replace gizmo "$work/big.txt" \
    2>&1 | grep -E "Replaced Items|Elapsed|Maximum resident"

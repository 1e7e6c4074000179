#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The peak memory of zuk-cli --batch-test on a batch file of one entry of MIB MiB (default 50),
# plain and quoted: the readers take a small multiple of the file, whatever its lines' length.
#
#   BENCH_DIR=/dev/shm bench/batch_peak.sh
#   MIB=200 bench/batch_peak.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
ZUK=${ZUK:-$here/../build/zuk-cli}
MIB=${MIB:-50}
work=$(mktemp -d "${BENCH_DIR:-/tmp}/zuk-batch-peak.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 - "$work" "$MIB" <<'PY'
import sys
folder, half = sys.argv[1], int(sys.argv[2]) << 19
open(folder + "/plain.txt", "wb").write(b"a" * half + b"|" + b"b" * half + b"\r\n")
open(folder + "/quoted.txt", "wb").write(b'"' + b"a" * half + b'"|"' + b"b" * half + b'"\r\n')
PY
for form in plain quoted; do
    quoted=
    [ $form = quoted ] && quoted=--quoted
    /usr/bin/time -f "$form, ${MIB} MiB: %M KB peak, %e s" \
        "$ZUK" --batch-test "$work/$form.txt" $quoted >/dev/null
done

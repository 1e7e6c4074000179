#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the icon's one source, an SVG, to the PNG sizes of the hicolor theme:
#   scripts/make-icons.sh SOURCE.svg OUTDIR NAME
# writes OUTDIR/NxN/apps/NAME.png for every size. The build runs it; rsvg-convert comes from
# Debian's librsvg2-bin (scripts/install-deps.sh).
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 SOURCE.svg OUTDIR NAME" >&2; exit 2; }
source_svg=$1 out=$2 name=$3
for size in 16 32 48 64 128 256; do
    mkdir -p "$out/${size}x${size}/apps"
    rsvg-convert --width "$size" --height "$size" --format png \
        --output "$out/${size}x${size}/apps/$name.png" "$source_svg"
done

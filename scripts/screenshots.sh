#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Saves pictures of the main window (narrow, with the Options menu's items on, wide in text
# mode, running), the log viewer, the help viewer, the About box, the batch window and its test
# view to docs/screenshots, drawn on a virtual X server so that no desktop is needed, and the
# whole of a laptop's 1366x768 screen
# and of a 1920x1080 screen at scale 2 with the window as it opens there, framed by openbox
# when it is installed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tool="$root/build/tests/zuk-screenshots"
if [ ! -x "$tool" ]; then
    cmake --preset default -S "$root" >/dev/null
    cmake --build --preset default --target zuk-screenshots
fi
out="$root/docs/screenshots"
mkdir -p "$out"
ZUK_SCREENSHOT_DIR="$out" xvfb-run -a -s "-screen 0 1600x1000x24" "$tool"
screen() { # WIDTHxHEIGHT FILE [VARIABLE=VALUE...]
    local size=$1 file=$2
    shift 2
    env "$@" xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
        if command -v openbox >/dev/null; then openbox >/dev/null 2>&1 & sleep 1; fi
        "$0" --screen "$1"' "$tool" "$file"
}
screen 1366x768 "$out/screen-1366x768.png"
screen 1920x1080 "$out/screen-1920x1080-scale2.png" QT_SCALE_FACTOR=2

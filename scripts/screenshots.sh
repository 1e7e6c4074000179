#!/usr/bin/env bash
# Saves pictures of the main window (narrow, wide in text mode, running), the log viewer, the
# help viewer and the About box to docs/screenshots, drawn on a virtual X server so that no
# desktop is needed.
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

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the desktop entry and the AppStream metadata through Debian's validators; skipped
# (status 77) when they aren't installed (scripts/install-deps.sh installs them).
#   validators_test.sh DESKTOP_ENTRY METAINFO
set -uo pipefail
missing=()
command -v desktop-file-validate >/dev/null || missing+=(desktop-file-utils)
command -v appstreamcli >/dev/null || missing+=(appstream)
if [ ${#missing[@]} -gt 0 ]; then
    echo "SKIPPED: validators not installed (Debian packages: ${missing[*]})"
    exit 77
fi
status=0
desktop-file-validate "$1" || status=1
appstreamcli validate --no-net "$2" || status=1
exit $status

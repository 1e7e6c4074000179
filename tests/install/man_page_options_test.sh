#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every option that `zuk-cli --help` lists, long and short, is described in zuk-cli.1.
#   man_page_options_test.sh ZUK_CLI MAN_PAGE
set -euo pipefail
options=$("$1" --help | sed -n -E 's/^ +(-([[:alnum:]]), )?(--[[:alnum:]-]+).*/\2 \3/p')
[ -n "$options" ] || { echo "FAIL: no options in --help" >&2; exit 1; }
missing=() count=0
for option in $options; do
    [ ${#option} -eq 1 ] && option=-$option
    # The page writes each hyphen as \-.
    pattern="(^|[^-])${option//-/\\\\-}([^[:alnum:]-]|\$)"
    grep -qE "$pattern" "$2" || missing+=("$option")
    count=$((count + 1))
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "FAIL: options of zuk-cli --help missing from $2: ${missing[*]}" >&2
    exit 1
fi
echo "all $count options of zuk-cli --help are in $2"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The bash completion of zuk-cli, called as bash calls it on Tab:
#   completion_test.sh ZUK_CLI COMPLETION_FILE
set -uo pipefail
cli=$1
source "$2"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/site dir" && touch "$tmp/site dir/page.htm" "$tmp/search.txt"

failures=0
# complete WORDS... : completes the last word of the command line, as typed.
complete_line() {
    COMP_WORDS=("$cli" "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _zuk_cli
    printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' '
}
check() {
    local want=$1 got
    shift
    got=$(complete_line "$@")
    if [ "$got" != "$want" ]; then
        echo "FAIL: zuk-cli $* <Tab>: got [$got], want [$want]" >&2
        failures=$((failures + 1))
    fi
}

check "--mode" --mo
check "--replace --replace-file" --repl
check "-s" -s
check "dir file text" --mode ""
check "file" -m fi
check "text" --mode = te
check "htm html" --type ht
check "htm,php htm,pl" --type htm,p
check "" --search ""
check "$tmp/search.txt" --search-file "$tmp/sea"
check "$tmp/site dir" --rollback "$tmp/si"
check "$tmp/site dir/page.htm" --yes -s old "$tmp/site dir/p"
check "$tmp/site dir/page.htm" --yes -s old "$tmp/search.txt" "$tmp/site dir/p"
check "$tmp/search.txt" --files-from "$tmp/sea"
check "-0" -s old -0
# --threads N offers the counts from 1 to the cores.
if [ "$(complete_line --threads "" | cut -d' ' -f1)" != 1 ]; then
    echo "FAIL: zuk-cli --threads <Tab> doesn't offer 1" >&2
    failures=$((failures + 1))
fi

# Every option of the live --help completes.
for option in $("$cli" --help | sed -n -E 's/^ +(-[[:alnum:]], )?(--[[:alnum:]-]+).*/\2/p'); do
    if ! complete_line "$option" | tr ' ' '\n' | grep -qxF -- "$option"; then
        echo "FAIL: $option doesn't complete" >&2
        failures=$((failures + 1))
    fi
done
# An option added later completes by what its value is called in --help.
real_cli=$cli cli=$tmp/newer-zuk-cli
printf '#!/bin/sh\n"%s" "$@"\necho "      --later-file FILE   x"\necho "      --later-text TEXT   x"\n' \
    "$real_cli" >"$cli"
chmod +x "$cli"
check "--later-file" --later-f
check "$tmp/search.txt" --later-file "$tmp/sea"
check "" --later-text ""
[ $failures -eq 0 ] || exit 1
echo "completion: every case passed"

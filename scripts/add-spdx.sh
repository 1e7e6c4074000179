#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Puts the licence line at the top of every source file that lacks it, in the file's comment
# syntax (below a "#!" line, which must stay first); a file that has it is left alone, so this
# can run again after every merge. With --check nothing changes and the files without the
# line are listed (status 1).
#   scripts/add-spdx.sh [--check] [ROOT]
# Source files: C++ (.cpp, .h, .h.in) and shell, Python, CMake and make files, anywhere in
# the tree. Documents (.md) and data (fuzz/corpus, .json) carry no line. A file of any other kind
# under src, tests, bench, fuzz or scripts is refused until its kind is named below.
set -euo pipefail
identifier="SPDX-License-Identifier: GPL-3.0-or-later"

check=0
if [ "${1-}" = --check ]; then
    check=1
    shift
fi
[ $# -le 1 ] || { echo "usage: $0 [--check] [ROOT]" >&2; exit 2; }
root=$(cd "${1:-$(dirname "$0")/..}" && pwd -P)
cd "$root"

# The comment that opens a line of this file, "-" for no line, "?" for a kind not known.
comment_of() {
    case $1 in
    *.cpp | *.h | *.h.in) echo "//" ;;
    *.sh | *.py | *.cmake | CMakeLists.txt | */CMakeLists.txt | Makefile | */Makefile) echo "#" ;;
    *.md | *.json | fuzz/corpus/*) echo "-" ;;
    src/* | tests/* | bench/* | fuzz/* | scripts/*) echo "?" ;;
    *) echo "-" ;;
    esac
}

# The files of the checkout (untracked ones too, ignored ones not). Without git: the files at
# the top and in the source folders, so that a build folder inside the tree doesn't count.
list_files() {
    if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$root" ]; then
        git ls-files -z --cached --others --exclude-standard
    else
        find . -maxdepth 1 -type f -printf '%P\0'
        for folder in src tests bench fuzz scripts cmake data; do
            [ ! -d "$folder" ] || find "$folder" -type f -print0
        done
    fi
}

status=0 added=0
while IFS= read -r -d '' file; do
    [ -f "$file" ] || continue # deleted, not yet staged
    comment=$(comment_of "$file")
    case $comment in
    -) continue ;;
    "?")
        echo "$file: no comment syntax known for this kind of file (add it to $0)" >&2
        status=1
        continue
        ;;
    esac
    line="$comment $identifier"
    at=1
    [ "$(head -c 2 "$file")" != "#!" ] || at=2
    [ "$(sed -n "${at}p" "$file")" != "$line" ] || continue
    if head -n "$at" "$file" | grep -q 'SPDX-License-Identifier:'; then
        echo "$file: has another licence line; left as it is" >&2
        status=1
    elif [ $check = 1 ]; then
        echo "$file: no \"$line\" at line $at" >&2
        status=1
    elif [ ! -s "$file" ]; then
        printf '%s\n' "$line" >"$file"
        added=$((added + 1))
    else
        # GNU sed -i keeps the file's mode.
        if [ $at = 1 ]; then sed -i "1i\\$line" "$file"; else sed -i "1a\\$line" "$file"; fi
        added=$((added + 1))
    fi
done < <(list_files)
[ $check = 1 ] || echo "licence line added to $added files"
exit $status

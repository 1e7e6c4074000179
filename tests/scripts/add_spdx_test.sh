#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/add-spdx.sh on a small tree of every kind of file it meets:
#   add_spdx_test.sh ADD_SPDX_SCRIPT
set -euo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tmp=$work/tree err=$work/err
fail() { echo "FAIL: $*" >&2; exit 1; }
cpp="// SPDX-License-Identifier: GPL-3.0-or-later"
hash="# SPDX-License-Identifier: GPL-3.0-or-later"

# Each row: a file, its text before, its text after (\n as in printf).
rows=(
    "src/a.cpp|// Why this file.\n#include <x>\n|$cpp\n// Why this file.\n#include <x>\n"
    "src/a.h|#pragma once\n|$cpp\n#pragma once\n"
    "src/b.h.in|#pragma once|$cpp\n#pragma once"
    "src/empty.h||$cpp\n"
    "scripts/run.sh|#!/usr/bin/env bash\n# Says why.\n|#!/usr/bin/env bash\n$hash\n# Says why.\n"
    "bench/tree.py|#!/usr/bin/env python3\n\"\"\"Doc.\"\"\"\n|#!/usr/bin/env python3\n$hash\n\"\"\"Doc.\"\"\"\n"
    "bench/sourced.sh|# Sourced.\n|$hash\n# Sourced.\n"
    "tests/CMakeLists.txt|add_test()\n|$hash\nadd_test()\n"
    "cmake/package.cmake|set()\n|$hash\nset()\n"
    "Makefile|all:\n|$hash\nall:\n"
    "fuzz/README.md|# Fuzzing\n|# Fuzzing\n"
    "fuzz/corpus/x/one|a;b\r\n|a;b\r\n"
    "data/help.txt|GUIDE\n|GUIDE\n"
    "data/completion/zuk-cli|# completion\n|# completion\n"
)
for row in "${rows[@]}"; do
    IFS='|' read -r file before _ <<<"$row"
    mkdir -p "$tmp/$(dirname "$file")"
    printf "$before" >"$tmp/$file"
done
printf '// SPDX-License-Identifier: MIT\nint x;\n' >"$tmp/src/other.cpp"
chmod 755 "$tmp/scripts/run.sh"

check() { "$script" --check "$tmp" 2>"$err"; }
check && fail "--check passed before the lines were added"
grep -q '^src/a.cpp: ' "$err" || fail "--check does not name src/a.cpp: $(cat "$err")"
# The file with another licence's line is refused and left alone; the others get theirs.
"$script" "$tmp" >/dev/null 2>"$err" && fail "a file with another licence line passed"
grep -q '^src/other.cpp: has another licence line' "$err" || fail "$(cat "$err")"
grep -qx '// SPDX-License-Identifier: MIT' <(head -n1 "$tmp/src/other.cpp") || fail "other.cpp"
rm "$tmp/src/other.cpp"
for row in "${rows[@]}"; do
    file=${row%%|*} after=${row##*|}
    cmp -s <(printf "$after") "$tmp/$file" || fail "$file: $(cat -A "$tmp/$file")"
done
[ "$(stat -c %a "$tmp/scripts/run.sh")" = 755 ] || fail "run.sh lost its mode"

# Again: nothing changes, and the check passes.
before=$(find "$tmp" -type f -exec md5sum {} + | sort)
[ "$("$script" "$tmp")" = "licence line added to 0 files" ] || fail "second run added lines"
[ "$(find "$tmp" -type f -exec md5sum {} + | sort)" = "$before" ] || fail "second run changed files"
check || fail "--check after adding: $(cat "$err")"

# A kind of file it knows no comment for is refused in the source folders, in both modes.
printf 'x\n' >"$tmp/src/new.hpp"
check && fail "--check passed src/new.hpp"
"$script" "$tmp" >/dev/null 2>"$err" && fail "src/new.hpp passed"
grep -q '^src/new.hpp: no comment syntax known' "$err" || fail "$(cat "$err")"
[ "$(cat "$tmp/src/new.hpp")" = x ] || fail "src/new.hpp was changed"
echo "add-spdx.sh: ${#rows[@]} kinds of file, twice, and an unknown kind"

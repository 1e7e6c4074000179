#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary DESTDIR and uses the installed programs from there:
#   installed_tree_test.sh BUILD_DIR VERSION APP_ID
set -euo pipefail
build=$1 version=$2 app_id=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$tmp/root cmake --install "$build" --prefix /usr >/dev/null
usr=$tmp/root/usr

# Every file an installation must hold.
expected=(
    bin/zuk
    bin/zuk-cli
    share/zukanor/help.txt
    "share/applications/$app_id.desktop"
    "share/metainfo/$app_id.metainfo.xml"
    "share/icons/hicolor/scalable/apps/$app_id.svg"
    share/man/man1/zuk.1.gz
    share/man/man1/zuk-cli.1.gz
    share/bash-completion/completions/zuk-cli
    share/doc/zukanor/copyright
    share/doc/zukanor/changelog.gz
)
for size in 16 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
for file in "${expected[@]}"; do
    [ -s "$usr/$file" ] || fail "not installed: $file"
done
for size in 16 32 48 64 128 256; do
    file=$usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    file "$file" | grep -q "PNG image data, $size x $size," || fail "not a ${size}px PNG: $file"
done

# The command line: its version, and a real replacement.
export AppData=$tmp/appdata XDG_RUNTIME_DIR=$tmp/runtime
mkdir -m 700 "$AppData" "$XDG_RUNTIME_DIR"
version_text=$("$usr/bin/zuk-cli" --version)
[ "$(head -n1 <<<"$version_text")" = "zuk-cli $version" ] || fail "zuk-cli --version"
mkdir "$tmp/site"
printf 'one old line\r\nold\r\n' >"$tmp/site/page.htm"
counters=$("$usr/bin/zuk-cli" --yes --search old --replace new "$tmp/site" 2>"$tmp/messages") ||
    fail "zuk-cli: $(cat "$tmp/messages")"
printf 'one new line\r\nnew\r\n' | cmp -s - "$tmp/site/page.htm" || fail "replacement not made"
grep -qx 'Replaced Items : 2' <<<"$counters" || fail "counters: $counters"

# The window, offscreen, finds its help text through the installed path.
probe=$(QT_QPA_PLATFORM=offscreen ZUK_TEST_INSTALL_PROBE=1 timeout 60 \
    "$usr/bin/zuk" 2>/dev/null) || fail "zuk did not start: $probe"
grep -qxF "help: $usr/share/zukanor/help.txt" <<<"$probe" || fail "help text: $probe"
grep -qxF "shown: $(head -n1 "$usr/share/zukanor/help.txt")" <<<"$probe" ||
    fail "help viewer: $probe"

# The window's icon comes from the installed theme (the offscreen platform reads no icon
# theme, so this takes an X server). The hicolor theme's index is the system's.
index=/usr/share/icons/hicolor/index.theme
if ! command -v xvfb-run >/dev/null || [ ! -f "$index" ]; then
    echo "NOTE: the theme icon was not checked (needs xvfb-run and $index)"
    exit 0
fi
mkdir -p "$tmp/theme/icons/hicolor"
cp "$index" "$tmp/theme/icons/hicolor/"
for data_dirs in "$usr/share:$tmp/theme" "$tmp/theme"; do
    probe=$(QT_QPA_PLATFORM=xcb XDG_DATA_DIRS=$data_dirs XDG_DATA_HOME=$tmp/none \
        ZUK_TEST_INSTALL_PROBE=1 timeout 60 xvfb-run -a "$usr/bin/zuk" 2>/dev/null) ||
        fail "zuk did not start under xvfb-run: $probe"
    want=drawn
    [ "$data_dirs" = "$tmp/theme" ] || want=theme
    grep -qx "icon: $want" <<<"$probe" || fail "icon with XDG_DATA_DIRS=$data_dirs: $probe"
done
echo "installed tree: ${#expected[@]} files, zuk-cli and zuk run from it"

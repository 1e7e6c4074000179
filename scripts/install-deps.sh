#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build, the tests, the screenshots and `make package`
# need, if missing: libre2-dev is the regular expression engine and libxxhash-dev the undo
# journal's hash (both found through pkg-config);
# librsvg2-bin renders the icon; dpkg-dev and file let the package's dependencies be
# computed; the next three check the desktop files and the package; git is the reference the
# ignore-file tests compare with.
set -euo pipefail
packages=(g++ cmake ninja-build make pkg-config qt6-base-dev libgl-dev libre2-dev libxxhash-dev
          libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth poppler-utils openbox librsvg2-bin
          dpkg-dev file desktop-file-utils appstream lintian git)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as a person installs it: built by cpack from this build, installed with
# dpkg, run from its installed path, its launcher and metainfo validated, then removed without
# leaving a file behind. Installing needs root (CI runs as root); otherwise the test is skipped.
# Usage: test_package.sh BUILD-DIR VERSION
set -euo pipefail
build=$1 version=$2
skip() { echo "skipped: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root (CI runs the suite as root)"
if dpkg-query -W -f='${Status}' quillmere 2>/dev/null | grep -q 'install ok installed'; then
    skip "a quillmere package is installed already; this test does not replace it"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
deb=$(echo "$work"/quillmere_*.deb)
# The dependencies come from the scan of the linked libraries.
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' ||
    { echo "no Qt in the dependencies: $(dpkg-deb -f "$deb" Depends)"; exit 1; }

trap 'dpkg -r quillmere >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
dpkg -i "$deb"
files=$(dpkg -L quillmere)
[ "$(/usr/bin/quillmere --version)" = "Quillmere $version" ]
desktop-file-validate /usr/share/applications/org.quillmere.Quillmere.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.quillmere.Quillmere.metainfo.xml
for icon in scalable/apps/org.quillmere.Quillmere.svg 16x16/apps/org.quillmere.Quillmere.png \
    256x256/apps/org.quillmere.Quillmere.png; do
    [ -s "/usr/share/icons/hicolor/$icon" ] || { echo "missing icon $icon"; exit 1; }
done
ls /usr/share/man/man1/quillmere.1* >/dev/null

dpkg -r quillmere
for file in $files; do
    if [ -f "$file" ]; then echo "left behind: $file"; exit 1; fi
done
echo "package: built, installed, ran, validated and removed"

#!/usr/bin/env bash
# The desktop files as installed: the menu entry passes
# desktop-file-validate, the AppStream metadata passes appstreamcli
# validate --no-net, and both manual pages format without a warning and
# name the programs' version; the application id is the same in the
# entry's name, its icon, the metadata and the icons' file names, and every
# icon is a PNG of its folder's size.
#
# usage: desktop_files.sh BUILD_DIR APP_ID
set -uo pipefail

BUILD_DIR=$1
APP_ID=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# shellcheck source=../tools/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/../tools/checks.sh"

for tool in desktop-file-validate appstreamcli groff; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup installs it)"; exit 77; }
done

PREFIX="$WORK/prefix"
if ! cmake --install "$BUILD_DIR" --prefix "$PREFIX" >"$WORK/install.log" 2>&1; then
  echo "FAIL: cmake --install: $(tail -3 "$WORK/install.log")"
  exit 1
fi
SHARE="$PREFIX/share"
DESKTOP="$SHARE/applications/$APP_ID.desktop"
METAINFO="$SHARE/metainfo/$APP_ID.metainfo.xml"

# Validators: clean, not merely passing (their findings are printed).
check "desktop-file-validate" 0 desktop-file-validate "$DESKTOP"
expect "desktop-file-validate has nothing to say" test ! -s "$WORK/out" -a ! -s "$WORK/err"
cat "$WORK/out" "$WORK/err"
check "appstreamcli validate" 0 appstreamcli validate --no-net "$METAINFO"
sed 's/^/appstreamcli: /' "$WORK/out"
expect "appstreamcli: no errors or warnings" bash -c '! grep -q "^[EW]:" "$1"' - "$WORK/out"

expect "entry runs the program on the path" grep -qx "Exec=zelvik" "$DESKTOP"
expect "entry's icon is the application id" grep -qx "Icon=$APP_ID" "$DESKTOP"
expect "metadata's id is the application id" grep -q "<id>$APP_ID</id>" "$METAINFO"
expect "metadata launches the entry" grep -q "<launchable type=\"desktop-id\">$APP_ID.desktop<" "$METAINFO"

for size in 16 22 24 32 48 64 128 256; do
  icon="$SHARE/icons/hicolor/${size}x${size}/apps/$APP_ID.png"
  expect "icon at $size px is a ${size}x${size} RGBA PNG" \
    bash -c 'file -b "$1" | grep -q "^PNG image data, $2 x $2, 8-bit/color RGBA"' - "$icon" "$size"
done

# Manual pages: groff's own warnings (-ww) and man's.
for page in man6/zelvik.6.gz man1/zelvik-capture.1.gz; do
  zcat "$SHARE/man/$page" >"$WORK/page"
  check "groff $page" 0 groff -man -ww -z "$WORK/page"
  expect "groff $page: no warnings" test ! -s "$WORK/err"
  sed 's/^/  /' "$WORK/err"
  if command -v man >/dev/null; then
    check "man --warnings $page" 0 env MANWIDTH=80 man --warnings -l "$SHARE/man/$page"
    expect "man $page: no warnings" test ! -s "$WORK/err"
    sed 's/^/  /' "$WORK/err"
  fi
done
# Both pages carry the programs' own version (the build writes it in).
version="$("$PREFIX/bin/zelvik-capture" --version | cut -d' ' -f2)"
for page in man6/zelvik.6.gz man1/zelvik-capture.1.gz; do
  expect "$page names version $version" bash -c 'zcat "$1" | head -1 | grep -qF "\"Zelvik $2\""' - "$SHARE/man/$page" "$version"
done
# Every option of the capture tool's --help is in its manual page.
"$PREFIX/bin/zelvik-capture" --help | grep -o -- '--[a-z]\+' | sort -u >"$WORK/options"
zcat "$SHARE/man/man1/zelvik-capture.1.gz" | sed 's/\\-/-/g' >"$WORK/capture-page"
while read -r option; do
  expect "zelvik-capture.1 describes $option" grep -q -- "$option" "$WORK/capture-page"
done <"$WORK/options"

finish

#!/usr/bin/env bash
# Where the installed programs find scene1.bmp and demo.xm, through the
# installed capture tool (the show uses the same finder): the working
# folder first, then <prefix>/share/zelvik beside the program, also after
# the whole prefix has been moved; one line naming both places when
# neither has the file. Also the version and help of both programs.
#
# usage: data_lookup.sh BUILD_DIR VERSION
set -uo pipefail

BUILD_DIR=$1
VERSION=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# shellcheck source=../tools/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/../tools/checks.sh"

PREFIX="$WORK/prefix"
if ! cmake --install "$BUILD_DIR" --prefix "$PREFIX" >"$WORK/install.log" 2>&1; then
  echo "FAIL: cmake --install: $(tail -3 "$WORK/install.log")"
  exit 1
fi

# Grey level (0-255) of canvas pixel (x, y) of a frame written by --png.
grey_at() { convert "$1" -colorspace Gray -format "%[fx:round(p{$2,$3}*255)]" info:; }

# capture FOLDER PREFIX: the frame at demo clock 300 (panel and square in
# view), made by PREFIX's capture tool started in FOLDER.
capture() {
  rm -rf "$WORK/frames"
  (cd "$1" && exec "$2/bin/zelvik-capture" --at 300 --png "$WORK/frames" --quiet)
}
FRAME="$WORK/frames/clock_000300.png"

# Versions and help, printed before anything else happens.
check "zelvik --version" 0 "$PREFIX/bin/zelvik" --version
expect "zelvik --version says $VERSION" grep -qx "zelvik $VERSION" "$WORK/out"
check "zelvik-capture --version" 0 "$PREFIX/bin/zelvik-capture" --version
expect "zelvik-capture --version says $VERSION" grep -qx "zelvik-capture $VERSION" "$WORK/out"
check "zelvik --help" 0 "$PREFIX/bin/zelvik" --help
expect "zelvik --help names the installed data folder" grep -qF "$PREFIX/share/zelvik" "$WORK/out"
check "zelvik with an unknown option" 2 "$PREFIX/bin/zelvik" --fullscreen
expect "one line names the unknown option" test "$(cat "$WORK/err")" = \
  "zelvik: --fullscreen: unknown option (the show takes only --help or --version)"
check "zelvik --version with more" 2 "$PREFIX/bin/zelvik" --version now
expect "the extra word is named" grep -q "^zelvik: now: unknown option" "$WORK/err"

# An empty working folder: the installed sheet is used, silently.
mkdir "$WORK/empty"
check "installed sheet" 0 capture "$WORK/empty" "$PREFIX"
expect "installed sheet: nothing on stderr" test ! -s "$WORK/err"
expect "installed sheet: the first panel is drawn" test "$(grey_at "$FRAME" 40 15)" -gt 0
expect "installed sheet: the square is drawn" test "$(grey_at "$FRAME" 280 140)" -ge 150

# The working folder's file wins, even an unusable one: it is named in
# the one line, and the installed sheet is not used in its place.
mkdir "$WORK/own"
: >"$WORK/own/scene1.bmp"
check "working folder first" 0 capture "$WORK/own" "$PREFIX"
expect "working folder first: its file is the one read" test "$(cat "$WORK/err")" = "zelvik-capture: scene1.bmp: empty file"
expect "working folder first: no pictures" test "$(grey_at "$FRAME" 40 15)" -eq 0

# A good sheet of its own in the working folder is used as well: one with
# the first panel's place filled with the key colour (transparent) shows
# the black band there, although the installed sheet has a picture.
cp "$PREFIX/share/zelvik/scene1.bmp" "$WORK/own/scene1.bmp"
# Rows are stored bottom-up from offset 1078: sheet row r is stored row
# 199 - r. The key colour is the sheet byte at (170, 155); the first panel
# is cut from x 218-316, y 7-39.
key=$(od -An -tu1 -j $((1078 + (199 - 155) * 320 + 170)) -N1 "$WORK/own/scene1.bmp" | tr -d ' ')
printf "\\$(printf '%03o' "$key")%.0s" $(seq 99) >"$WORK/key-row"
for r in $(seq 7 39); do
  dd if="$WORK/key-row" of="$WORK/own/scene1.bmp" bs=1 seek=$((1078 + (199 - r) * 320 + 218)) \
    conv=notrunc status=none
done
check "working folder's good sheet" 0 capture "$WORK/own" "$PREFIX"
expect "working folder's good sheet: nothing on stderr" test ! -s "$WORK/err"
expect "working folder's good sheet: the panel is see-through" test "$(grey_at "$FRAME" 40 15)" -eq 0
expect "working folder's good sheet: the square is still drawn" test "$(grey_at "$FRAME" 280 140)" -ge 150

# The installed tree moved elsewhere still finds its data.
mv "$PREFIX" "$WORK/moved"
check "moved prefix" 0 capture "$WORK/empty" "$WORK/moved"
expect "moved prefix: nothing on stderr" test ! -s "$WORK/err"
expect "moved prefix: the first panel is drawn" test "$(grey_at "$FRAME" 40 15)" -gt 0

# A program with no data beside it, started in an empty folder: one line
# naming both places; the show is drawn without pictures.
mkdir -p "$WORK/bare/bin"
cp "$WORK/moved/bin/zelvik-capture" "$WORK/bare/bin/"
check "found nowhere" 0 capture "$WORK/empty" "$WORK/bare"
expect "found nowhere: one line naming both places" test "$(cat "$WORK/err")" = \
  "zelvik-capture: scene1.bmp: not found in $(realpath "$WORK/empty") or in $WORK/bare/share/zelvik"
expect "found nowhere: no pictures" test "$(grey_at "$FRAME" 40 15)" -eq 0

# A video needs its music: found nowhere, the capture fails with that line.
check "video without music found" 1 bash -c 'cd "$1" && exec "$2" --video "$3" --until 10 --quiet' - \
  "$WORK/empty" "$WORK/bare/bin/zelvik-capture" "$WORK/v.mp4"
expect "video without music found: the sheet's line and the music's" test "$(tail -1 "$WORK/err")" = \
  "zelvik-capture: demo.xm: not found in $(realpath "$WORK/empty") or in $WORK/bare/share/zelvik"
expect "video without music found: no file left" test ! -e "$WORK/v.mp4" -a ! -e "$WORK/v.mp4.part"

finish

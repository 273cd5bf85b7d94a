#!/usr/bin/env bash
# sheet_from_picture turns pictures of any size and colour count into
# sheets the show loads without a word: 320x200, 8 bits, the picture's own
# colours only in entries 0-126, index 255 at the key position and nowhere
# else. A picture that cannot be read leaves no file.
# Usage: sheet_from_picture.sh SHEET_FROM_PICTURE ZELVIK_CAPTURE
set -uo pipefail
TOOL=$1
CAPTURE=$2
command -v convert >/dev/null || { echo "convert is not installed"; exit 77; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
u32() { od -An -tu4 -j"$2" -N4 "$1" | tr -d ' '; }
u16() { od -An -tu2 -j"$2" -N2 "$1" | tr -d ' '; }
byte() { od -An -tu1 -j"$2" -N1 "$1" | tr -d ' '; }

convert -size 640x480 gradient:red-blue -swirl 90 "$WORK/photo.jpg"
convert -size 100x300 xc:green "$WORK/flat.png"
for picture in photo.jpg flat.png; do
  out="$WORK/${picture%.*}.bmp"
  "$TOOL" "$WORK/$picture" "$out" >/dev/null || { fail "$picture: status $?"; continue; }
  [[ $(u32 "$out" 18) == 320 && $(u32 "$out" 22) == 200 && $(u16 "$out" 28) == 8 && $(u32 "$out" 30) == 0 ]] ||
    fail "$picture: not 320x200, 8 bits, uncompressed"
  rows=$(u32 "$out" 10)
  # (170, 155) from the top is stored row 44 from the bottom.
  [[ $(byte "$out" $((rows + 320 * 44 + 170))) == 255 ]] || fail "$picture: no key index at (170, 155)"
  count=$(tail -c 64000 "$out" | od -An -tu1 -v | tr -s ' ' '\n' | grep -c '^255$')
  [[ $count == 1 ]] || fail "$picture: index 255 used $count times"
  highest=$(tail -c 64000 "$out" | od -An -tu1 -v | tr -s ' ' '\n' | grep -v '^255$' | sort -n | tail -1)
  ((highest <= 126)) || fail "$picture: index $highest above the picture's 127 entries"
  mkdir -p "$WORK/frames"
  "$CAPTURE" --quiet --at 1000 --png "$WORK/frames" --sheet "$out" 2>"$WORK/err" ||
    fail "$picture: capture status $?"
  [[ -s "$WORK/err" ]] && fail "$picture: the sheet was complained about: $(cat "$WORK/err")"
done
"$TOOL" "$WORK/missing.png" "$WORK/missing.bmp" >/dev/null 2>&1 && fail "a missing picture: status 0"
[[ -e "$WORK/missing.bmp" || -e "$WORK/missing.bmp.part" ]] && fail "a missing picture left a file"
((failures == 0)) && echo "sheet_from_picture: passed"
((failures == 0))

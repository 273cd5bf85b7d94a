#!/usr/bin/env bash
# zelvik-capture given every kind of unusable sprite sheet: missing, empty,
# cut short, of another format, huge, unreadable, a pipe, a device, a
# folder. Each run must finish (no hang), exit 0, say what is wrong in
# exactly one line naming the file, and draw the show as it draws without
# a sheet: the same frame as with a missing file, where the pictures stand.
# Usage: bad_sheet_capture.sh PATH-TO-zelvik-capture PATH-TO-scene1.bmp
set -uo pipefail

CAPTURE="$1"
SHEET="$2"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
chmod 755 "$WORK"  # reachable by an unprivileged user too (the permission case)
failures=0
passes=0
# Demo clock 1000: the intro, with its picture panels over the letterbox.
CLOCK=1000
FRAME="clock_001000.png"

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# run NAME SHEET-PATH [RUNNER...]: captures one frame into $WORK/NAME/.
run() {
  local name="$1" sheet="$2"
  shift 2
  mkdir -p "$WORK/$name"
  chmod 777 "$WORK/$name"
  timeout -k 5 30 "$@" "$CAPTURE" --quiet --at "$CLOCK" --png "$WORK/$name" --sheet "$sheet" \
    >"$WORK/$name.out" 2>"$WORK/$name.err"
  STATUS=$?
}

# rejected NAME SHEET-PATH REASON [RUNNER...]: the sheet is refused with
# "zelvik-capture: SHEET-PATH: REASON" and the frame is the one drawn
# without a sheet.
rejected() {
  local name="$1" sheet="$2" reason="$3"
  shift 3
  run "$name" "$sheet" "$@"
  if [[ $STATUS -ne 0 ]]; then
    fail "$name: exit status $STATUS, expected 0"
    sed 's/^/  stderr: /' "$WORK/$name.err"
    return
  fi
  local said
  said="$(cat "$WORK/$name.err")"
  if [[ "$said" != "zelvik-capture: $sheet: $reason" || $(wc -l <"$WORK/$name.err") -ne 1 ]]; then
    fail "$name: stderr is '$said', expected the one line 'zelvik-capture: $sheet: $reason'"
    return
  fi
  if ! cmp -s "$WORK/$name/$FRAME" "$WORK/none/$FRAME"; then
    fail "$name: the frame differs from the show without pictures"
    return
  fi
  passes=$((passes + 1))
}

# The reference: no sheet at all.
run none "$WORK/absent.bmp"
if [[ $STATUS -ne 0 || ! -f "$WORK/none/$FRAME" ]]; then
  fail "no sheet: exit status $STATUS, no frame"
  echo "$passes passed, $failures failed"
  exit 1
fi
# And the good sheet draws something else there, so the comparison means something.
run good "$SHEET"
if [[ $STATUS -ne 0 || -s "$WORK/good.err" ]] || cmp -s "$WORK/good/$FRAME" "$WORK/none/$FRAME"; then
  fail "good sheet: status $STATUS, stderr '$(cat "$WORK/good.err")', or no pictures drawn"
else
  passes=$((passes + 1))
fi

rejected missing "$WORK/absent.bmp" "not found"
rejected missing-folder "$WORK/no/such/folder/scene1.bmp" "not found"

: >"$WORK/empty.bmp"
rejected empty "$WORK/empty.bmp" "empty file"

head -c 20 "$SHEET" >"$WORK/cut20.bmp"
rejected cut-in-headers "$WORK/cut20.bmp" "cut short: 20 bytes, the headers alone need 54"

# Cut inside the pixel rows: used as far as it goes, and said so.
head -c 33078 "$SHEET" >"$WORK/cut-rows.bmp"
run cut-rows "$WORK/cut-rows.bmp"
if [[ $STATUS -eq 0 && "$(cat "$WORK/cut-rows.err")" == \
      "zelvik-capture: $WORK/cut-rows.bmp: cut short: 33078 of 65078 bytes, the rest reads as zero" ]]; then
  passes=$((passes + 1))
else
  fail "cut in the rows: status $STATUS, stderr '$(cat "$WORK/cut-rows.err")'"
fi

cp "$WORK/good/$FRAME" "$WORK/picture.png"
rejected png "$WORK/picture.png" "not a BMP file"
printf 'scene1\n' >"$WORK/text.bmp"
rejected text "$WORK/text.bmp" "not a BMP file"
if command -v convert >/dev/null; then
  convert -size 320x200 xc:red -type TrueColor "BMP3:$WORK/truecolour.bmp" 2>/dev/null
  rejected truecolour "$WORK/truecolour.bmp" "24 bits per pixel, need 8"
fi
# same NAME SHEET-PATH: the sheet is used without a word and draws the
# frame the good sheet draws.
same() {
  run "$1" "$2"
  if [[ $STATUS -eq 0 && ! -s "$WORK/$1.err" ]] && cmp -s "$WORK/$1/$FRAME" "$WORK/good/$FRAME"; then
    passes=$((passes + 1))
  else
    fail "$1: status $STATUS, stderr '$(cat "$WORK/$1.err")', or a frame unlike the good sheet's"
  fi
}
# The same picture stored top-down: height negated, rows in the other order.
{
  head -c 22 "$SHEET"; printf '\x38\xff\xff\xff'; head -c 1078 "$SHEET" | tail -c +27
  for row in $(seq 199 -1 0); do tail -c +$((1079 + 320 * row)) "$SHEET" | head -c 320; done
} >"$WORK/top-down.bmp"
same top-down "$WORK/top-down.bmp"
# The same file with its height negated but the rows left as they were is
# a valid picture too, upside down: it must differ.
{ head -c 22 "$SHEET"; printf '\x38\xff\xff\xff'; tail -c +27 "$SHEET"; } >"$WORK/flipped.bmp"
run flipped "$WORK/flipped.bmp"
if [[ $STATUS -eq 0 && ! -s "$WORK/flipped.err" ]] && ! cmp -s "$WORK/flipped/$FRAME" "$WORK/good/$FRAME"; then
  passes=$((passes + 1))
else
  fail "flipped: status $STATUS, stderr '$(cat "$WORK/flipped.err")', or the same frame as the good sheet"
fi
# RLE8 as ImageMagick writes an 8-bit palette BMP by default.
if command -v convert >/dev/null; then
  convert "$SHEET" "BMP3:$WORK/rle8.bmp" 2>/dev/null
  if [[ "$(od -An -tu4 -j30 -N4 "$WORK/rle8.bmp" | tr -d ' ')" == 1 ]]; then
    same rle8 "$WORK/rle8.bmp"
  else
    echo "SKIP: rle8: this ImageMagick did not write RLE8"
  fi
fi

# 200 MB without a header (sparse: no disk used), and the good file with
# 200 MB after it: only the start of either is read.
truncate -s 200M "$WORK/huge.bmp"
rejected huge "$WORK/huge.bmp" "not a BMP file"
cp "$SHEET" "$WORK/huge-tail.bmp"
truncate -s 200M "$WORK/huge-tail.bmp"
run huge-tail "$WORK/huge-tail.bmp"
if [[ $STATUS -eq 0 && ! -s "$WORK/huge-tail.err" ]] && cmp -s "$WORK/huge-tail/$FRAME" "$WORK/good/$FRAME"; then
  passes=$((passes + 1))
else
  fail "good sheet with a 200 MB tail: status $STATUS, stderr '$(cat "$WORK/huge-tail.err")'"
fi

# No permission. Root reads any file, so as root the capture runs as the
# unprivileged user nobody; without a way to do that the case is skipped.
cp "$SHEET" "$WORK/locked.bmp"
chmod 000 "$WORK/locked.bmp"
if [[ $(id -u) -ne 0 ]]; then
  rejected locked "$WORK/locked.bmp" "permission denied"
elif command -v setpriv >/dev/null && id nobody >/dev/null 2>&1 &&
     setpriv --reuid=nobody --regid=nogroup --clear-groups test -x "$CAPTURE" 2>/dev/null; then
  rejected locked "$WORK/locked.bmp" "permission denied" \
    setpriv --reuid=nobody --regid=nogroup --clear-groups
else
  echo "SKIP: no permission: running as root and the capture tool cannot be run as nobody"
fi

mkfifo "$WORK/pipe.bmp"
rejected pipe "$WORK/pipe.bmp" "not a regular file"
rejected device /dev/zero "not a regular file"
mkdir "$WORK/folder.bmp"
rejected folder "$WORK/folder.bmp" "is a folder"
ln -s loop.bmp "$WORK/loop.bmp"
rejected symlink-loop "$WORK/loop.bmp" "Too many levels of symbolic links"

echo "$passes passed, $failures failed"
[[ $failures -eq 0 ]]

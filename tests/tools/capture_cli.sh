#!/usr/bin/env bash
# The command-line contract of zelvik-capture: options, exit statuses,
# output files, determinism; and the README's pictures, still as it draws
# them.
# Usage: capture_cli.sh PATH-TO-zelvik-capture PATH-TO-scene1.bmp
set -uo pipefail

CAPTURE="$1"
SHEET="$2"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

one_line_naming() {  # stderr is one line that names the argument
  [[ $(wc -l <"$WORK/err") -eq 1 ]] && grep -q -- "$1" "$WORK/err"
}

check "help" 0 "$CAPTURE" --help
for option in --seed --fps --until --at --png --format --surface --sheet --video --size --compact --lossless \
  --music --rate --mono --no-music --bench --list-ranges; do
  expect "help describes $option" grep -q -- "$option" "$WORK/out"
done

# The script's ranges, which other tests read: from clock 0, each ending
# where the next begins, the last open; a step's own clock within its range.
check "list ranges" 0 "$CAPTURE" --list-ranges
ranges_chain() {
  awk -F'\t' '/^#/ { next }
    { n++; if (n == 1 && $1 != 0) exit 1
      if (n > 1 && $1 != end) exit 1
      if ($3 > $1 || $5 == "") exit 1
      if ($4 != "-") { k = split($4, own, ","); for (i = 1; i <= k; i++) if (own[i] < $1 || ($2 != "-" && own[i] >= $2)) exit 1 }
      end = $2 }
    END { exit !(n > 1 && end == "-") }' "$WORK/out"
}
expect "ranges follow each other from 0 to an open end" ranges_chain

check "fps 0" 2 "$CAPTURE" --fps 0
expect "fps 0 message" one_line_naming --fps
check "fps 1001" 2 "$CAPTURE" --fps 1001
check "seed too large" 2 "$CAPTURE" --seed 4294967296
expect "seed message" one_line_naming --seed
check "seed not a number" 2 "$CAPTURE" --seed 12x
check "until negative" 2 "$CAPTURE" --until -5
check "at empty item" 2 "$CAPTURE" --at 1,,2
expect "at message" one_line_naming --at
check "at never drawn" 2 "$CAPTURE" --fps 60 --at 2
check "unknown format" 2 "$CAPTURE" --format 15 --surface "$WORK/s"
expect "format message" one_line_naming --format
check "surface without format" 2 "$CAPTURE" --surface "$WORK/s"
check "missing value" 2 "$CAPTURE" --png
check "unknown option" 2 "$CAPTURE" --frobnicate
expect "unknown option message" one_line_naming --frobnicate

# Video and benchmark options: checked before anything is drawn.
for size in 100 22x 0x x 0x0 321x240 320x241 7682x960 x960 native2; do
  check "size $size" 2 "$CAPTURE" --video "$WORK/v.mp4" --size "$size"
  expect "size $size message" one_line_naming --size
done
check "rate 32000" 2 "$CAPTURE" --video "$WORK/v.mp4" --rate 32000
expect "rate message" one_line_naming --rate
check "chroma 422" 2 "$CAPTURE" --video "$WORK/v.mp4" --chroma 422
expect "chroma message" one_line_naming --chroma
check "unknown container" 2 "$CAPTURE" --video "$WORK/v.avi"
expect "container message" one_line_naming v.avi
check "lossless in mp4" 2 "$CAPTURE" --video "$WORK/v.mp4" --lossless
expect "lossless message" one_line_naming --lossless
check "compact and lossless" 2 "$CAPTURE" --video "$WORK/v.mkv" --lossless --compact
expect "compact message" one_line_naming --compact
for option in --size=640x480 --chroma=444 --lossless --compact --mono --no-music --music=x.xm --rate=22050; do
  check "$option without --video" 2 "$CAPTURE" ${option/=/ }
  expect "$option without --video message" one_line_naming "${option%%=*}"
done
check "music options with --no-music" 2 "$CAPTURE" --video "$WORK/v.mp4" --no-music --mono
expect "no-music message" one_line_naming --mono
check "video with --at" 2 "$CAPTURE" --video "$WORK/v.mp4" --at 0
check "video with --png" 2 "$CAPTURE" --video "$WORK/v.mp4" --png "$WORK/p"
check "bench with --surface" 2 "$CAPTURE" --bench --format 32 --surface "$WORK/p"
check "bench with --video" 2 "$CAPTURE" --bench --video "$WORK/v.mp4"
expect "bad video arguments write nothing" test ! -e "$WORK/v.mp4" -a ! -e "$WORK/p"

check "bench" 0 "$CAPTURE" --bench --until 200 --sheet "$SHEET"
expect "bench reports 201 frames" grep -q "^zelvik-capture: 201 frames" "$WORK/out"
expect "bench reports the rate" grep -q "frames per second; per frame: min" "$WORK/out"

touch "$WORK/a-file"
check "png folder under a file" 1 "$CAPTURE" --at 0 --png "$WORK/a-file/frames" --sheet "$SHEET"
expect "folder message" grep -q "a-file/frames" "$WORK/err"

check "one frame" 0 "$CAPTURE" --at 0 --png "$WORK/one" --sheet "$SHEET"
expect "one png written" test "$(ls "$WORK/one")" = "clock_000000.png"
expect "indexed png" bash -c "file '$WORK/one/clock_000000.png' | grep -q '320 x 200, 8-bit colormap'"

check "frames and surfaces" 0 "$CAPTURE" --seed 5 --at 0,3000,7200,10000 --png "$WORK/a" \
  --format 565 --surface "$WORK/a" --sheet "$SHEET"
expect "four of each" test "$(ls "$WORK/a" | wc -l)" -eq 8
expect "raw size 565" test "$(stat -c %s "$WORK/a/clock_003000.raw")" -eq 128000
check "24-bit surface" 0 "$CAPTURE" --at 100 --format 24-swapped --surface "$WORK/c" --sheet "$SHEET"
expect "raw size 24" test "$(stat -c %s "$WORK/c/clock_000100.raw")" -eq 192000

check "same again" 0 "$CAPTURE" --seed 5 --at 0,3000,7200,10000 --png "$WORK/b" \
  --format 565 --surface "$WORK/b" --sheet "$SHEET"
expect "deterministic" diff -r "$WORK/a" "$WORK/b"

check "other seed" 0 "$CAPTURE" --seed 6 --at 3000 --png "$WORK/d" --sheet "$SHEET"
expect "credits move with the seed" bash -c "! cmp -s '$WORK/a/clock_003000.png' '$WORK/d/clock_003000.png'"

check "fast schedule" 0 "$CAPTURE" --fps 1000 --at 7 --png "$WORK/e" --sheet "$SHEET"
expect "shared clock written once" test "$(ls "$WORK/e")" = "clock_000007.png"

check "missing sheet still renders" 0 "$CAPTURE" --at 0 --png "$WORK/f" --sheet "$WORK/nope.bmp"
expect "missing sheet reported" grep -q "nope.bmp: not found" "$WORK/err"

# The README's pictures (docs/pictures/clock_NNNNNN.png) are this tool's
# frames at the default seed and rate: each must still be what it draws.
PICTURES="$(dirname "${BASH_SOURCE[0]}")/../../docs/pictures"
clocks=$(find "$PICTURES" -name 'clock_*.png' -printf '%f\n' | sed -E 's/clock_0*([0-9]+)\.png/\1/' | sort -n |
  paste -sd,)
expect "docs/pictures holds the README's pictures" test -n "$clocks"
check "the README's pictures drawn again" 0 "$CAPTURE" --at "${clocks:-0}" --png "$WORK/pictures" --sheet "$SHEET"
for picture in "$PICTURES"/clock_*.png; do
  expect "docs/pictures/$(basename "$picture") is what the tool draws today" \
    cmp -s "$picture" "$WORK/pictures/$(basename "$picture")"
done

finish

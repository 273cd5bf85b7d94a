#!/usr/bin/env bash
# The show on a real X server while its audio output is taken away and
# given back. SDL's disk driver writes the sound to a file on a small
# tmpfs; the file's folder is then filled up, so that the next write fails
# and SDL reports the output removed. Reopening it is made to fail first
# (a folder stands where the file was), then allowed again.
#
# Expected: one line on stderr when the sound stops, the picture going on,
# one line when the output is back with the music going on from the show's
# position (not from the start), and Escape ending the program with
# status 0 within two seconds.
#
# Arguments: the zelvik program, the data folder, an output folder.
# Needs to mount a tmpfs (root); skipped (77) where it cannot.
set -uo pipefail

ZELVIK=$1
DATA_DIR=$2
OUT=$3
mkdir -p "$OUT"
rm -rf "$OUT"/lost-*

TEST_NAME=audio_lost
source "$(dirname "${BASH_SOURCE[0]}")/x11_show.sh"
need_x_tools compare mount umount
[[ -f "$DATA_DIR/demo.xm" ]] || { echo "$TEST_NAME: no demo.xm in $DATA_DIR" >&2; exit 77; }

SPOOL="$OUT/lost-spool"
mkdir -p "$SPOOL"
mount -t tmpfs -o size=4m tmpfs "$SPOOL" 2>/dev/null || {
  echo "$TEST_NAME: cannot mount a tmpfs here (needs root)" >&2
  exit 77
}
start_xvfb
cleanup() {
  stop_x_and_show
  umount "$SPOOL" 2>/dev/null
}
trap cleanup EXIT

AUDIO="$SPOOL/audio.raw"
ERR="$OUT/lost-stderr.txt"
(cd "$DATA_DIR" && SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$AUDIO" \
  LD_PRELOAD="${ZELVIK_E2E_PRELOAD:-}" exec "$ZELVIK") 2>"$ERR" &
ZELVIK_PID=$!

DIALOG=$(wait_window "Quillomarth demo engine" 20) || fail "the options dialog did not appear: $(cat "$ERR")"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$DIALOG")"
xdotool mousemove $((X + WIDTH * 1505 / 1820)) $((Y + HEIGHT * 145 / 500)) click 1
wait_window "Demo" 20 >/dev/null || fail "the show did not start: $(cat "$ERR")"
SHOW_START=$(date +%s.%N)
sleep 2
expect_sound "$AUDIO"
head -c 65536 "$AUDIO" >"$OUT/lost-first.raw"

# The program's own lines on stderr (SDL's disk driver announces itself).
own_lines() {
  grep -v -e "SDL disk i/o audio driver" -e "Writing to file" -e '^[[:space:]]*$' "$ERR"
}
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }
# Waits up to $2 seconds for stderr to hold a line matching $1; prints the
# seconds it took.
wait_line() {
  local start
  start=$(now)
  for _ in $(seq $(($2 * 20))); do
    own_lines | grep -q -e "$1" && { since "$start"; return 0; }
    sleep 0.05
  done
  return 1
}

# Take the output away: the file's name now belongs to a folder (so SDL
# cannot open it again), and the rest of the tmpfs is filled.
rm "$AUDIO" && mkdir "$AUDIO"
dd if=/dev/zero of="$SPOOL/filler" bs=64k 2>/dev/null
lost_after=$(wait_line "audio output was lost" 3) || fail "no word of the lost output: $(own_lines)"
note "loss reported after $lost_after s"
[[ "$(own_lines)" == "zelvik: music: the audio output was lost; the show goes on without sound" ]] ||
  fail "unexpected stderr after the loss: $(own_lines)"
kill -0 "$ZELVIK_PID" 2>/dev/null || fail "the show ended when its audio output was lost"

# The picture goes on: two screenshots a second apart differ.
import -window root "$OUT/lost-a.png"
sleep 1
import -window root "$OUT/lost-b.png"
changed=$(compare -metric AE "$OUT/lost-a.png" "$OUT/lost-b.png" null: 2>&1 | cut -d' ' -f1)
((changed > 0)) || fail "the picture stood still after the loss"
note "picture still moving: $changed pixels changed in a second"
sleep 1.5
(($(own_lines | wc -l) == 1)) || fail "more than one line while silent: $(own_lines)"

# Give the output back: the next try (every two seconds) opens it.
rmdir "$AUDIO" && rm "$SPOOL/filler"
back_after=$(wait_line "audio output is back" 4) || fail "the output did not come back: $(own_lines)"
note "sound back after $back_after s: $(own_lines | tail -1)"
at=$(own_lines | tail -1 | sed -n 's/.*goes on at \([0-9.]*\) s$/\1/p')
# The show has run for about as long as the music's position says (the
# window appears before set-up, which takes a second or two when the
# machine is busy, and the clock starts after it).
shown=$(since "$SHOW_START")
[[ -n "$at" ]] && awk -v a="$at" -v s="$shown" 'BEGIN { exit !(a > 5 && a > s - 3 && a < s + 0.5) }' ||
  fail "the music did not go on from the show's position (${shown} s into the show): $(own_lines)"
note "music goes on at $at s, ${shown} s after the show's window appeared"
sleep 1.5
expect_sound "$AUDIO"
cmp -s -n 16384 "$AUDIO" "$OUT/lost-first.raw" && fail "the music started again from the beginning"
cp "$AUDIO" "$OUT/lost-after.raw"

xdotool key Escape
start=$(now)
await_end 2 Escape
note "ended $(since "$start") s after Escape, status $END_STATUS"
((END_STATUS == 0)) || fail "exit status $END_STATUS after Escape: $(cat "$ERR")"
(($(own_lines | wc -l) == 2)) || fail "unexpected lines on stderr: $(own_lines)"
note "passed"
